/* win32/winerror.h - the Windows error codes of the Windows API subset (plain C).
 *
 * Functions of the subset report failures as Windows does: the registry calls return one of
 * these codes (ERROR_SUCCESS, 0, on success); the others return a failure value and leave the
 * code for GetLastError (win32/winbase.h). Only the codes the subset gives are listed.
 */
#ifndef WIN32_WINERROR_H
#define WIN32_WINERROR_H

#define ERROR_SUCCESS                0L
#define NO_ERROR                     0L
#define ERROR_INVALID_FUNCTION       1L     /* registry: no transaction open, or one open already */
#define ERROR_FILE_NOT_FOUND         2L     /* registry: no such key or value */
#define ERROR_PATH_NOT_FOUND         3L
#define ERROR_ACCESS_DENIED          5L     /* the key was opened without the access needed, or
                                               the registry's store cannot be written */
#define ERROR_INVALID_HANDLE         6L
#define ERROR_NOT_ENOUGH_MEMORY      8L
#define ERROR_OUTOFMEMORY            14L
#define ERROR_INVALID_PARAMETER      87L
#define ERROR_BUFFER_OVERFLOW        111L   /* GetComputerNameA: the buffer is too small */
#define ERROR_CALL_NOT_IMPLEMENTED   120L
#define ERROR_INSUFFICIENT_BUFFER    122L
#define ERROR_MOD_NOT_FOUND          126L   /* LoadLibraryA: no such module, or its service is missing */
#define ERROR_PROC_NOT_FOUND         127L   /* GetProcAddress: the module has no such export */
#define ERROR_BAD_PATHNAME           161L   /* registry: a key path with an empty part */
#define ERROR_ALREADY_EXISTS         183L   /* CreateMutexA: the named mutex existed (not a failure) */
#define ERROR_MORE_DATA              234L   /* the caller's buffer is too small; sizes were reported */
#define WAIT_TIMEOUT                 258L
#define ERROR_NO_MORE_ITEMS          259L   /* enumeration index past the last item */
#define ERROR_NOT_OWNER              288L   /* ReleaseMutex by a thread that does not own it */
#define ERROR_BADDB                  1009L  /* registry: the store is damaged or not a registry */
#define ERROR_BADKEY                 1010L  /* registry: the store could not be opened or written */
#define ERROR_CANTREAD               1012L  /* registry: the store could not be read */
#define ERROR_CANTWRITE              1013L  /* registry: the change could not be committed */
#define ERROR_KEY_DELETED            1018L  /* registry: the open key was deleted meanwhile */
#define ERROR_KEY_HAS_CHILDREN       1020L  /* RegDeleteKeyA: the key still has subkeys */
#define ERROR_NO_SUCH_USER           1317L
#define ERROR_NO_ASSOCIATION         1155L  /* ShellExecuteExA: no application opens this type */
#define ERROR_DDE_FAIL               1156L  /* ShellExecuteExA: the application could not be started */
#define ERROR_INVALID_WINDOW_HANDLE  1400L  /* no window has this handle (any more) */
#define ERROR_INVALID_MENU_HANDLE    1401L
#define ERROR_INVALID_ICON_HANDLE    1402L
#define ERROR_INVALID_INDEX          1413L  /* GetWindowLongA: an index this subset does not keep */
#define ERROR_MENU_ITEM_NOT_FOUND    1456L


#endif
