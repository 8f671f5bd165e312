// GetUserNameA: the effective user's name from the password database.
#include "win32/winbase.h"
#include "win32/winreg.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

extern "C" BOOL GetUserNameA(LPSTR buffer, LPDWORD size) {
    if (size == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> scratch(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
    struct passwd entry;
    struct passwd *found = nullptr;
    while (getpwuid_r(geteuid(), &entry, scratch.data(), scratch.size(), &found) == ERANGE) {
        scratch.resize(scratch.size() * 2);
    }
    if (found == nullptr) {
        SetLastError(ERROR_NO_SUCH_USER);
        return FALSE;
    }
    DWORD needed = static_cast<DWORD>(std::strlen(found->pw_name) + 1);
    if (buffer == nullptr || *size < needed) {
        *size = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(buffer, found->pw_name, needed);
    *size = needed;
    return TRUE;
}
