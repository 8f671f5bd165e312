// One-call registry access: write and read binary, DWORD and string values, write several
// strings, query a key and enumerate its values (see registry.h).
#include "toolbox/windows/registry.h"
#include "toolbox/windows/registry_testing.h"

#include "rte/system.h"
#include "toolbox/core/errors.h"

#include <atomic>
#include <cstring>

namespace {

constexpr int kCountNotValid = -14;
constexpr int kBufferTooSmall = -57;
constexpr int kNullPointer = -65;
constexpr DWORD kEnumNameBufferSize = 260;
constexpr DWORD kLocalValueSize = 256;

std::atomic<void (*)()> g_betweenEnumerations{nullptr};

// Counts of this platform include the terminating zero unless it is Windows NT.
bool CountsIncludeZero() { return GetCurrentPlatform() != RTE_PLATFORM_WINDOWS_NT; }

// Opens or creates the key for writing. 0 or -5065.
int CreateKey(HKEY root, const char *subKey, const char *keyClass, HKEY *key) {
    SECURITY_ATTRIBUTES attributes = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    DWORD disposition = 0;
    LONG error = RegCreateKeyExA(root, subKey, 0, const_cast<char *>(keyClass),
                                 REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, &attributes, key,
                                 &disposition);
    return error == ERROR_SUCCESS ? 0 : TOOLBOX_ERR_REG_OPEN_KEY;
}

// Opens an existing key for reading. 0, -5070 or -5065.
int OpenKey(HKEY root, const char *subKey, HKEY *key) {
    LONG error = RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, key);
    if (error == ERROR_SUCCESS) return 0;
    return error == ERROR_FILE_NOT_FOUND ? TOOLBOX_ERR_REG_NO_KEY : TOOLBOX_ERR_REG_OPEN_KEY;
}

// Sets one string value on an open key. 0 or -5066.
int SetString(HKEY key, const char *valueName, const char *text) {
    DWORD size = static_cast<DWORD>(std::strlen(text)) + (CountsIncludeZero() ? 1 : 0);
    LONG error = RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), size);
    return error == ERROR_SUCCESS ? 0 : TOOLBOX_ERR_REG_SET_VALUE;
}

// Reads a value of the expected type into buffer (steps 3 to 5 of every reader). *realSize is
// set as soon as the size is known. The value is read at once into a local buffer, which tells
// its type and size too; only a larger value is read a second time, into the caller's buffer,
// once its type and size are known to fit.
int ReadValue(HKEY key, const char *valueName, DWORD expectedType, void *buffer,
              unsigned int bufferSize, unsigned int *realSize) {
    BYTE local[kLocalValueSize];
    DWORD type = 0, size = sizeof local;
    LONG error = RegQueryValueExA(key, valueName, nullptr, &type, local, &size);
    if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA) {
        return error == ERROR_FILE_NOT_FOUND ? TOOLBOX_ERR_REG_NO_VALUE : TOOLBOX_ERR_REG_ACCESS_VALUE;
    }
    *realSize = size;
    if (type != expectedType) return TOOLBOX_ERR_REG_VALUE_TYPE;
    if (buffer == nullptr) return 0;
    if (size > bufferSize) return kBufferTooSmall;
    if (error == ERROR_SUCCESS) {
        if (size > 0) std::memcpy(buffer, local, size);
        return 0;
    }
    error = RegQueryValueExA(key, valueName, nullptr, &type, static_cast<BYTE *>(buffer), &size);
    if (error != ERROR_SUCCESS || type != expectedType) return TOOLBOX_ERR_REG_ACCESS_VALUE;
    return 0;
}

}  // namespace

namespace toolbox::testing {
void SetBetweenEnumerationsHook(void (*hook)()) { g_betweenEnumerations.store(hook); }
}  // namespace toolbox::testing

extern "C" int RegWriteBinary(HKEY rootKey, const char *subKey, const char *valueName,
                              const void *data, unsigned int size) {
    if (subKey == nullptr || valueName == nullptr || data == nullptr) return kNullPointer;
    HKEY key = nullptr;
    int status = CreateKey(rootKey, subKey, "", &key);
    if (status != 0) return status;
    if (RegSetValueExA(key, valueName, 0, REG_BINARY, static_cast<const BYTE *>(data), size) != ERROR_SUCCESS) {
        status = TOOLBOX_ERR_REG_SET_VALUE;
    }
    RegCloseKey(key);
    return status;
}

