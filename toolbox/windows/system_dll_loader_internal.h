// toolbox/windows/system_dll_loader_internal.h - loading a system module's functions on first
// use (library-internal, C++).
//
// One SystemDll record per module, a process-wide variable of the library:
//
//     const char *const kNames[] = {"GetDiskFreeSpaceExA"};
//     FARPROC g_functions[1];
//     SystemDll g_kernel32 = {"kernel32.dll",
//                             "Tessellan library lock on KERNEL32.DLL handle - %d", kNames, 1,
//                             g_functions};
//     int status = LoadSystemDll(&g_kernel32);   // 0, -5093 or -5094
//
// The record moves once from not loaded to loaded; a failure leaves it not loaded and the next
// call tries again; nothing is unloaded. Loading is serialised by the named mutex whose name is
// lockNameFormat formatted with the process id, shared by every copy of the library in the
// process; the loaded flag is tested again under it. The function pointers are written before
// the flag is set (release) and read after it is seen (acquire), and never change afterwards.
#ifndef TOOLBOX_WINDOWS_SYSTEM_DLL_LOADER_INTERNAL_H
#define TOOLBOX_WINDOWS_SYSTEM_DLL_LOADER_INTERNAL_H

#include "win32/winbase.h"

#include <atomic>

struct SystemDll {
    const char *moduleName;             // "kernel32.dll"
    const char *lockNameFormat;         // with one %d for the process id
    const char *const *functionNames;   // resolved in this order
    int functionCount;
    FARPROC *functions;                 // functionCount entries, valid once loaded
    std::atomic<int> loaded{0};
    HANDLE lock = nullptr;              // the named mutex, kept open once stored
    HMODULE module = nullptr;
};

// Loads the module and resolves its functions unless already done. 0, -5093 (the mutex cannot
// be made, or the module cannot be loaded) or -5094 (a function is missing; the module is
// freed again).
int LoadSystemDll(SystemDll *dll);

#endif
