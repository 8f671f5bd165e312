// The registry model of the desktop's settings: REG_SZ texts under HKEY_CURRENT_USER, where
// Windows keeps them in the user's profile.
#include "win32/user32/desktop_internal.h"
#include "win32/winreg.h"

#include <vector>

namespace win32::desktop {

Read ReadSetting(const char *key, const char *name, std::string *value) {
    HKEY handle = nullptr;
    LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &handle);
    if (opened != ERROR_SUCCESS) return opened == ERROR_FILE_NOT_FOUND ? Read::kMissing : Read::kStoreError;
    DWORD type = 0, size = 0;
    LONG error = RegQueryValueExA(handle, name, nullptr, &type, nullptr, &size);
    std::vector<BYTE> data(size + 1u, 0);
    if (error == ERROR_SUCCESS && type == REG_SZ) {
        error = RegQueryValueExA(handle, name, nullptr, &type, data.data(), &size);
    } else if (error == ERROR_SUCCESS) {
        error = ERROR_FILE_NOT_FOUND;  // not text: as if missing
    }
    RegCloseKey(handle);
    if (error == ERROR_FILE_NOT_FOUND) return Read::kMissing;
    if (error != ERROR_SUCCESS) return Read::kStoreError;
    // Stored with or without its zero: the text ends at the first zero or the data's end.
    value->assign(reinterpret_cast<const char *>(data.data()));
    return Read::kFound;
}

bool WriteSetting(const char *key, const char *name, const std::string &value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG error = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
    return error == ERROR_SUCCESS;
}

}  // namespace win32::desktop
