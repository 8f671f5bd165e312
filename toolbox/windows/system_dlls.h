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

#include "win32/shellapi.h"
#include "win32/winbase.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- "shell32.dll" ----------------------------------------------------------------------- */

/* DragQueryFile: *result (may be NULL) receives its result (a count or a length). */
int CallDragQueryFile(HDROP drop, unsigned int index, char *buffer, unsigned int bufferSize, unsigned int *result);
/* DragAcceptFiles. */
int CallDragAcceptFiles(HWND window, int accept);
/* DragQueryPoint: the point into *point, its BOOL result (in the client area) into *result. */
int CallDragQueryPoint(HDROP drop, POINT *point, int *result);
/* DragFinish. */
int CallDragFinish(HDROP drop);
/* Shell_NotifyIconA with operation NIM_ADD (0), NIM_MODIFY (1) or NIM_DELETE (2). */
int CallShellNotifyIcon(unsigned int operation, NOTIFYICONDATAA *data, int *result);
/* Shell_NotifyIconMenu (this port's addition): the icon's menu for desktops that show it. */
int CallShellNotifyIconMenu(HWND owner, unsigned int id, HMENU menu, int *result);
/* ShellExecuteExA. */
int CallShellExecuteEx(SHELLEXECUTEINFOA *info, int *result);

/* ---- "kernel32.dll" ---------------------------------------------------------------------- */

/* GetDiskFreeSpaceExA of "kernel32.dll": the space of the file system holding directory;
 * *result (may be NULL) receives its BOOL result (GetLastError tells why it failed). */
int CallGetDiskFreeSpaceEx(const char *directory, PULARGE_INTEGER freeBytesAvailableToCaller,
                           PULARGE_INTEGER totalBytes, PULARGE_INTEGER totalFreeBytes, int *result);

#ifdef __cplusplus
}
#endif

#endif
