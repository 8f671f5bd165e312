// The wrappers of functions reached through run-time loading: kernel32's GetDiskFreeSpaceExA.
#include "toolbox/windows/system_dlls.h"

#include "toolbox/windows/system_dll_loader_internal.h"

namespace {

const char *const kKernel32Functions[] = {"GetDiskFreeSpaceExA"};
FARPROC g_kernel32Functions[1];
SystemDll g_kernel32 = {"kernel32.dll", "Tessellan library lock on KERNEL32.DLL handle - %d",
                        kKernel32Functions, 1, g_kernel32Functions};

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
