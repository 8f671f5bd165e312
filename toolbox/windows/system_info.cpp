// Facts of the machine: display colours, computer and user names, directories, version, disk
// space and memory (see system_info.h).
#include "toolbox/windows/system_info.h"

#include "toolbox/core/errors.h"
#include "toolbox/windows/system_dlls.h"
#include "win32/windows.h"

#include <cstring>

namespace {

constexpr int kBufferTooSmall = -57;
constexpr int kNullPointer = -65;
constexpr UINT kPathBufferSize = 260;

}  // namespace

extern "C" int GetWindowsColor(int displayItem, int *color) {
    if (color == nullptr) return kNullPointer;
    if (displayItem < 0 || displayItem > 20) return TOOLBOX_ERR_INVALID_DISPLAY_ITEM;
    DWORD windows = GetSysColor(displayItem);  // red in the low byte
    *color = static_cast<int>(((windows & 0xFF) << 16) | (windows & 0xFF00) | ((windows >> 16) & 0xFF));
    return 0;
}

extern "C" int GetCompName(char *name) {
    if (name == nullptr) return kNullPointer;
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameA(name, &size) ? 0 : TOOLBOX_ERR_SYSTEM;
}

extern "C" int GetWindowsDirs(char *windowsDirectory, char *systemDirectory) {
    int status = 0;
    if (systemDirectory != nullptr) {
        UINT n = GetSystemDirectoryA(systemDirectory, kPathBufferSize);
        if (n == 0 || n >= kPathBufferSize) status = TOOLBOX_ERR_SYSTEM;
    }
    if (windowsDirectory != nullptr) {
        UINT n = GetWindowsDirectoryA(windowsDirectory, kPathBufferSize);
        if (n == 0 || n >= kPathBufferSize) status = TOOLBOX_ERR_SYSTEM;
    }
    return status;
}

extern "C" int GetWinOSVersion(int *majorVersion, int *minorVersion, int *buildNumber, int *platformId) {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
    if (!GetVersionExA(&info)) return TOOLBOX_ERR_SYSTEM;
    if (majorVersion != nullptr) *majorVersion = static_cast<int>(info.dwMajorVersion);
    if (minorVersion != nullptr) *minorVersion = static_cast<int>(info.dwMinorVersion);
    if (buildNumber != nullptr) *buildNumber = static_cast<int>(info.dwBuildNumber & 0xFFFF);
    if (platformId != nullptr) *platformId = static_cast<int>(info.dwPlatformId);
    return 0;
}

extern "C" int GetDiskSpace(const char *directory, UInt64Type *totalBytes, UInt64Type *freeBytes) {
    if (directory == nullptr || freeBytes == nullptr || totalBytes == nullptr) return kNullPointer;
    *totalBytes = UInt64Type{0, 0};
    *freeBytes = UInt64Type{0, 0};
    ULARGE_INTEGER available, total, totalFree;
    int ok = 0;
    int status = CallGetDiskFreeSpaceEx(directory, &available, &total, &totalFree, &ok);
    if (status == 0 && ok) {
        freeBytes->lo = static_cast<uint32_t>(available.QuadPart);
        freeBytes->hi = static_cast<uint32_t>(available.QuadPart >> 32);
        totalBytes->lo = static_cast<uint32_t>(total.QuadPart);
        totalBytes->hi = static_cast<uint32_t>(total.QuadPart >> 32);
        return 0;
    }
    if (status != 0 || GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
        if (!GetDiskFreeSpaceA(directory, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
            return TOOLBOX_ERR_SYSTEM;
        }
        // Products in 32 bits, as the old call's callers computed them.
        totalBytes->lo = bytesPerSector * sectorsPerCluster * totalClusters;
        freeBytes->lo = bytesPerSector * sectorsPerCluster * freeClusters;
        return 0;
    }
    return TOOLBOX_ERR_SYSTEM;
}

extern "C" int UInt64TypeCompareUInt(UInt64Type value, unsigned int number) {
    if (value.hi != 0) return 1;
    if (value.lo == number) return 0;
    return value.lo > number ? 1 : -1;
}

extern "C" int GetMemoryInfo(int *memoryLoad, unsigned int *totalPhysical, unsigned int *totalPageFile,
                             unsigned int *totalVirtual, unsigned int *availablePhysical,
                             unsigned int *availablePageFile, unsigned int *availableVirtual) {
    MEMORYSTATUS status;
    std::memset(&status, 0, sizeof status);
    status.dwLength = sizeof status;  // 32 bytes
    GlobalMemoryStatus(&status);
    if (memoryLoad != nullptr) *memoryLoad = static_cast<int>(status.dwMemoryLoad);
    if (totalPhysical != nullptr) *totalPhysical = status.dwTotalPhys;
    if (totalPageFile != nullptr) *totalPageFile = status.dwTotalPageFile;
    if (totalVirtual != nullptr) *totalVirtual = status.dwTotalVirtual;
    if (availablePhysical != nullptr) *availablePhysical = status.dwAvailPhys;
    if (availablePageFile != nullptr) *availablePageFile = status.dwAvailPageFile;
    if (availableVirtual != nullptr) *availableVirtual = status.dwAvailVirtual;
    return 0;
}

extern "C" int GetCurrentUser(char *name, int bufferSize, int *length) {
    if (length == nullptr) return kNullPointer;
    if (name == nullptr) {
        DWORD needed = 0;
        GetUserNameA(nullptr, &needed);  // a size query: its failure is not reported
        *length = static_cast<int>(needed);
        return 0;
    }
    // A buffer of no bytes can hold nothing, not even the terminating zero.
    if (bufferSize < 1) return kBufferTooSmall;
    DWORD count = static_cast<DWORD>(bufferSize - 1);
    BOOL ok = GetUserNameA(name, &count);
    *length = static_cast<int>(count);
    return ok ? 0 : kBufferTooSmall;
}