extern "C" int RegReadBinary(HKEY rootKey, const char *subKey, const char *valueName, void *buffer,
                             unsigned int bufferSize, unsigned int *realSize) {
    if (subKey == nullptr || valueName == nullptr || realSize == nullptr) return kNullPointer;
    HKEY key = nullptr;
    int status = OpenKey(rootKey, subKey, &key);
    if (status != 0) return status;
    status = ReadValue(key, valueName, REG_BINARY, buffer, bufferSize, realSize);
    RegCloseKey(key);
    return status;
}

extern "C" int RegWriteULong(HKEY rootKey, const char *subKey, const char *valueName, uint32_t value,
                             int bigEndian) {
    if (subKey == nullptr || valueName == nullptr) return kNullPointer;
    HKEY key = nullptr;
    int status = CreateKey(rootKey, subKey, "", &key);
    if (status != 0) return status;
    DWORD type = bigEndian != 0 ? REG_DWORD_BIG_ENDIAN : REG_DWORD;
    if (RegSetValueExA(key, valueName, 0, type, reinterpret_cast<const BYTE *>(&value), 4) != ERROR_SUCCESS) {
        status = TOOLBOX_ERR_REG_SET_VALUE;
    }
    RegCloseKey(key);
    return status;
}

extern "C" int RegReadULong(HKEY rootKey, const char *subKey, const char *valueName, uint32_t *value,
                            int bigEndian) {
    if (subKey == nullptr || valueName == nullptr || value == nullptr) return kNullPointer;
    HKEY key = nullptr;
    int status = OpenKey(rootKey, subKey, &key);
    if (status != 0) return status;
    DWORD expected = bigEndian != 0 ? REG_DWORD_BIG_ENDIAN : REG_DWORD;
    // Read into a local first: a value of another size than 4 bytes is no DWORD, and the
    // caller's variable is not to be left half written.
    unsigned int size = 0;
    uint32_t read = 0;
    status = ReadValue(key, valueName, expected, &read, sizeof read, &size);
    if (status == kBufferTooSmall || (status == 0 && size != 4)) status = TOOLBOX_ERR_REG_ACCESS_VALUE;
    if (status == 0) *value = read;
    RegCloseKey(key);
    return status;
}

extern "C" int RegWriteString(HKEY rootKey, const char *subKey, const char *valueName, const char *text) {
    if (subKey == nullptr || text == nullptr) return kNullPointer;
    HKEY key = nullptr;
    int status = CreateKey(rootKey, subKey, "DfltClass", &key);
    if (status != 0) return status;
    status = SetString(key, valueName, text);
    RegCloseKey(key);
    return status;
}

extern "C" int RegWriteStringArray(HKEY rootKey, const char *subKey, int count, const char **valueNames,
                                   const char **texts) {
    if (subKey == nullptr || valueNames == nullptr || texts == nullptr) return kNullPointer;
    if (count < 1) return kCountNotValid;
    HKEY key = nullptr;
    int status = CreateKey(rootKey, subKey, "DfltClass", &key);
    if (status != 0) return status;
    for (int i = 0; i < count && status == 0; ++i) {
        status = texts[i] == nullptr ? kNullPointer : SetString(key, valueNames[i], texts[i]);
    }
    RegCloseKey(key);
    return status;
}

extern "C" int RegReadString(HKEY rootKey, const char *subKey, const char *valueName, char *buffer,
                             unsigned int bufferSize, unsigned int *realSize) {
    if (subKey == nullptr || realSize == nullptr) return kNullPointer;
    HKEY key = nullptr;
    int status = OpenKey(rootKey, subKey, &key);
    if (status != 0) return status;
    status = ReadValue(key, valueName, REG_SZ, buffer, bufferSize, realSize);
    RegCloseKey(key);
    // A text stored without its zero (as a Windows NT writer stores it) is terminated when the
    // buffer has room.
    if (status == 0 && buffer != nullptr && *realSize < bufferSize &&
        (*realSize == 0 || buffer[*realSize - 1] != '\0')) {
        buffer[*realSize] = '\0';
    }
    return status;
}

