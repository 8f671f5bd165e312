// Tests of the PC speaker functions: the port sequence of a tone and of its end, on the
// engine's emulated ports.
#include "toolbox/windows/speaker.h"

#include "rte/ports.h"
#include "rte/ports_testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using rte::testing::PortAccess;

struct Emulated {
    Emulated() { setenv("RTE_PORTS", "emulated", 1); }
} g_emulated;

// The accesses StartPCSound(frequency) makes when port 0x61 holds control.
std::vector<PortAccess> Start(unsigned frequency, int control) {
    RteOutp(0x61, control);
    std::vector<PortAccess> log;
    rte::testing::RecordPortAccess(&log);
    StartPCSound(frequency);
    rte::testing::RecordPortAccess(nullptr);
    StopPCSound();
    return log;
}

}  // namespace

TEST(Speaker, StartProgramsChannelTwoThenOpensTheGate) {
    struct Case {
        unsigned frequency;
        int low, high;  // the divisor's bytes
    } cases[] = {
        {440, 151, 10},          // 1193180 / 440 = 2711
        {1000, 0xA9, 0x04},      // 1193
        {19, 0x5A, 0xF5},        // 62799
        {18, 0xC2, 0x02},        // 66287: only the low 16 bits (0x02C2... of 0x102EF) reach the timer
        {0, 0, 0},               // no division by zero: divisor 0, which the timer counts as 65536
        {1193181, 0, 0},         // above the clock: divisor 0
        {1193180, 1, 0},
    };
    for (const auto &c : cases) {
        std::vector<PortAccess> log = Start(c.frequency, 0x20);
        unsigned divisor = c.frequency == 0 ? 0 : 1193180u / c.frequency;
        std::vector<PortAccess> expected = {
            {true, 0x43, 0xB6},
            {true, 0x42, static_cast<int>(divisor & 0xFF)},
            {true, 0x42, static_cast<int>((divisor >> 8) & 0xFF)},
            {false, 0x61, 0x20},
            {true, 0x61, 0x23},
        };
        EXPECT_EQ(log, expected) << c.frequency;
        if (c.frequency == 440 || c.frequency == 0) {
            EXPECT_EQ(expected[1].value, c.low);
            EXPECT_EQ(expected[2].value, c.high);
        }
    }
}

TEST(Speaker, StopClearsOnlyTheTwoSpeakerBits) {
    for (int control : {0x00, 0x03, 0xF3, 0xAA, 0x5D}) {
        RteOutp(0x61, control);
        StopPCSound();
        EXPECT_EQ(RteInp(0x61), control & 0xFC) << control;
        StopPCSound();  // without a tone: nothing changes
        EXPECT_EQ(RteInp(0x61), control & 0xFC) << control;
    }
}
