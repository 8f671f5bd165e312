// Tests of module loading (LoadLibraryA, GetProcAddress, FreeLibrary) and of the machine's
// facts that kernel32 reports, against the same facts read directly from Linux.
#include "win32/builtin_modules_internal.h"
#include "win32/winbase.h"

#include <gtest/gtest.h>

#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <thread>

// A stand-in for the shell32 library's record: this test program provides it, as the shell32
// library does when it is linked, with an availability probe the tests switch.
namespace {
int g_shellAvailable = 1;
int ShellProbe() { return g_shellAvailable; }
void Nothing() {}
const Win32Export kShellExports[] = {{"DragFinish", &Nothing}};
}  // namespace
extern "C" const Win32BuiltinModule Win32Module_shell32 = {"shell32.dll", kShellExports, 1, ShellProbe};

TEST(Modules, BuiltInModulesLoadByNameWithoutRegardToCase) {
    struct Case {
        const char *name;
        bool loads;
    } cases[] = {
        {"kernel32.dll", true}, {"KERNEL32.DLL", true}, {"Kernel32", true},
        {"C:\\Windows\\System32\\kernel32.dll", true}, {"/usr/lib/kernel32.dll", true},
        {"kernel32.", false}, {"kernel32.exe", false}, {"user33.dll", false}, {"", false},
        {"Hhctrl.ocx", false},  // its library is not linked into this program
    };
    for (const auto &c : cases) {
        SetLastError(0);
        HMODULE module = LoadLibraryA(c.name);
        EXPECT_EQ(module != nullptr, c.loads) << c.name;
        if (module != nullptr) {
            EXPECT_TRUE(FreeLibrary(module));
        } else {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND)) << c.name;
        }
    }
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
}

TEST(Modules, ExportsAreFoundByTheirExactNames) {
    HMODULE kernel = LoadLibraryA("kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    FARPROC function = GetProcAddress(kernel, "GetDiskFreeSpaceExA");
    ASSERT_NE(function, nullptr);
    auto call = reinterpret_cast<BOOL (*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER)>(
        reinterpret_cast<void (*)(void)>(function));
    ULARGE_INTEGER total;
    EXPECT_TRUE(call("/", nullptr, &total, nullptr));
    EXPECT_EQ(GetProcAddress(kernel, "getdiskfreespaceexa"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(kernel, nullptr), nullptr);
    EXPECT_TRUE(FreeLibrary(kernel));
    EXPECT_FALSE(FreeLibrary(kernel)) << "freed more often than loaded";
    EXPECT_EQ(GetProcAddress(kernel, "GetDiskFreeSpaceExA"), nullptr) << "no longer loaded";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(uintptr_t{99})));
}

TEST(Modules, AModuleWhoseServiceIsMissingDoesNotLoad) {
    HMODULE shell = LoadLibraryA("SHELL32.dll");
    ASSERT_NE(shell, nullptr) << "the record this program provides is found";
    EXPECT_NE(GetProcAddress(shell, "DragFinish"), nullptr);
    FreeLibrary(shell);
    g_shellAvailable = 0;
    EXPECT_EQ(LoadLibraryA("shell32.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    g_shellAvailable = 1;
}

TEST(MachineFacts, ComputerNameIsTheShortHostName) {
    char host[HOST_NAME_MAX + 1] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    std::string expected(host, std::strcspn(host, "."));
    if (expected.size() > 15) expected.resize(15);
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size));
    EXPECT_EQ(name, expected);
    EXPECT_EQ(size, expected.size());
    size = static_cast<DWORD>(expected.size());  // no room for the zero
    EXPECT_FALSE(GetComputerNameA(name, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
    EXPECT_EQ(size, expected.size() + 1);
    EXPECT_FALSE(GetComputerNameA(name, nullptr));
}

TEST(MachineFacts, DirectoriesVersionAndMemory) {
    char dir[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectoryA(dir, sizeof dir), 4u);
    EXPECT_STREQ(dir, "/usr");
    EXPECT_EQ(GetSystemDirectoryA(dir, sizeof dir), 8u);
    EXPECT_STREQ(dir, "/usr/lib");
    EXPECT_EQ(GetSystemDirectoryA(dir, 8), 9u) << "too small: the size needed";
    EXPECT_EQ(GetWindowsDirectoryA(nullptr, 0), 5u);

    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = 100;
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_EQ(sizeof info, 148u);
    ASSERT_TRUE(GetVersionExA(&info));
    struct utsname names;
    uname(&names);
    unsigned major = 0, minor = 0;
    std::sscanf(names.release, "%u.%u", &major, &minor);
    EXPECT_EQ(info.dwMajorVersion, major);
    EXPECT_EQ(info.dwMinorVersion, minor);
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(std::string(info.szCSDVersion).rfind(names.sysname, 0), 0u);

    MEMORYSTATUS memory;
    ASSERT_EQ(sizeof memory, 32u);
    GlobalMemoryStatus(&memory);
    EXPECT_EQ(memory.dwLength, 32u);
    EXPECT_LE(memory.dwMemoryLoad, 100u);
    EXPECT_GT(memory.dwTotalPhys, 0u);
    EXPECT_LE(memory.dwAvailPhys, memory.dwTotalPhys);
    EXPECT_GE(memory.dwTotalPageFile, memory.dwTotalPhys);
    // This machine has more than 4 GiB: the 32-bit counts read as 0xFFFFFFFF.
    long long physical = sysconf(_SC_PHYS_PAGES) * sysconf(_SC_PAGESIZE);
    if (physical > 0xFFFFFFFFll) {
        EXPECT_EQ(memory.dwTotalPhys, 0xFFFFFFFFu);
    }
    GlobalMemoryStatus(nullptr);
}

TEST(MachineFacts, DiskSpaceIsStatvfsOfThePath) {
    struct statvfs fs;
    ASSERT_EQ(statvfs("/", &fs), 0);
    ULARGE_INTEGER available, total, totalFree;
    ASSERT_TRUE(GetDiskFreeSpaceExA("/", &available, &total, &totalFree));
    EXPECT_EQ(total.QuadPart, static_cast<ULONGLONG>(fs.f_blocks) * fs.f_frsize);
    EXPECT_LE(available.QuadPart, totalFree.QuadPart);
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA("/", &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters));
    EXPECT_EQ(static_cast<unsigned long>(sectorsPerCluster) * bytesPerSector, fs.f_frsize);
    EXPECT_EQ(totalClusters, fs.f_blocks > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(fs.f_blocks));
    EXPECT_FALSE(GetDiskFreeSpaceExA("/no/such/folder", &available, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(GetDiskFreeSpaceExA(nullptr, nullptr, nullptr, nullptr)) << "the current folder";
}

TEST(LastError, EachThreadHasItsOwn) {
    SetLastError(1234);
    DWORD other = 99;
    std::thread([&] { other = GetLastError(); }).join();
    EXPECT_EQ(other, 0u);
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
}
