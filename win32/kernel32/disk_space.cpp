// Disk space from statvfs: GetDiskFreeSpaceExA in bytes, GetDiskFreeSpaceA in clusters.
#include "win32/winbase.h"

#include <errno.h>
#include <sys/statvfs.h>

#include <cstdint>

namespace {

bool Query(LPCSTR path, struct statvfs *fs) {
    if (statvfs(path != nullptr ? path : ".", fs) == 0) return true;
    switch (errno) {
        case ENOENT:
        case ENOTDIR:
            SetLastError(ERROR_PATH_NOT_FOUND);
            break;
        case EACCES:
            SetLastError(ERROR_ACCESS_DENIED);
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            break;
    }
    return false;
}

}  // namespace

extern "C" BOOL GetDiskFreeSpaceExA(LPCSTR path, PULARGE_INTEGER freeBytesAvailableToCaller,
                                    PULARGE_INTEGER totalBytes, PULARGE_INTEGER totalFreeBytes) {
    struct statvfs fs;
    if (!Query(path, &fs)) return FALSE;
    uint64_t unit = fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize;
    if (freeBytesAvailableToCaller != nullptr) freeBytesAvailableToCaller->QuadPart = fs.f_bavail * unit;
    if (totalBytes != nullptr) totalBytes->QuadPart = fs.f_blocks * unit;
    if (totalFreeBytes != nullptr) totalFreeBytes->QuadPart = fs.f_bfree * unit;
    return TRUE;
}

extern "C" BOOL GetDiskFreeSpaceA(LPCSTR path, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                                  LPDWORD numberOfFreeClusters, LPDWORD totalNumberOfClusters) {
    struct statvfs fs;
    if (!Query(path, &fs)) return FALSE;
    uint64_t unit = fs.f_frsize != 0 ? fs.f_frsize : fs.f_bsize;
    DWORD sector = unit % 512 == 0 ? 512 : static_cast<DWORD>(unit);
    auto capped = [](uint64_t n) { return n > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(n); };
    if (sectorsPerCluster != nullptr) *sectorsPerCluster = static_cast<DWORD>(unit / sector);
    if (bytesPerSector != nullptr) *bytesPerSector = sector;
    if (numberOfFreeClusters != nullptr) *numberOfFreeClusters = capped(fs.f_bavail);
    if (totalNumberOfClusters != nullptr) *totalNumberOfClusters = capped(fs.f_blocks);
    return TRUE;
}
