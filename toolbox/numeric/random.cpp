// The per-thread Wichmann-Hill random generator. Its state lives in the calling thread's
// library block (toolbox/core/thread_locals_internal.h), so no lock is taken.
#include "toolbox/numeric/random.h"

#include "toolbox/core/thread_locals_internal.h"

#include <cmath>
#include <cstdint>
#include <ctime>

namespace {

const int32_t kSeedMask = 16383;       // the low 14 bits
const int32_t kSeedMultiplier = 8191;  // 8191 * 8191 is 1 modulo 16384, so z equals x

// The first state x from a seed: its low 14 bits. A seed whose low 14 bits are all 0 would
// leave x at 0, where the generator stays forever; such a seed takes its next non-zero group
// of bits instead, so every seed gives a sequence of its own and the others are unchanged.
int32_t FirstState(int32_t seed) {
    uint32_t bits = static_cast<uint32_t>(seed);
    int32_t x = static_cast<int32_t>(bits & kSeedMask);
    if (x == 0) x = static_cast<int32_t>((bits >> 14) & kSeedMask);
    if (x == 0) x = static_cast<int32_t>(bits >> 28);
    if (x == 0) x = 1;  // seed 0 itself, which SetRandomSeed never stores
    return x;
}

void Seed(ToolboxThreadLocals *block) {
    int32_t x = FirstState(block->randomSeed);
    int32_t y = (kSeedMultiplier * x) & kSeedMask;  // non-zero: 8191 is odd
    int32_t z = (kSeedMultiplier * y) & kSeedMask;
    block->randomState[0] = x;
    block->randomState[1] = y;
    block->randomState[2] = z;
    block->randomScale[0] = 1.0 / 30269.0;
    block->randomScale[1] = 1.0 / 30307.0;
    block->randomScale[2] = 1.0 / 30323.0;
}

// One draw in [0, 1). The moduli are primes, so a non-zero state never becomes 0.
double DrawUniformRandom() {
    ToolboxThreadLocals *block = GetThreadLocalBlock();
    int32_t *state = block->randomState;
    if (block->randomReseed != 0) {
        block->randomReseed = 0;
        state[0] = 0;
    }
    while (state[0] == 0) Seed(block);
    state[0] = 171 * state[0] % 30269;
    state[1] = 172 * state[1] % 30307;
    state[2] = 170 * state[2] % 30323;
    double r = state[0] * block->randomScale[0] + state[1] * block->randomScale[1] +
               state[2] * block->randomScale[2];
    r -= std::floor(r);
    if (r < 0.0) r += 1.0;
    return r;
}

}  // namespace

extern "C" double Random(double minimum, double maximum) {
    double range = maximum - minimum;
    if (range < 0.0) return minimum;
    return minimum + DrawUniformRandom() * range;
}

extern "C" void SetRandomSeed(int seed) {
    ToolboxThreadLocals *block = GetThreadLocalBlock();
    if (seed != 0) {
        block->randomSeed = seed;
    } else {
        do {
            block->randomSeed = static_cast<int32_t>(std::clock());
        } while (block->randomSeed == 0);
    }
    block->randomReseed = 1;
}
