// The computer name, the Windows and system directories and the version, from Linux's facts
// (see win32/winbase.h for each mapping).
#include "win32/winbase.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char kWindowsDirectory[] = "/usr";
constexpr const char kSystemDirectory[] = "/usr/lib";

// Copies path with its zero when it fits: the length without the zero, else the size needed.
UINT CopyDirectory(const char *path, LPSTR buffer, UINT size) {
    UINT length = static_cast<UINT>(std::strlen(path));
    if (buffer == nullptr || size < length + 1) return length + 1;
    std::memcpy(buffer, path, length + 1);
    return length;
}

// The leading decimal number of text, and where it ends; 0 when there is none.
DWORD LeadingNumber(const char *text, const char **end) {
    DWORD value = 0;
    while (*text >= '0' && *text <= '9') {
        value = value * 10 + static_cast<DWORD>(*text - '0');
        ++text;
    }
    *end = text;
    return value;
}

}  // namespace

extern "C" BOOL GetComputerNameA(LPSTR buffer, LPDWORD size) {
    if (size == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size_t length = std::strcspn(host, ".");
    if (length > MAX_COMPUTERNAME_LENGTH) length = MAX_COMPUTERNAME_LENGTH;
    if (buffer == nullptr || *size < length + 1) {
        *size = static_cast<DWORD>(length + 1);
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return FALSE;
    }
    std::memcpy(buffer, host, length);
    buffer[length] = '\0';
    *size = static_cast<DWORD>(length);
    return TRUE;
}

extern "C" UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    return CopyDirectory(kWindowsDirectory, buffer, size);
}

extern "C" UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
    return CopyDirectory(kSystemDirectory, buffer, size);
}

extern "C" BOOL GetVersionExA(LPOSVERSIONINFOA info) {
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    struct utsname names;
    if (uname(&names) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // "6.1.0-18-amd64": major 6, minor 1, build 0.
    const char *p = names.release;
    info->dwMajorVersion = LeadingNumber(p, &p);
    info->dwMinorVersion = *p == '.' ? LeadingNumber(p + 1, &p) : 0;
    info->dwBuildNumber = *p == '.' ? LeadingNumber(p + 1, &p) : 0;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    // "Linux #1 SMP ...", cut to the record's 127 characters.
    std::string text = std::string(names.sysname) + " " + names.version;
    size_t length = text.size() < sizeof info->szCSDVersion ? text.size() : sizeof info->szCSDVersion - 1;
    std::memcpy(info->szCSDVersion, text.data(), length);
    info->szCSDVersion[length] = '\0';
    return TRUE;
}
