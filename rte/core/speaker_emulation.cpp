// rte/core/speaker_emulation.cpp - the emulated interval timer channel 2 and speaker gate.
//
// Port 0x43 takes mode commands. A command for channel 2 (bits 7-6 = 10) with access mode
// "low byte then high byte" (bits 5-4 = 11) makes the next two writes to 0x42 the divisor;
// access mode "low byte only" (01) or "high byte only" (10) makes each write set that byte;
// a latch command (00) is taken and ignored. Reading 0x42 gives the divisor's bytes in the same
// order. Port 0x61 keeps what was written; bits 0 and 1 together switch the tone on. The tone
// is the channel's square wave, 1193180 / divisor Hz, a divisor of 0 counting as 65536.
#include "rte/core/speaker_internal.h"

namespace rte::internal {

namespace {

constexpr double kTimerClock = 1193180.0;

unsigned g_divisor = 0;          // the channel's reload value, 0..65535
int g_access = 3;                // 1 low only, 2 high only, 3 low then high
bool g_highNext = false;         // in mode 3: the next byte is the high one
bool g_readHighNext = false;
int g_port61 = 0x20;             // a PC's usual value, both speaker bits clear
bool g_sounding = false;
double g_frequency = 0;

void Update() {
    bool on = (g_port61 & 3) == 3;
    double frequency = kTimerClock / (g_divisor == 0 ? 65536.0 : g_divisor);
    if (on && (!g_sounding || frequency != g_frequency)) {
        SpeakerAudioPlay(frequency);
    } else if (!on && g_sounding) {
        SpeakerAudioStop();
    }
    g_sounding = on;
    g_frequency = frequency;
}

}  // namespace

bool SpeakerOwnsPort(int port) { return port == 0x42 || port == 0x43 || port == 0x61; }

int SpeakerPortRead(int port) {
    if (port == 0x61) return g_port61;
    if (port == 0x43) return 0xFF;  // write-only on a PC
    int value;
    if (g_access == 2 || (g_access == 3 && g_readHighNext)) {
        value = static_cast<int>(g_divisor >> 8);
    } else {
        value = static_cast<int>(g_divisor & 0xFF);
    }
    if (g_access == 3) g_readHighNext = !g_readHighNext;
    return value;
}

void SpeakerPortWrite(int port, int value) {
    if (port == 0x43) {
        if ((value >> 6) != 2) return;      // another channel: not emulated
        int access = (value >> 4) & 3;
        if (access == 0) return;            // counter latch
        g_access = access;
        g_highNext = false;
        g_readHighNext = false;
        return;
    }
    if (port == 0x42) {
        bool high = g_access == 2 || (g_access == 3 && g_highNext);
        if (high) {
            g_divisor = (g_divisor & 0x00FFu) | (static_cast<unsigned>(value) << 8);
        } else {
            g_divisor = (g_divisor & 0xFF00u) | static_cast<unsigned>(value);
        }
        if (g_access == 3) g_highNext = !g_highNext;
        // A new divisor takes effect once it is whole (after the high byte in mode 3).
        if (g_access != 3 || !g_highNext) Update();
        return;
    }
    g_port61 = value;
    Update();
}

}  // namespace rte::internal
