/* qm7300/QM7300.h - the QM7300 digital I/O device library (plain C, usable from C and C++).
 *
 * Six calls: list the devices, open one by name, read and write its ports, read its version
 * text, close it; and a seventh that tells why the last call failed. Every call returns an int
 * status: QM_OK (0) on success, one of the negative QM_ERR_ codes below on failure. Callers that
 * only need "worked or not" test for 0.
 *
 * Devices and ports. A device has four ports: 0 and 1 are inputs, 16 and 17 are outputs whose
 * last written values (their latches) can be read back. Any other port number is refused with
 * QM_ERR_PORT, and so is writing an input port. A device is simulated, or a module on the network reached over Modbus/TCP. One
 * devices file describes them all; the environment variable QM7300_DEVICES names it
 * (QM7300_SIM is its older name: either may be used; both set to different files is a
 * configuration error naming both).
 *   - Without a devices file (both unset or empty) there are two simulated devices,
 *     "QM7300-0" and "QM7300-1", each wired in loopback: port 0 reads what was last written to
 *     port 16, port 1 what was last written to port 17. The version text is "1.0.0".
 *   - The devices file has one directive a line:
 *         device NAME              a new device; the lines below apply to it
 *       A simulated device (the default):
 *           input PORT VALUE       fixed value (0-255) of input port 0 or 1, no loopback for it
 *           loopback               0 <- 16, 1 <- 17 (the default)
 *           version TEXT           at most 9 characters (default "1.0.0")
 *           fail open              QM_OpenDIO fails for this device
 *           fail version           QM_GetVer fails for this device
 *           fail read PORT MESSAGE QM_ReadPort of that port fails with MESSAGE as error text
 *           fail write PORT MESSAGE  likewise for QM_WritePort (port 16 or 17)
 *       A module on the network (a "modbus" line, before the lines that refine it):
 *           modbus HOST[:PORT]     its address (a name, IPv4, or IPv6 in [ ]); port 502 default
 *           unit N                 unit identifier 0-247 or 255 (default 1)
 *           inputs discrete N      ports 0 and 1 are discrete inputs N..N+7 and N+8..N+15
 *                                  (default: inputs discrete 0)
 *           inputs registers N     ports 0 and 1 are the low 8 bits of input registers N, N+1
 *           outputs coils N        ports 16 and 17 are coils N..N+7 and N+8..N+15, written and
 *                                  read back (default: outputs coils 0)
 *           outputs registers N    ports 16 and 17 are holding registers N and N+1 (the value
 *                                  written; read back as their low 8 bits)
 *           timeout MS             milliseconds for connecting and for each answer (1000)
 *         Bit 0 of a port is its lowest address.
 *       For the whole file:
 *         list raw TEXT            the device list text QM_ListDIO returns, verbatim (<= 1023)
 *         list count N             the device count QM_ListDIO returns
 *         fail list                QM_ListDIO fails
 *     NAME, TEXT and MESSAGE are the rest of the line verbatim, as in operator scripts, or a
 *     double-quoted string with the escapes \" \\ \t and \n (the way to keep leading blanks, a
 *     comment-like '#' or a line end). Outside quotes, a '#' at the start of a line or after
 *     white space starts a comment; it is cut off with the white space before it. Without
 *     "list raw" the list text is the device names joined by commas, in file order; without
 *     "list count" the count is the number of devices.
 *     A file that cannot be read, or any line not understood (a bad host or port, a unit out of
 *     range, an unknown word), makes every call fail with QM_ERR_CONFIG and an error text naming
 *     the file and line; the same text is printed once on standard error when the file is
 *     read, so a mistake is never silent.
 *   - The file is read on the first call and read again whenever the variables' values have
 *     changed since (another file, or set or unset); that resets every latch and forgets every
 *     open handle. Otherwise the latches persist for the life of the process, across close and
 *     open: a device keeps its outputs, as real hardware does.
 *
 * Modules on the network. QM_OpenDIO connects (within the time-out; handles open on one device
 * share its connection), QM_ReadPort reads the mapped inputs or reads back the outputs,
 * QM_WritePort writes the coils or register, QM_CloseDIO disconnects with the device's last
 * handle, and QM_GetVer gives the revision the module reports through Read Device
 * Identification (object 2), cut to 9 characters. A call that finds the connection dropped
 * connects again and asks once more. A module's failure is QM_ERR_DEVICE with one sentence
 * naming the device, its address and the cause ("no answer within 1000 ms", "connection
 * refused", "Modbus exception 2 (illegal data address)", ...). The program qm7300-sim serves
 * simulated devices to any Modbus client (man qm7300-sim).
 *
 * Texts. Error texts are one clear sentence naming the device, the port and what failed, always
 * null-terminated and cut to fit QM_ERROR_TEXT_SIZE bytes; on success the error buffer is left
 * as it was. Error buffer arguments may be NULL (no text is then written). Every failure's text
 * is also kept for its thread, for QM_GetLastError: the one way to learn why QM_OpenDIO failed.
 *
 * Threads. Every call may be made from any thread. The library's lock guards its tables only;
 * each network device has a lock of its own, held while a call talks to it, so a module that
 * is slow or silent until its time-out delays calls on itself and never those on another
 * device.
 *
 * Porting: handles and statuses are int (32 bits) as on the original platform; the value
 * argument of QM_WritePort is an unsigned 8-bit value (the original passed it widened to 32
 * bits on the stack, which a C prototype does by itself).
 */
