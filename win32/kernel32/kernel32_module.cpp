// The built-in module "kernel32.dll": the kernel32 functions callers look up at run time.
#include "win32/builtin_modules_internal.h"
#include "win32/winbase.h"

namespace {

template <typename F>
void (*Export(F *function))(void) {
    return reinterpret_cast<void (*)(void)>(function);
}

const Win32Export kKernel32Exports[] = {
    {"GetDiskFreeSpaceExA", Export(&GetDiskFreeSpaceExA)},
    {"GetDiskFreeSpaceA", Export(&GetDiskFreeSpaceA)},
    {"GetComputerNameA", Export(&GetComputerNameA)},
    {"GetVersionExA", Export(&GetVersionExA)},
    {"GlobalMemoryStatus", Export(&GlobalMemoryStatus)},
};

}  // namespace

extern "C" const Win32BuiltinModule Win32Module_kernel32 = {
    "kernel32.dll", kKernel32Exports, sizeof kKernel32Exports / sizeof kKernel32Exports[0],
    nullptr};
