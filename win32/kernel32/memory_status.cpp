// GlobalMemoryStatus from sysinfo, /proc/meminfo and the process's own address space (see
// win32/winbase.h for the mapping).
#include "win32/winbase.h"

#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// The 32-bit call reports a count it cannot hold as 0xFFFFFFFF.
DWORD Capped(uint64_t bytes) { return bytes > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(bytes); }

// A "Name:   1234 kB" line of /proc/meminfo in bytes; false when the line is missing.
bool MemInfo(const char *name, uint64_t *bytes) {
    FILE *f = std::fopen("/proc/meminfo", "r");
    if (f == nullptr) return false;
    char line[256];
    size_t length = std::strlen(name);
    bool found = false;
    while (std::fgets(line, sizeof line, f) != nullptr) {
        unsigned long long kb = 0;
        if (std::strncmp(line, name, length) == 0 && line[length] == ':' &&
            std::sscanf(line + length + 1, "%llu", &kb) == 1) {
            *bytes = kb * 1024ull;
            found = true;
            break;
        }
    }
    std::fclose(f);
    return found;
}

}  // namespace

extern "C" void GlobalMemoryStatus(LPMEMORYSTATUS status) {
    if (status == nullptr) return;
    struct sysinfo info {};
    sysinfo(&info);
    uint64_t unit = info.mem_unit != 0 ? info.mem_unit : 1;
    uint64_t totalPhys = info.totalram * unit;
    uint64_t availPhys = info.freeram * unit;
    MemInfo("MemTotal", &totalPhys);
    if (!MemInfo("MemAvailable", &availPhys)) MemInfo("MemFree", &availPhys);
    if (availPhys > totalPhys) availPhys = totalPhys;
    uint64_t totalSwap = info.totalswap * unit;
    uint64_t freeSwap = info.freeswap * unit;

    // The address space: its limit, or the 47 bits of x86-64 user space, less what is mapped.
    uint64_t totalVirtual = 1ull << 47;
    struct rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        totalVirtual = limit.rlim_cur;
    }
    uint64_t mapped = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        unsigned long long pages = 0;
        if (std::fscanf(f, "%llu", &pages) == 1) mapped = pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
        std::fclose(f);
    }

    status->dwLength = sizeof(MEMORYSTATUS);
    status->dwMemoryLoad =
        totalPhys == 0 ? 0 : static_cast<DWORD>((totalPhys - availPhys) * 100 / totalPhys);
    status->dwTotalPhys = Capped(totalPhys);
    status->dwAvailPhys = Capped(availPhys);
    status->dwTotalPageFile = Capped(totalPhys + totalSwap);
    status->dwAvailPageFile = Capped(availPhys + freeSwap);
    status->dwTotalVirtual = Capped(totalVirtual);
    status->dwAvailVirtual = Capped(totalVirtual > mapped ? totalVirtual - mapped : 0);
}
