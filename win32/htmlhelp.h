/* win32/htmlhelp.h - the HTML help viewer, "Hhctrl.ocx" (plain C).
 *
 * The module loads (LoadLibraryA("Hhctrl.ocx")) only where the desktop has an application
 * that opens HTML help (.chm) files: GIO's default application for the type of a compiled HTML
 * help file (application/vnd.ms-htmlhelp). Implemented in win32/shell32/.
 */
#ifndef WIN32_HTMLHELP_H
#define WIN32_HTMLHELP_H

#include "win32/windef.h"

#ifdef __cplusplus
extern "C" {
#endif

#define HH_DISPLAY_TOPIC 0x0000
#define HH_HELP_CONTEXT  0x000F
#define HH_CLOSE_ALL     0x0012

/* Shows a help file: HH_DISPLAY_TOPIC and HH_HELP_CONTEXT open file (a path, with any
 * "::/topic" part dropped) in the help application, launched directly; HH_CLOSE_ALL does
 * nothing. Returns a non-null handle (the owner, or 1) when the application was started, NULL
 * otherwise (a missing file, no application, any other command). */
HWND HtmlHelpA(HWND owner, LPCSTR file, UINT command, DWORD_PTR data);

#ifdef __cplusplus
}
#endif

#endif
