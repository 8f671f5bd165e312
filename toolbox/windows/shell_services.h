/* toolbox/windows/shell_services.h - files dropped on panels, documents opened in their default
 * application, and HTML help (plain C).
 *
 * The shell's functions are reached by loading "shell32.dll" on first use
 * (toolbox/windows/system_dlls.h), the help viewer by loading "Hhctrl.ocx", so a machine without
 * them reports -5093 "Could not load required system DLL" or -5094 "Required function not
 * found in system DLL" instead of failing to start.
 *
 * Results: 0 or a negative code: -5083 "Panel does not have a callback function.", -5084
 * "Drag-and-Drop not enabled for panel", -5093, -5094, -5095 "Unknown system error", -5096 (no
 * application for the document's type), the message-callback codes of
 * toolbox/windows/win_msg_callbacks.h, and the engine's -12, -42, -65, -94, -95.
 */
#ifndef TOOLBOX_WINDOWS_SHELL_SERVICES_H
#define TOOLBOX_WINDOWS_SHELL_SERVICES_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Dropped files ---------------------------------------------------------------------------- */

#define EVENT_FILES_DROPPED 1005  /* panel callback: files were dropped on the panel */

/* Lets the operator drop files on a top-level panel: each drop in the panel's client area comes
 * to the panel's callback as EVENT_FILES_DROPPED. eventData1 is the number of files; the list
 * and the drop point are read during the callback with TakeDroppedFileList and GetDropPoint
 * (porting: the callback's event data are ints, too small for the pointers the list and the
 * point would need on 64-bit). Works on through the re-creation of the panel's window. -42 for
 * a panel handle that is not valid, -5083 when the panel has no callback of its own (chained
 * callbacks do not count), -5081 when drag and drop is enabled already, the loader's code when
 * shell32 cannot be loaded. */
int EnableDragAndDrop(int panel);
/* Ends it. -42, -5084 when it was not enabled. */
int DisableDragAndDrop(int panel);

/* During an EVENT_FILES_DROPPED callback: the dropped files as an array of paths in the order
 * the drop gave them, ended by a NULL pointer, each path and the array allocated with malloc. The
 * caller owns what it takes and frees each path and the array with free; a list nobody takes is
 * freed when the callback returns. NULL outside the callback or when it was taken already. */
char **TakeDroppedFileList(void);
/* During an EVENT_FILES_DROPPED callback: the drop point in the panel's client coordinates
 * (null pointers skipped). 1 during the callback, else 0. */
int GetDropPoint(int *x, int *y);

/* ---- Documents and help ----------------------------------------------------------------------- */

/* Opens a document with the desktop's default application for its type (no error dialogs).
 * windowState 0 normal, 1 minimised, 2 maximised (a hint to the application; others count as
 * 0). -65 for a NULL path, -94 for a missing file or folder, -95 when access is denied, -12,
 * -5096 when no application opens the type, -5093 when the shell or the application's program
 * cannot be found, -5095 for any other failure to start it. */
int OpenDocumentInDefaultViewer(const char *documentPath, int windowState);

/* Shows an HTML help file with the help viewer (HtmlHelpA of "Hhctrl.ocx"): 0 whatever the
 * viewer answers; -5093 when the module cannot be loaded (this machine has no application for
 * help files), -5094 when it lacks HtmlHelpA. */
int ShowHtmlHelp(const char *helpFile, unsigned int command, unsigned long data);

#ifdef __cplusplus
}
#endif

#endif
