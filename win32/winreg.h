/* win32/winreg.h - advapi32: the registry (plain C).
 *
 * Implemented in win32/advapi32/ on POSIX. Each function keeps its Windows name, types and result
 * convention; how it maps onto Linux is said beside it.
 */
#ifndef WIN32_WINREG_H
#define WIN32_WINREG_H

#include "win32/windef.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifdef __cplusplus
}
#endif

#endif
