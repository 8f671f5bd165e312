/* toolbox/windows/speaker.h - a continuous tone on the PC speaker (plain C).
 *
 * The tone is made as on a PC: the interval timer's channel 2 is programmed as a square wave
 * generator and the speaker gate bits of port 0x61 are set, through the engine's RteInp and
 * RteOutp (rte/ports.h). On Linux the ports are the real ones where the process may use them,
 * else the engine's emulation, which sounds the tone through the audio output. Port errors are
 * not reported: without ports the functions do nothing.
 */
#ifndef TOOLBOX_WINDOWS_SPEAKER_H
#define TOOLBOX_WINDOWS_SPEAKER_H

#ifdef __cplusplus
extern "C" {
#endif

/* Starts a tone of frequency Hz, or changes the one playing: port 0x43 gets 0xB6 (channel 2,
 * low then high byte, square wave), port 0x42 the divisor 1193180 / frequency, low byte then
 * high byte, and bits 0 and 1 of port 0x61 are set. Only the divisor's low 16 bits reach the
 * timer (below 19 Hz the tone is higher than asked); a frequency of 0 or above 1193180 gives
 * the divisor 0, which the timer counts as 65536 (18.2 Hz). */
void StartPCSound(unsigned int frequency);

/* Stops the tone: clears bits 0 and 1 of port 0x61 and leaves its other bits, and the timer,
 * as they are. */
void StopPCSound(void);

#ifdef __cplusplus
}
#endif

#endif
