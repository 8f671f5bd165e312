/* toolbox/windows/system_dlls.h - Windows functions reached through run-time loading of their
 * module (plain C).
 *
 * Each wrapper first loads its module (once per process; loading is serialised by a named
 * mutex shared by every copy of this library in the process). When loading fails it returns
 * the loader's code, -5093 "Could not load required system DLL" (the module is missing or its
 * service is not offered on this machine) or -5094 "Required function not found in system DLL",
 * and stores 0 in its result output; otherwise it calls the function, stores its result and
 * returns 0. Safe on any thread.
 */
#ifndef TOOLBOX_WINDOWS_SYSTEM_DLLS_H
#define TOOLBOX_WINDOWS_SYSTEM_DLLS_H

#include "win32/winbase.h"

#ifdef __cplusplus
extern "C" {
#endif

/* GetDiskFreeSpaceExA of "kernel32.dll": the space of the file system holding directory;
 * *result (may be NULL) receives its BOOL result (GetLastError tells why it failed). */
int CallGetDiskFreeSpaceEx(const char *directory, PULARGE_INTEGER freeBytesAvailableToCaller,
                           PULARGE_INTEGER totalBytes, PULARGE_INTEGER totalFreeBytes, int *result);

#ifdef __cplusplus
}
#endif

#endif
