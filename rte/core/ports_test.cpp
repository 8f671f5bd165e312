// Tests of the emulated ports: the port space, the interval timer's channel 2 and the speaker
// gate, and the tone they sound, recorded through SDL's disk audio driver.
#include "rte/ports.h"

#include <gtest/gtest.h>

#include <sys/io.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "rte/waiting_testing.h"

namespace {

// The mode is chosen on the process's first port call: these tests want the emulation (the
// refusal test below runs this program again with RTE_PORTS=hardware).
struct Emulated {
    Emulated() { setenv("RTE_PORTS", "emulated", 0); }
} g_emulated;

}  // namespace

// Runs only as the child of the test below: one port read in hardware mode.
TEST(PortsHardwareChild, ReadsOnePort) {
    if (std::getenv("RTE_PORTS_CHILD") == nullptr) GTEST_SKIP() << "runs as the child of the refusal test";
    std::printf("result %d emulated %d\n", RteInp(0x61), RtePortsEmulated());
}

TEST(Ports, HardwareModeWithoutPermissionIsRefusedWithAClearError) {
    if (ioperm(0x80, 1, 1) == 0) GTEST_SKIP() << "this process may do port I/O: nothing is refused";
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    std::string command = std::string("RTE_PORTS=hardware RTE_PORTS_CHILD=1 '") + self +
                          "' --gtest_filter=PortsHardwareChild.* 2>&1";
    FILE *child = popen(command.c_str(), "r");
    ASSERT_NE(child, nullptr);
    std::string out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, child) != nullptr) out += buffer;
    pclose(child);
    EXPECT_NE(out.find("result -1 emulated 0"), std::string::npos) << out;
    EXPECT_NE(out.find("rte: RTE_PORTS=hardware, but this process may not do port I/O"), std::string::npos) << out;
}

TEST(Ports, EmulatedPortsReadBackWhatWasWritten) {
    ASSERT_EQ(RtePortsEmulated(), 1);
    EXPECT_EQ(RteInp(0x300), 0xFF);  // never written: a floating bus
    EXPECT_EQ(RteOutp(0x300, 0x1A5), 0);
    EXPECT_EQ(RteInp(0x300), 0xA5);  // only the low byte
    EXPECT_EQ(RteInp(-1), -1);
    EXPECT_EQ(RteInp(0x10000), -1);
    EXPECT_EQ(RteOutp(0x10000, 0), -1);
}

TEST(Ports, TimerChannelTwoTakesTheDivisorLowByteFirst) {
    ASSERT_EQ(RteOutp(0x43, 0xB6), 0);
    RteOutp(0x42, 0x97);
    RteOutp(0x42, 0x0A);
    EXPECT_EQ(RteInp(0x42), 0x97);
    EXPECT_EQ(RteInp(0x42), 0x0A);
    // Commands for other channels leave channel 2 alone.
    RteOutp(0x43, 0x36);
    EXPECT_EQ(RteInp(0x42), 0x97);
    EXPECT_EQ(RteInp(0x42), 0x0A);
    // Port 0x61 keeps every bit written.
    RteOutp(0x61, 0xF0);
    EXPECT_EQ(RteInp(0x61), 0xF0);
    RteOutp(0x61, 0x20);
}

TEST(Ports, TheGatedToneSoundsAtTheTimersFrequency) {
    char path[] = "/tmp/rte_speaker_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path, 1);

    // 1193180 / 2711 = 440.13 Hz.
    RteOutp(0x43, 0xB6);
    RteOutp(0x42, 2711 & 0xFF);
    RteOutp(0x42, 2711 >> 8);
    RteOutp(0x61, RteInp(0x61) | 3);
    // The tone sounds until the audio output has written a good part of a second of it (half a
    // second at 16 bits, 44.1 kHz), however long a busy machine takes for that.
    rte::testing::WaitFor([&] {
        struct stat written {};
        return stat(path, &written) == 0 && written.st_size >= 44100;
    });
    RteOutp(0x61, RteInp(0x61) & 0xFC);  // closes the device: the file is complete

    std::vector<int16_t> samples;
    if (FILE *f = std::fopen(path, "rb")) {
        int16_t s;
        while (std::fread(&s, sizeof s, 1, f) == 1) samples.push_back(s);
        std::fclose(f);
    }
    std::remove(path);
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    ASSERT_GT(samples.size(), 4410u) << "less than 0.1 s of sound was written";

    // Rising edges of the square wave: the frequency is their count over the time they span.
    std::vector<size_t> rising;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] > 0) rising.push_back(i);
    }
    ASSERT_GT(rising.size(), 20u);
    double seconds = static_cast<double>(rising.back() - rising.front()) / 44100.0;
    double frequency = static_cast<double>(rising.size() - 1) / seconds;
    EXPECT_NEAR(frequency, 440.0, 4.4);
}
