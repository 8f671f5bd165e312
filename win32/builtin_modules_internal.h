/* win32/builtin_modules_internal.h - how a Windows module of the subset offers itself to
 * LoadLibraryA and GetProcAddress (internal to win32/, not installed).
 *
 * The subset's "DLLs" are built into the library: a module is a Win32BuiltinModule record,
 * defined once, as a constant, by the module library that provides it, under a fixed name
 * that kernel32's module table (win32/kernel32/modules.cpp) knows:
 *
 *     kernel32.dll   Win32Module_kernel32   win32/kernel32 (always present)
 *     shell32.dll    Win32Module_shell32    win32/shell32
 *     Hhctrl.ocx     Win32Module_hhctrl     the help viewer's module
 *
 * kernel32 refers to the records of the other modules weakly, so kernel32 links and runs
 * alone, and a module whose library is not linked simply does not exist (LoadLibraryA fails
 * as for a missing DLL). Static linking drops an archive member nothing refers to, so the
 * win32 umbrella library (win32/CMakeLists.txt, and the pkg-config file) makes the linker keep
 * each record with -Wl,--undefined=<record>; a shared build needs nothing more (the weak
 * reference binds to the record when the module's library is loaded). To add a module:
 * define its record in its library, add the record's name to the weak table in modules.cpp
 * and to WIN32_BUILTIN_MODULE_RECORDS in win32/CMakeLists.txt.
 */
#ifndef WIN32_BUILTIN_MODULES_INTERNAL_H
#define WIN32_BUILTIN_MODULES_INTERNAL_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One exported function: its exact export name and address. */
typedef struct Win32Export {
    const char *name;
    void (*address)(void);
} Win32Export;

typedef struct Win32BuiltinModule {
    const char *fileName;          /* "shell32.dll": matched without regard to case */
    const Win32Export *exports;
    size_t exportCount;
    /* 1 when this machine offers the module's service (a desktop shell, a help viewer), else
     * 0: LoadLibraryA then fails. NULL: always available. Called on every LoadLibraryA; may be
     * called from any thread at once. */
    int (*available)(void);
} Win32BuiltinModule;

#ifdef __cplusplus
}
#endif

#endif
