/* win32/windows.h - the Windows API subset on POSIX (plain C, usable from C and C++).
 *
 * The calls the library's Windows integration is written against, with their Windows names,
 * types and result conventions, implemented on Linux one library per Windows module, as the
 * modules are on Windows. This header gathers them all; each module's header lists its
 * functions with their contracts and how they map onto the platform:
 *
 *   win32/windef.h    the basic types (BOOL, DWORD, LONG, HANDLE, WPARAM, ...)
 *   win32/winerror.h  the Windows error codes the subset reports
 *   win32/winbase.h   kernel32: errors, mutexes, modules, sleeps, computer name, directories,
 *                     version, memory, disk space                  (win32/kernel32/)
 *   win32/winuser.h   user32: windows, messages, menus, system colours and parameters
 *                                                                   (win32/user32/)
 *   win32/winreg.h    advapi32: the registry, the user name          (win32/advapi32/)
 *   win32/shellapi.h  shell32: tray icons, dropped files, documents (win32/shell32/)
 *
 * Only user32 and shell32 reach the run-time engine, through win32/engine_seam_internal.h;
 * kernel32 and advapi32 stand on the operating system alone.
 */
#ifndef WIN32_WINDOWS_H
#define WIN32_WINDOWS_H

#include "win32/windef.h"
#include "win32/winerror.h"
#include "win32/winbase.h"
#include "win32/winuser.h"
#include "win32/winreg.h"
#include "win32/shellapi.h"

#endif
