/* rte/ports.h - byte I/O on the PC's I/O ports (plain C).
 *
 * Where the ports come from is chosen by the environment variable RTE_PORTS, read once, on the
 * first port call of the process:
 *   hardware  real port I/O (ioperm, then in/out instructions). A process that may not do it
 *             (it lacks CAP_SYS_RAWIO, or the machine has no I/O ports) gets -1 from every
 *             call, and one line on standard error says why and what to do.
 *   emulated  an in-memory port space. Every port reads back the byte last written to it
 *             (0xFF before any write), except that the PC's interval timer channel 2 and its
 *             speaker gate are emulated: port 0x43 takes the timer's mode commands (channel 2,
 *             low then high byte), port 0x42 the channel's divisor in two bytes, and port 0x61
 *             bits 0 (timer 2 gate) and 1 (speaker data). While both bits are set the channel's
 *             square wave of 1193180 / divisor Hz (a divisor of 0 counts as 65536) sounds
 *             through SDL2's audio output (16-bit mono at 44100 Hz, SDL_AUDIODRIVER choosing the
 *             device); a machine without audio output stays silent.
 *   unset     hardware where the process is permitted, else emulated.
 * Safe on any thread; calls are serialised.
 */
#ifndef RTE_PORTS_H
#define RTE_PORTS_H

#ifdef __cplusplus
extern "C" {
#endif

/* Reads one byte from port (0..0xFFFF): 0..255, or -1 (port out of range, no permission). */
int RteInp(int port);

/* Writes the low 8 bits of value to port. 0, or -1 (port out of range, no permission). */
int RteOutp(int port, int value);

/* 1 when the ports are the emulation, 0 for real hardware (chooses the mode if not yet done). */
int RtePortsEmulated(void);

#ifdef __cplusplus
}
#endif

#endif
