/* toolbox/windows/registry.h - one-call access to registry values (plain C).
 *
 * Each function opens or creates the key, does one thing and closes the key again, so no state
 * survives between calls and any thread may call them. rootKey is a predefined root key
 * (HKEY_CURRENT_USER, ...) passed on unchanged; subKey is a path below it such as
 * "Control Panel\\Desktop"; a NULL value name means the key's default value where allowed.
 * The registry is the Windows API subset's store (win32/winreg.h: one SQLite database per user,
 * durable and shared safely by several processes).
 *
 * Results: 0, or a negative code (toolbox/core/errors.h): -5065 could not open the key, -5066
 * could not set the value, -5067 could not access the value, -5068 the value does not exist,
 * -5069 the value has another type, -5070 the key does not exist, and -14 (count not valid),
 * -57 (buffer too small), -65 (a required pointer is NULL). Windows codes never pass through.
 * Writers create missing keys; a writer that fails afterwards leaves the key.
 *
 * Porting: registry DWORDs are uint32_t (Windows' 32-bit unsigned long). Counts of names and
 * strings follow the platform code (rte/system.h): on Linux a string is written with its
 * terminating zero and its size includes it.
 */
#ifndef TOOLBOX_WINDOWS_REGISTRY_H
#define TOOLBOX_WINDOWS_REGISTRY_H

#include <stdint.h>

#include "win32/winreg.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Writes size bytes of data as REG_BINARY. NULL subKey, valueName or data: -65. */
int RegWriteBinary(HKEY rootKey, const char *subKey, const char *valueName, const void *data,
                   unsigned int size);

/* Reads a REG_BINARY value. *realSize receives its size even when the call then fails. With a
 * NULL buffer only the size is asked for; a size above bufferSize gives -57 (nothing copied).
 * NULL subKey, valueName or realSize: -65. */
int RegReadBinary(HKEY rootKey, const char *subKey, const char *valueName, void *buffer,
                  unsigned int bufferSize, unsigned int *realSize);

/* Writes the 4 bytes of value as REG_DWORD, or as REG_DWORD_BIG_ENDIAN when bigEndian is
 * non-zero: the bytes as the variable holds them, not swapped, so that RegReadULong gives the
 * same number back. Other writers of REG_DWORD_BIG_ENDIAN (Windows' reg, rtereg) store the
 * number high byte first: on this little-endian machine RegReadULong(..., 1) reads their 1 as
 * 16777216. NULL subKey or valueName: -65. */
int RegWriteULong(HKEY rootKey, const char *subKey, const char *valueName, uint32_t value,
                  int bigEndian);

/* Reads a value of the type RegWriteULong writes for bigEndian (-5069 for another type) into
 * *value; a value whose data are not exactly 4 bytes gives -5067. NULL subKey, valueName or
 * value: -65. */
int RegReadULong(HKEY rootKey, const char *subKey, const char *valueName, uint32_t *value,
                 int bigEndian);

/* Writes text as REG_SZ (valueName NULL: the key's default value); a created key gets the
 * class "DfltClass". NULL subKey or text: -65. */
int RegWriteString(HKEY rootKey, const char *subKey, const char *valueName, const char *text);

/* Writes count REG_SZ values: text[i] under valueNames[i] (a NULL name: the default value), in
 * order, stopping at the first failure (those written stay): a NULL text[i] gives -65, a
 * failed write -5066. NULL subKey, valueNames or texts: -65; count below 1: -14, with nothing
 * touched. */
int RegWriteStringArray(HKEY rootKey, const char *subKey, int count, const char **valueNames,
                        const char **texts);

/* Reads a REG_SZ value (valueName NULL: the default value) as RegReadBinary reads binary data;
 * *realSize is the size as stored, with the terminating zero. When the buffer has room after
 * the data and they do not end in a zero, a zero is added, so text read into a buffer larger
 * than the value is always terminated. NULL subKey or realSize: -65. */
int RegReadString(HKEY rootKey, const char *subKey, const char *valueName, char *buffer,
                  unsigned int bufferSize, unsigned int *realSize);

/* Facts of a key; each output may be NULL: the number of subkeys and of values, the longest
 * subkey name and the longest value name (in characters, the platform's count: on Linux the
 * subkey name without its zero, the value name with it; 0 when there is none), the largest
 * value data in bytes. NULL subKey: -65; query failure: -5067. */
int RegQueryInfoOnKey(HKEY rootKey, const char *subKey, unsigned int *subKeyCount,
                      unsigned int *valueCount, unsigned int *maxSubKeyNameLength,
                      unsigned int *maxValueNameLength, unsigned int *maxValueDataSize);

/* Value number index (from 0) of the key, in the order of the names. nameBuffer (may be NULL)
 * receives the name with its zero; *nameLength is its size on entry and the name's length
 * without the zero on return. dataBuffer (may be NULL) receives the data; *dataSize is its
 * size on entry and the data's size on return. Both lengths are reported even when the call
 * then gives -57 for a buffer too small. *type (may be NULL) receives the type, 0 for a code
 * above 10. An index past the last value, or a value that changes while it is read: -5067.
 * NULL subKey, or a buffer without its length pointer: -65. */
int RegEnumerateValue(HKEY rootKey, const char *subKey, int index, char *nameBuffer,
                      unsigned int *nameLength, void *dataBuffer, unsigned int *dataSize,
                      int *type);

#ifdef __cplusplus
}
#endif

#endif