extern "C" int RegQueryInfoOnKey(HKEY rootKey, const char *subKey, unsigned int *subKeyCount,
                                 unsigned int *valueCount, unsigned int *maxSubKeyNameLength,
                                 unsigned int *maxValueNameLength, unsigned int *maxValueDataSize) {
    if (subKey == nullptr) return kNullPointer;
    HKEY key = nullptr;
    int status = OpenKey(rootKey, subKey, &key);
    if (status != 0) return status;
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxData = 0;
    LONG error = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr,
                                  &values, &maxValueName, &maxData, nullptr, nullptr);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS) return TOOLBOX_ERR_REG_ACCESS_VALUE;
    // The longest subkey name without its zero; a key without subkeys reports 0, not -1.
    if (CountsIncludeZero() && maxSubKey > 0) maxSubKey -= 1;
    if (subKeyCount != nullptr) *subKeyCount = subKeys;
    if (valueCount != nullptr) *valueCount = values;
    if (maxSubKeyNameLength != nullptr) *maxSubKeyNameLength = maxSubKey;
    if (maxValueNameLength != nullptr) *maxValueNameLength = maxValueName;
    if (maxValueDataSize != nullptr) *maxValueDataSize = maxData;
    return 0;
}

extern "C" int RegEnumerateValue(HKEY rootKey, const char *subKey, int index, char *nameBuffer,
                                 unsigned int *nameLength, void *dataBuffer, unsigned int *dataSize,
                                 int *type) {
    if (subKey == nullptr || (nameBuffer != nullptr && nameLength == nullptr) ||
        (dataBuffer != nullptr && dataSize == nullptr)) {
        return kNullPointer;
    }
    unsigned int nameCapacity = nameBuffer != nullptr ? *nameLength : 0;
    unsigned int dataCapacity = dataBuffer != nullptr ? *dataSize : 0;
    HKEY key = nullptr;
    int status = OpenKey(rootKey, subKey, &key);
    if (status != 0) return status;

    char name[kEnumNameBufferSize];
    DWORD nameCount = kEnumNameBufferSize, valueType = 0, size = 0;
    LONG error = RegEnumValueA(key, static_cast<DWORD>(index), name, &nameCount, nullptr,
                               &valueType, nullptr, &size);
    if (error != ERROR_SUCCESS) {
        RegCloseKey(key);
        return TOOLBOX_ERR_REG_ACCESS_VALUE;
    }
    // The name's length without its zero.
    DWORD length = CountsIncludeZero() && nameCount > 0 ? nameCount - 1 : nameCount;
    if (nameLength != nullptr) *nameLength = length;
    if (dataSize != nullptr) *dataSize = size;
    if ((nameBuffer != nullptr && length + 1 > nameCapacity) ||
        (dataBuffer != nullptr && size > dataCapacity)) {
        RegCloseKey(key);
        return kBufferTooSmall;
    }
    if (void (*hook)() = g_betweenEnumerations.load()) hook();
    if (dataBuffer != nullptr && size != 0) {
        char again[kEnumNameBufferSize];
        DWORD againCount = kEnumNameBufferSize, againType = 0, againSize = size;
        error = RegEnumValueA(key, static_cast<DWORD>(index), again, &againCount, nullptr,
                              &againType, static_cast<BYTE *>(dataBuffer), &againSize);
        if (error != ERROR_SUCCESS || againType != valueType || againCount != nameCount ||
            againSize != size || std::memcmp(again, name, nameCount) != 0) {
            RegCloseKey(key);
            return TOOLBOX_ERR_REG_ACCESS_VALUE;
        }
    }
    RegCloseKey(key);
    if (nameBuffer != nullptr) std::memcpy(nameBuffer, name, length + 1);
    if (type != nullptr) *type = valueType >= 1 && valueType <= 10 ? static_cast<int>(valueType) : 0;
    return 0;
}
