/* win32/windef.h - the basic types of the Windows API subset (plain C, usable from C and C++).
 *
 * Porting: this is a 64-bit Linux build. The Windows integer types keep their Windows sizes
 * (DWORD and LONG are 32 bits, as on Windows, where `long` is 32 bits); pointers and pointer-
 * sized types (HANDLE, WPARAM, LPARAM, LRESULT) are 8 bytes.
 */
#ifndef WIN32_WINDEF_H
#define WIN32_WINDEF_H

#include <stddef.h>
#include <stdint.h>

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
typedef uint64_t ULONGLONG;
typedef LONG *PLONG;
typedef BYTE *LPBYTE;
typedef const BYTE *LPCBYTE;
typedef BOOL *LPBOOL;
typedef DWORD ACCESS_MASK;
typedef ACCESS_MASK REGSAM;

/* A 64-bit unsigned count passed by address (disk space): QuadPart is the whole value; LowPart
 * and HighPart its halves. */
typedef union _ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
} ULARGE_INTEGER, *PULARGE_INTEGER;

/* Security attributes of a new object. On POSIX the descriptor is ignored (objects get the
 * calling user's default permissions) and so is inheritance (there are no child handles). */
typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

/* A time stamp in 100-nanosecond steps since 1601-01-01 (UTC), in two halves. */
typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *PFILETIME;

#define MAX_PATH 260            /* the Windows path buffer size the callers use */

#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif

#define INFINITE 0xFFFFFFFFu    /* a time-out or sleep without end */

#endif
