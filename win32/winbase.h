/* win32/winbase.h - kernel32: the base services of the Windows API subset (plain C).
 *
 * Implemented in win32/kernel32/ on POSIX. Each function keeps its Windows name, types and
 * result convention; how it maps onto Linux is said beside it. Functions that fail return
 * their failure value (FALSE, 0, NULL) and leave a code of win32/winerror.h for GetLastError.
 */
#ifndef WIN32_WINBASE_H
#define WIN32_WINBASE_H

#include "win32/windef.h"
#include "win32/winerror.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Errors and the process --------------------------------------------------------------- */

/* The calling thread's last error code: set by the failing calls of the subset (and by
 * SetLastError); each thread has its own, 0 at its start. */
DWORD GetLastError(void);
void SetLastError(DWORD errorCode);

/* The process id (getpid). */
DWORD GetCurrentProcessId(void);

/* ---- Synchronisation ---------------------------------------------------------------------- */

/* Stores value into *target and returns the value it held before, as one atomic step with full
 * memory ordering. target must be naturally aligned. */
LONG InterlockedExchange(LONG volatile *target, LONG value);

/* Suspends the calling thread for at least ms milliseconds. Sleep(0) gives up the rest of the
 * thread's time slice (the thread stays ready to run); Sleep(INFINITE) never returns.
 * Signals that interrupt the sleep do not shorten it. */
void Sleep(DWORD ms);

/* Results of WaitForSingleObject. */
#define WAIT_OBJECT_0    0x00000000u  /* the caller now owns the mutex */
#define WAIT_ABANDONED   0x00000080u  /* owned, but its previous owner ended without releasing */
#define WAIT_FAILED      0xFFFFFFFFu  /* not a mutex handle (GetLastError: ERROR_INVALID_HANDLE) */
/* WAIT_TIMEOUT (258): the time ran out first; see win32/winerror.h. */

/* Mutexes: recursive for their owning thread (each wait that succeeds needs one release).
 * A named mutex is one object for the whole process: every CreateMutexA of the same name
 * (case-sensitive), from any thread and from every copy of this library loaded into the
 * process, gives a handle to it. Names are private to the process (two processes never share
 * one); on Linux a named mutex is a process-shared robust pthread mutex in a POSIX shared
 * memory object whose name carries the process id, removed when the process exits normally.
 * Names longer than 200 characters are refused (ERROR_INVALID_PARAMETER).
 *
 * CreateMutexA: a new handle to the named mutex, made if needed (GetLastError then 0, or
 * ERROR_ALREADY_EXISTS when it existed); with a NULL name a new unnamed mutex. initialOwner
 * TRUE makes the caller own it (one holding). attributes are ignored. NULL on failure. */
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
/* Waits until the calling thread owns the mutex or ms milliseconds pass (INFINITE: no limit;
 * 0: a test without waiting). WAIT_OBJECT_0, WAIT_ABANDONED, WAIT_TIMEOUT or WAIT_FAILED. */
DWORD WaitForSingleObject(HANDLE handle, DWORD ms);
/* Gives up one holding of the mutex. FALSE with ERROR_NOT_OWNER when the calling thread does
 * not own it, ERROR_INVALID_HANDLE for a handle that is not a mutex. */
BOOL ReleaseMutex(HANDLE handle);
/* Closes a handle; the mutex goes when its last handle in this copy of the library closes
 * (ownership is not given up by closing). FALSE with ERROR_INVALID_HANDLE for an unknown
 * handle. */
BOOL CloseHandle(HANDLE handle);

/* ---- Modules ------------------------------------------------------------------------------ */

/* A loaded module: a small positive number, never NULL for a loaded module. */
typedef struct HINSTANCE__ *HMODULE;
typedef HMODULE HINSTANCE;
/* An exported function; cast it to its real type before calling. */
typedef intptr_t (*FARPROC)(void);

/* Modules are the library's built-in ones, not files: "kernel32.dll" (exports
 * GetDiskFreeSpaceExA, GetDiskFreeSpaceA, GetComputerNameA, GetVersionExA, GlobalMemoryStatus)
 * and, where the libraries that provide them are linked, "shell32.dll" and "Hhctrl.ocx".
 * A name is matched without regard to case, after any directory part ('\' or '/'); a name
 * without an extension gets ".dll". A module whose service this machine lacks (its
 * availability probe says no) does not load.
 *
 * LoadLibraryA: the module's handle (each load counts; FreeLibrary undoes one), or NULL with
 * ERROR_MOD_NOT_FOUND. GetProcAddress: the export by its exact name, or NULL with
 * ERROR_PROC_NOT_FOUND (ERROR_INVALID_HANDLE for a handle not loaded). FreeLibrary: TRUE, or
 * FALSE with ERROR_INVALID_HANDLE. Built-in code never goes away, so addresses obtained stay
 * callable. Safe on any thread. */
