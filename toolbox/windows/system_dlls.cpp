// The wrappers of functions reached through run-time loading: shell32's dropped files, tray
// icons and documents, and kernel32's GetDiskFreeSpaceExA.
#include "toolbox/windows/system_dlls.h"

#include "toolbox/windows/system_dll_loader_internal.h"

namespace {

const char *const kKernel32Functions[] = {"GetDiskFreeSpaceExA"};
FARPROC g_kernel32Functions[1];
SystemDll g_kernel32 = {"kernel32.dll", "Tessellan library lock on KERNEL32.DLL handle - %d",
                        kKernel32Functions, 1, g_kernel32Functions};

const char *const kShell32Functions[] = {"DragQueryFile",   "DragQueryPoint",    "DragAcceptFiles",
                                         "DragFinish",      "Shell_NotifyIconA", "ShellExecuteExA",
                                         "Shell_NotifyIconMenu"};
FARPROC g_shell32Functions[7];
SystemDll g_shell32 = {"shell32.dll", "Tessellan library lock on SHELL32.DLL handle - %d", kShell32Functions, 7,
                       g_shell32Functions};

// FARPROC stands for any function; cast through the generic function type to the real one.
template <typename F>
F Function(FARPROC address) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)(void)>(address));
}

using GetDiskFreeSpaceExFunction = BOOL (*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

}  // namespace

extern "C" int CallGetDiskFreeSpaceEx(const char *directory, PULARGE_INTEGER freeBytesAvailableToCaller,
                                      PULARGE_INTEGER totalBytes, PULARGE_INTEGER totalFreeBytes,
                                      int *result) {
    int status = LoadSystemDll(&g_kernel32);
    if (status != 0) {
        if (result != nullptr) *result = 0;
        return status;
    }
    // FARPROC stands for any function; cast through the generic function type to the real one.
    auto function = reinterpret_cast<GetDiskFreeSpaceExFunction>(
        reinterpret_cast<void (*)(void)>(g_kernel32Functions[0]));
    BOOL ok = function(directory, freeBytesAvailableToCaller, totalBytes, totalFreeBytes);
    if (result != nullptr) *result = ok;
    return 0;
}

extern "C" int CallDragQueryFile(HDROP drop, unsigned int index, char *buffer, unsigned int bufferSize,
                                 unsigned int *result) {
    int status = LoadSystemDll(&g_shell32);
    if (status != 0) {
        if (result != nullptr) *result = 0;
        return status;
    }
    UINT got = Function<UINT (*)(HDROP, UINT, LPSTR, UINT)>(g_shell32Functions[0])(drop, index, buffer, bufferSize);
    if (result != nullptr) *result = got;
    return 0;
}

extern "C" int CallDragQueryPoint(HDROP drop, POINT *point, int *result) {
    int status = LoadSystemDll(&g_shell32);
    if (status != 0) {
        if (result != nullptr) *result = 0;
        return status;
    }
    BOOL inside = Function<BOOL (*)(HDROP, LPPOINT)>(g_shell32Functions[1])(drop, point);
    if (result != nullptr) *result = inside;
    return 0;
}

extern "C" int CallDragAcceptFiles(HWND window, int accept) {
    int status = LoadSystemDll(&g_shell32);
    if (status != 0) return status;
    Function<void (*)(HWND, BOOL)>(g_shell32Functions[2])(window, accept);
    return 0;
}

extern "C" int CallDragFinish(HDROP drop) {
    int status = LoadSystemDll(&g_shell32);
    if (status != 0) return status;
    Function<void (*)(HDROP)>(g_shell32Functions[3])(drop);
    return 0;
}

extern "C" int CallShellNotifyIcon(unsigned int operation, NOTIFYICONDATAA *data, int *result) {
    int status = LoadSystemDll(&g_shell32);
    if (status != 0) {
        if (result != nullptr) *result = 0;
        return status;
    }
    BOOL ok = Function<BOOL (*)(DWORD, PNOTIFYICONDATAA)>(g_shell32Functions[4])(operation, data);
    if (result != nullptr) *result = ok;
    return 0;
}

extern "C" int CallShellNotifyIconMenu(HWND owner, unsigned int id, HMENU menu, int *result) {
    int status = LoadSystemDll(&g_shell32);
    if (status != 0) {
        if (result != nullptr) *result = 0;
        return status;
    }
    BOOL ok = Function<BOOL (*)(HWND, UINT, HMENU)>(g_shell32Functions[6])(owner, id, menu);
    if (result != nullptr) *result = ok;
    return 0;
}

extern "C" int CallShellExecuteEx(SHELLEXECUTEINFOA *info, int *result) {
    int status = LoadSystemDll(&g_shell32);
    if (status != 0) {
        if (result != nullptr) *result = 0;
        return status;
    }
    BOOL ok = Function<BOOL (*)(LPSHELLEXECUTEINFOA)>(g_shell32Functions[5])(info);
    if (result != nullptr) *result = ok;
    return 0;
}