#ifndef QM7300_QM7300_H
#define QM7300_QM7300_H

#ifdef __cplusplus
extern "C" {
#endif

/* Buffer sizes the calls write into, terminator included. */
#define QM_LIST_TEXT_SIZE 1024  /* both text buffers of QM_ListDIO */
#define QM_ERROR_TEXT_SIZE 1024 /* error text of QM_ReadPort, QM_WritePort, QM_GetVer */
#define QM_VERSION_SIZE 10      /* version text of QM_GetVer: at most 9 characters */

/* Status codes. */
#define QM_OK 0
#define QM_ERR_ARGUMENT -1  /* a required pointer argument was NULL */
#define QM_ERR_CONFIG -2    /* the devices file could not be read or has a bad line */
#define QM_ERR_NO_DEVICE -3 /* no device of that name */
#define QM_ERR_HANDLE -4    /* the handle is not one of an open device */
#define QM_ERR_PORT -5      /* no such port, or the port cannot be written */
#define QM_ERR_DEVICE -6    /* the device failed the operation, or could not be reached */
#define QM_ERR_MEMORY -7    /* out of memory */

/* --- Listing ------------------------------------------------------------------------------ */

/* Stores the device count in *count and the device names, separated by commas, in listText
 * (QM_LIST_TEXT_SIZE bytes). The second buffer (QM_LIST_TEXT_SIZE bytes, may be NULL) receives
 * the empty text on success and an error text on failure. On failure *count and listText are
 * left as they were. */
int QM_ListDIO(int *count, char *listText, char *errorText);

/* --- Opening and closing ------------------------------------------------------------------ */

/* Opens the device with exactly this name and stores a new handle (> 0) in *handle; a network
 * device is connected first (within its time-out). Every open gets its own handle; a device may
 * be open through several. On failure *handle is untouched and QM_GetLastError tells why. */
int QM_OpenDIO(const char *name, int *handle);

/* Closes a handle; a network device's last handle disconnects it. Handle 0 (what a failed open
 * leaves in a zeroed variable) is accepted and does nothing (QM_OK); an unknown handle is
 * refused with QM_ERR_HANDLE and nothing else happens. Port latches keep their values after the
 * close. */
int QM_CloseDIO(int handle);

/* --- Ports -------------------------------------------------------------------------------- */

/* Reads port 0, 1, 16 or 17 of the device into *value. On failure *value is untouched and an
 * error text goes to errorText (QM_ERROR_TEXT_SIZE bytes). */
int QM_ReadPort(int handle, int port, unsigned char *value, char *errorText);

/* Writes value to output port 16 or 17 of the device (it is latched and, in loopback, read
 * back on input port 0 or 1). On failure nothing is written and an error text goes to
 * errorText (QM_ERROR_TEXT_SIZE bytes). */
int QM_WritePort(int handle, int port, unsigned char value, char *errorText);

/* --- Version ------------------------------------------------------------------------------ */

/* Stores the device's version text (at most 9 characters, null-terminated) in version
 * (QM_VERSION_SIZE bytes): a module's revision from its identification. On failure version is
 * untouched and an error text goes to errorText (QM_ERROR_TEXT_SIZE bytes). */
int QM_GetVer(int handle, char *version, char *errorText);

/* --- Errors ------------------------------------------------------------------------------- */

/* Copies the error text of the calling thread's last failed call into errorText
 * (QM_ERROR_TEXT_SIZE bytes, may be NULL) and returns that call's status; "" and QM_OK when no
 * call has failed on this thread. Calls that succeed leave it alone. */
int QM_GetLastError(char *errorText);

#ifdef __cplusplus
}
#endif

#endif