HMODULE LoadLibraryA(LPCSTR fileName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE module);

/* ---- Computer, directories, version ------------------------------------------------------- */

#define MAX_COMPUTERNAME_LENGTH 15

/* The computer name: on Linux the host name (gethostname) up to its first '.', cut to 15
 * characters (MAX_COMPUTERNAME_LENGTH). *size is the buffer's size in characters; on success
 * the name and its zero are stored and *size becomes its length without the zero. A buffer
 * too small: FALSE, ERROR_BUFFER_OVERFLOW, *size = length + 1 and nothing stored. NULL size:
 * FALSE, ERROR_INVALID_PARAMETER. */
BOOL GetComputerNameA(LPSTR buffer, LPDWORD size);

/* The Windows directory and the system directory. On Linux the Windows directory stands for
 * the installed operating system, "/usr", and the system directory for its shared libraries,
 * "/usr/lib". Both copy the path with its zero and return its length without the zero; when
 * size (characters) is too small they store nothing and return the size needed with the zero.
 * A NULL buffer with size 0 asks for the size. */
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);

/* The operating system's version (148 bytes, as on Windows). */
typedef struct _OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;  /* set by the caller to sizeof(OSVERSIONINFOA) */
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
} OSVERSIONINFOA, *LPOSVERSIONINFOA;

#define VER_PLATFORM_WIN32s        0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT      2

/* Fills the record from uname: the kernel release "MAJOR.MINOR.PATCH..." gives the major and
 * minor versions and the build number (the patch level, 0 when absent); the platform is
 * VER_PLATFORM_WIN32_NT (a protected multi-user system); szCSDVersion holds the system name
 * and the kernel's version text ("Linux #1 SMP ..."), cut to 127 characters. FALSE with
 * ERROR_INSUFFICIENT_BUFFER when dwOSVersionInfoSize is not sizeof(OSVERSIONINFOA);
 * ERROR_INVALID_PARAMETER for NULL. */
BOOL GetVersionExA(LPOSVERSIONINFOA info);

/* ---- Memory and disks --------------------------------------------------------------------- */

/* Memory status in the 32-byte record of the 32-bit call: every count is a DWORD of bytes, and
 * a count above 4 GiB - 1 reads as 0xFFFFFFFF, as the 32-bit call reports an overflow. */
typedef struct _MEMORYSTATUS {
    DWORD dwLength;         /* set to sizeof(MEMORYSTATUS) by the call */
    DWORD dwMemoryLoad;     /* percent of physical memory in use */
    DWORD dwTotalPhys;
    DWORD dwAvailPhys;
    DWORD dwTotalPageFile;
    DWORD dwAvailPageFile;
    DWORD dwTotalVirtual;
    DWORD dwAvailVirtual;
} MEMORYSTATUS, *LPMEMORYSTATUS;

/* Linux (sysinfo and /proc/meminfo): physical = MemTotal, available physical = MemAvailable
 * (free plus reclaimable caches; MemFree when the kernel lacks the line); load = the used
 * share of MemTotal in percent; the page file stands for the commit limit, physical memory
 * plus swap (available: MemAvailable plus SwapFree); virtual = the process's address space
 * (its RLIMIT_AS, else 128 TiB) and what of it is not mapped (/proc/self/statm). NULL does
 * nothing. */
void GlobalMemoryStatus(LPMEMORYSTATUS status);

/* Space on the file system holding path (statvfs; NULL: the current directory). Free bytes
 * available to the caller = f_bavail x f_frsize, total = f_blocks x f_frsize, total free =
 * f_bfree x f_frsize; each output may be NULL. FALSE on failure: ERROR_PATH_NOT_FOUND (no such
 * path), ERROR_ACCESS_DENIED, else ERROR_INVALID_PARAMETER. */
BOOL GetDiskFreeSpaceExA(LPCSTR path, PULARGE_INTEGER freeBytesAvailableToCaller,
                         PULARGE_INTEGER totalBytes, PULARGE_INTEGER totalFreeBytes);

/* The same space in clusters (the file system's fragment size f_frsize) of 512-byte sectors
 * (one sector of f_frsize bytes when that is not a multiple of 512): free clusters are those
 * available to the caller (f_bavail), total clusters f_blocks; cluster counts above
 * 0xFFFFFFFF read as 0xFFFFFFFF. Outputs may be NULL. Failures as GetDiskFreeSpaceExA. */
BOOL GetDiskFreeSpaceA(LPCSTR path, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                       LPDWORD numberOfFreeClusters, LPDWORD totalNumberOfClusters);

#ifdef __cplusplus
}
#endif

#endif
