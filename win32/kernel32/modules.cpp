// Module loading over the library's built-in modules: LoadLibraryA, GetProcAddress and
// FreeLibrary (see win32/builtin_modules_internal.h for how a module library offers itself).
#include "win32/builtin_modules_internal.h"
#include "win32/winbase.h"

#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" {
// The records of the modules other libraries provide; null when that library is not linked.
extern const Win32BuiltinModule Win32Module_shell32 __attribute__((weak));
extern const Win32BuiltinModule Win32Module_hhctrl __attribute__((weak));
extern const Win32BuiltinModule Win32Module_kernel32;
}

namespace {

// The module table: a handle is its index + 1. Each entry counts its loads.
struct ModuleSlot {
    const Win32BuiltinModule *module;
    std::atomic<long> loads;
};

ModuleSlot g_modules[] = {
    {&Win32Module_kernel32, {0}},
    {&Win32Module_shell32, {0}},
    {&Win32Module_hhctrl, {0}},
};
constexpr size_t kModuleCount = sizeof g_modules / sizeof g_modules[0];

// The module's name as it is compared: the part after the last '\' or '/', lower case, with
// ".dll" added when it has no extension (a trailing '.' means "no extension", as on Windows).
std::string CanonicalName(const char *fileName) {
    const char *base = fileName;
    for (const char *p = fileName; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/') base = p + 1;
    }
    std::string name;
    for (const char *p = base; *p != '\0'; ++p) {
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    }
    if (!name.empty() && name.back() == '.') {
        name.pop_back();
    } else if (name.find('.') == std::string::npos) {
        name += ".dll";
    }
    return name;
}

bool SameName(const std::string &canonical, const char *moduleName) {
    if (canonical.size() != std::strlen(moduleName)) return false;
    for (size_t i = 0; i < canonical.size(); ++i) {
        if (canonical[i] != std::tolower(static_cast<unsigned char>(moduleName[i]))) return false;
    }
    return true;
}

ModuleSlot *SlotOf(HMODULE module) {
    auto index = reinterpret_cast<uintptr_t>(module);
    if (index == 0 || index > kModuleCount) return nullptr;
    ModuleSlot *slot = &g_modules[index - 1];
    if (slot->module == nullptr || slot->loads.load() <= 0) return nullptr;
    return slot;
}

}  // namespace

extern "C" HMODULE LoadLibraryA(LPCSTR fileName) {
    if (fileName == nullptr || fileName[0] == '\0') {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    std::string canonical;
    try {
        canonical = CanonicalName(fileName);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    for (size_t i = 0; i < kModuleCount; ++i) {
        const Win32BuiltinModule *module = g_modules[i].module;
        if (module == nullptr || !SameName(canonical, module->fileName)) continue;
        if (module->available != nullptr && module->available() == 0) break;
        g_modules[i].loads.fetch_add(1);
        return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(i + 1));
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

extern "C" FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
    ModuleSlot *slot = SlotOf(module);
    if (slot == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (procName != nullptr) {
        for (size_t i = 0; i < slot->module->exportCount; ++i) {
            const Win32Export &e = slot->module->exports[i];
            if (std::strcmp(e.name, procName) == 0) return reinterpret_cast<FARPROC>(e.address);
        }
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

extern "C" BOOL FreeLibrary(HMODULE module) {
    ModuleSlot *slot = SlotOf(module);
    if (slot == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Never below zero, even when two threads free the last load at once.
    long loads = slot->loads.load();
    while (loads > 0 && !slot->loads.compare_exchange_weak(loads, loads - 1)) {
    }
    if (loads <= 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
