/* win32/winuser.h - user32: windows of panels, window procedures and messages, menus, system
 * colours and parameters (plain C).
 *
 * Implemented in win32/user32/ on POSIX. Each function keeps its Windows name, types and result
 * convention; how it maps onto Linux is said beside it.
 */
#ifndef WIN32_WINUSER_H
#define WIN32_WINUSER_H

#include "win32/windef.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifdef __cplusplus
}
#endif

#endif
