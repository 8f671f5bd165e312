// The loader of system modules: loads a module and resolves its functions once per process,
// under a named mutex shared by every copy of the library in the process.
#include "toolbox/windows/system_dll_loader_internal.h"

#include "toolbox/core/errors.h"

#include <cstdio>

int LoadSystemDll(SystemDll *dll) {
    // 1. Done before.
    if (dll->loaded.load(std::memory_order_acquire) != 0) return 0;

    // 2. The named lock of this process.
    char lockName[128];
    std::snprintf(lockName, sizeof lockName, dll->lockNameFormat, static_cast<int>(GetCurrentProcessId()));
    HANDLE opened = CreateMutexA(nullptr, FALSE, lockName);
    if (opened == nullptr) return TOOLBOX_ERR_LOAD_SYSTEM_DLL;

    // 3. Wait for it without limit.
    WaitForSingleObject(opened, INFINITE);

    // 4. Keep one handle for the life of the process. The mutex is recursive, so the stored
    //    handle is taken before the new one is given up: the lock is held throughout.
    HANDLE lock = opened;
    if (dll->lock != nullptr) {
        lock = dll->lock;
        WaitForSingleObject(lock, INFINITE);
        ReleaseMutex(opened);
        CloseHandle(opened);
    } else {
        dll->lock = opened;
    }

    // 5. Another thread finished meanwhile.
    if (dll->loaded.load(std::memory_order_acquire) != 0) {
        ReleaseMutex(lock);
        return 0;
    }

    // 6. Load the module.
    dll->module = LoadLibraryA(dll->moduleName);
    if (dll->module == nullptr) {
        ReleaseMutex(lock);
        return TOOLBOX_ERR_LOAD_SYSTEM_DLL;
    }

    // 7. Resolve every function, in order.
    for (int i = 0; i < dll->functionCount; ++i) {
        dll->functions[i] = GetProcAddress(dll->module, dll->functionNames[i]);
        if (dll->functions[i] == nullptr) {
            FreeLibrary(dll->module);
            dll->module = nullptr;
            dll->lock = nullptr;
            ReleaseMutex(lock);
            CloseHandle(lock);
            return TOOLBOX_ERR_SYSTEM_FUNCTION_NOT_FOUND;
        }
    }

    // 8. Loaded for the life of the process.
    dll->loaded.store(1, std::memory_order_release);
    ReleaseMutex(lock);
    return 0;
}
