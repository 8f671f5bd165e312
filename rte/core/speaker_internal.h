// rte/core/speaker_internal.h - the emulated PC speaker (internal, C++): the interval timer's
// channel 2 and the gate of port 0x61, and the audio output that sounds its tone.
#ifndef RTE_CORE_SPEAKER_INTERNAL_H
#define RTE_CORE_SPEAKER_INTERNAL_H

namespace rte::internal {

// Ports the speaker emulation owns: 0x42, 0x43 and 0x61. Called with the ports' lock held.
bool SpeakerOwnsPort(int port);
int SpeakerPortRead(int port);
void SpeakerPortWrite(int port, int value);

// The audio output: starts or changes the tone (frequency in Hz) or silences it.
void SpeakerAudioPlay(double frequency);
void SpeakerAudioStop();

}  // namespace rte::internal

#endif
