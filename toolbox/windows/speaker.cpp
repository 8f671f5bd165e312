// The PC speaker's tone through the interval timer's channel 2 and port 0x61 (see speaker.h).
#include "toolbox/windows/speaker.h"

#include "rte/ports.h"

namespace {

constexpr unsigned kTimerClock = 1193180;
constexpr int kTimerCommandPort = 0x43;
constexpr int kChannel2Port = 0x42;
constexpr int kControlPort = 0x61;
constexpr int kChannel2SquareWave = 0xB6;
constexpr int kSpeakerBits = 0x03;  // timer 2 gate and speaker data

}  // namespace

extern "C" void StartPCSound(unsigned int frequency) {
    RteOutp(kTimerCommandPort, kChannel2SquareWave);
    unsigned divisor = frequency == 0 ? 0 : kTimerClock / frequency;  // never divides by 0
    RteOutp(kChannel2Port, static_cast<int>(divisor & 0xFF));
    RteOutp(kChannel2Port, static_cast<int>((divisor >> 8) & 0xFF));
    int control = RteInp(kControlPort);
    if (control >= 0) RteOutp(kControlPort, control | kSpeakerBits);
}

extern "C" void StopPCSound(void) {
    int control = RteInp(kControlPort);
    if (control >= 0) RteOutp(kControlPort, control & ~kSpeakerBits & 0xFF);
}
