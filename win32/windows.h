/* win32/windows.h - the Windows API subset on POSIX (plain C, usable from C and C++).
 *
 * The calls the library's Windows integration is written against, with their Windows names,
 * types and result conventions, implemented on Linux. Grouped by family; each family lists its
 * functions with their contracts and how they map onto the platform.
 *
 * Porting: this is a 64-bit Linux build. The Windows integer types keep their Windows sizes
 * (DWORD and LONG are 32 bits, as on Windows, where `long` is 32 bits); pointers and pointer-
 * sized types (HANDLE, WPARAM, LPARAM, LRESULT) are 8 bytes.
 */
#ifndef WIN32_WINDOWS_H
#define WIN32_WINDOWS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Basic types -------------------------------------------------------------------------- */

typedef int BOOL;               /* FALSE (0) or TRUE (any other value, normally 1) */
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;         /* 32 bits, as on Windows */
typedef int32_t LONG;           /* 32 bits, as on Windows */
typedef uint32_t ULONG;
typedef int INT;
typedef unsigned int UINT;
typedef char CHAR;
typedef void *HANDLE;           /* generic object handle; NULL means none */
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef DWORD *LPDWORD;
typedef uintptr_t WPARAM;       /* pointer-sized message parameter */
typedef intptr_t LPARAM;        /* pointer-sized message parameter */
typedef intptr_t LRESULT;       /* pointer-sized message result */

#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif

#define INFINITE 0xFFFFFFFFu    /* a time-out or sleep without end */

/* ---- Synchronisation (kernel32) ----------------------------------------------------------- */

/* Stores value into *target and returns the value it held before, as one atomic step with full
 * memory ordering. target must be naturally aligned. */
LONG InterlockedExchange(LONG volatile *target, LONG value);

/* Suspends the calling thread for at least ms milliseconds. Sleep(0) gives up the rest of the
 * thread's time slice (the thread stays ready to run); Sleep(INFINITE) never returns.
 * Signals that interrupt the sleep do not shorten it. */
void Sleep(DWORD ms);

#ifdef __cplusplus
}
#endif

#endif
