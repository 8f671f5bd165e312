/* win32/shellapi.h - shell32: tray icons, dropped files and documents opened in their
 * application (plain C).
 *
 * Implemented in win32/shell32/ on POSIX. Each function keeps its Windows name, types and result
 * convention; how it maps onto Linux is said beside it.
 */
#ifndef WIN32_SHELLAPI_H
#define WIN32_SHELLAPI_H

#include "win32/windef.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifdef __cplusplus
}
#endif

#endif
