// rtereg's work on the registry store (see reg_store.h).
#include "tools/rtereg/reg_store.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace rtereg {

namespace {

struct Root {
    HKEY key;
    const char *name;
    const char *shortName;
};

const Root kRoots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM"},
    {HKEY_USERS, "HKEY_USERS", "HKU"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "HKCC"},
};

bool SameWithoutCase(const std::string &a, const char *b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

std::string Join(const std::string &a, const std::string &b) {
    if (b.empty()) return a;
    return a.empty() ? b : a + "\\" + b;
}

LONG ReadValues(HKEY key, std::vector<Value> *values, std::vector<std::string> *subKeys) {
    DWORD subKeyCount = 0, maxSubKey = 0, valueCount = 0, maxName = 0, maxData = 0;
    LONG e = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeyCount, &maxSubKey, nullptr,
                              &valueCount, &maxName, &maxData, nullptr, nullptr);
    if (e != ERROR_SUCCESS) return e;
    for (DWORD i = 0;; ++i) {
        std::vector<char> name(maxName + 1);
        std::string data(maxData, '\0');
        DWORD nameLength = static_cast<DWORD>(name.size()), dataLength = maxData, type = 0;
        e = RegEnumValueA(key, i, name.data(), &nameLength, nullptr, &type,
                          reinterpret_cast<BYTE *>(data.data()), &dataLength);
        if (e == ERROR_NO_MORE_ITEMS) break;
        if (e == ERROR_MORE_DATA) {  // grew meanwhile: measure again
            --i;
            RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             &maxName, &maxData, nullptr, nullptr);
            continue;
        }
        if (e != ERROR_SUCCESS) return e;
        data.resize(dataLength);
        values->push_back({std::string(name.data()), type, data});
    }
    for (DWORD i = 0;; ++i) {
        std::vector<char> name(maxSubKey + 256);
        DWORD nameLength = static_cast<DWORD>(name.size());
        e = RegEnumKeyExA(key, i, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (e == ERROR_NO_MORE_ITEMS) break;
        if (e != ERROR_SUCCESS) return e;
        subKeys->push_back(name.data());
    }
    return ERROR_SUCCESS;
}

LONG Walk(HKEY root, const std::string &rootName, const std::string &path, bool recurse,
          const std::function<void(const std::string &, const std::vector<Value> &)> &visit) {
    HKEY key = nullptr;
    LONG e = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key);
    if (e != ERROR_SUCCESS) return e;
    std::vector<Value> values;
    std::vector<std::string> subKeys;
    e = ReadValues(key, &values, &subKeys);
    RegCloseKey(key);
    if (e != ERROR_SUCCESS) return e;
    visit(Join(rootName, path), values);
    if (!recurse) return ERROR_SUCCESS;
    for (const auto &sub : subKeys) {
        e = Walk(root, rootName, Join(path, sub), true, visit);
        if (e != ERROR_SUCCESS && e != ERROR_FILE_NOT_FOUND) return e;  // gone meanwhile: skipped
    }
    return ERROR_SUCCESS;
}

}  // namespace

bool SplitKey(const std::string &key, HKEY *root, std::string *path) {
    size_t slash = key.find('\\');
    std::string first = key.substr(0, slash);
    for (const Root &r : kRoots) {
        if (SameWithoutCase(first, r.name) || SameWithoutCase(first, r.shortName)) {
            *root = r.key;
            *path = slash == std::string::npos ? std::string() : key.substr(slash + 1);
            return true;
        }
    }
    return false;
}

const char *RootName(HKEY root) {
    for (const Root &r : kRoots) {
        if (r.key == root) return r.name;
    }
    return "?";
}

LONG WalkKey(HKEY root, const std::string &path, bool recurse,
             const std::function<void(const std::string &, const std::vector<Value> &)> &visit) {
    return Walk(root, RootName(root), path, recurse, visit);
}

bool ExportKeys(const std::string &key, std::string *text, std::string *error) {
    *text = "REGEDIT4\n";
    bool ok = true;
    auto visit = [&](const std::string &fullPath, const std::vector<Value> &values) {
        if (!Writable(fullPath)) {
            *error = "the key \"" + fullPath + "\" has a line break in its name and cannot be exported";
            ok = false;
        }
        *text += "\n[" + fullPath + "]\n";
        for (const Value &v : values) {
            if (!Writable(v.name)) {
                *error = "a value of \"" + fullPath + "\" has a line break in its name and cannot be exported";
                ok = false;
            }
            *text += FormatRegValue(v.name, v.type, v.data) + "\n";
        }
    };
    if (key.empty()) {
        for (const Root &r : kRoots) {
            // A root shows only when something is below it.
            DWORD subKeys = 0, values = 0;
            RegQueryInfoKeyA(r.key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr);
            if (subKeys == 0 && values == 0) continue;
            LONG e = WalkKey(r.key, "", true, visit);
            if (e != ERROR_SUCCESS) {
                *error = ErrorText(e);
                return false;
            }
        }
        return ok;
    }
    HKEY root = nullptr;
    std::string path;
    if (!SplitKey(key, &root, &path)) {
        *error = "unknown root key in \"" + key + "\"";
        return false;
    }
    LONG e = WalkKey(root, path, true, visit);
    if (e != ERROR_SUCCESS) {
        *error = "\"" + key + "\": " + ErrorText(e);
        return false;
    }
    return ok;
}

LONG DeleteTree(HKEY root, const std::string &path) {
    HKEY key = nullptr;
    LONG e = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key);
    if (e != ERROR_SUCCESS) return e;
    std::vector<std::string> subKeys;
    for (DWORD i = 0;; ++i) {
        char name[300];
        DWORD length = sizeof name;
        e = RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (e != ERROR_SUCCESS) break;
        subKeys.push_back(name);
    }
    RegCloseKey(key);
    if (e != ERROR_NO_MORE_ITEMS) return e;
    for (const auto &sub : subKeys) {
        e = DeleteTree(root, Join(path, sub));
        if (e != ERROR_SUCCESS && e != ERROR_FILE_NOT_FOUND) return e;
    }
    if (path.empty()) {  // a root: its values go, the root stays
        std::vector<Value> values;
        std::vector<std::string> none;
        if ((e = ReadValues(root, &values, &none)) != ERROR_SUCCESS) return e;
        for (const auto &v : values) RegDeleteValueA(root, v.name.c_str());
        return ERROR_SUCCESS;
    }
    return RegDeleteKeyA(root, path.c_str());
}

bool ApplySections(const std::vector<RegSection> &sections, std::string *error) {
    for (const RegSection &section : sections) {
        HKEY root = nullptr;
        std::string path;
        if (!SplitKey(section.key, &root, &path)) {
            *error = "line " + std::to_string(section.line) + ": unknown root key in \"" + section.key + "\"";
            return false;
        }
        if (section.remove) {
            LONG e = DeleteTree(root, path);
            if (e != ERROR_SUCCESS && e != ERROR_FILE_NOT_FOUND) {
                *error = "line " + std::to_string(section.line) + ": " + ErrorText(e);
                return false;
            }
            continue;
        }
        HKEY key = nullptr;
        LONG e = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (e != ERROR_SUCCESS) {
            *error = "line " + std::to_string(section.line) + ": \"" + section.key + "\": " + ErrorText(e);
            return false;
        }
        for (const RegValue &v : section.values) {
            if (v.remove) {
                e = RegDeleteValueA(key, v.name.c_str());
                if (e == ERROR_FILE_NOT_FOUND) e = ERROR_SUCCESS;
            } else {
                e = RegSetValueExA(key, v.name.c_str(), 0, v.type,
                                   reinterpret_cast<const BYTE *>(v.data.data()), static_cast<DWORD>(v.data.size()));
            }
            if (e != ERROR_SUCCESS) {
                RegCloseKey(key);
                *error = "line " + std::to_string(v.line) + ": " + ErrorText(e);
                return false;
            }
        }
        RegCloseKey(key);
    }
    return true;
}

std::string ErrorText(LONG code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND: return "the key or value does not exist";
        case ERROR_ACCESS_DENIED: return "access denied (a key with subkeys, or a root key)";
        case ERROR_INVALID_PARAMETER: return "invalid name or argument (a key name is at most 255 characters)";
        case ERROR_BAD_PATHNAME: return "badly formed key path (an empty name between backslashes)";
        case ERROR_BADDB: return "the registry store is damaged or is not a registry";
        case ERROR_BADKEY: return "the registry store cannot be opened";
        case ERROR_CANTREAD: return "the registry store cannot be read (busy or failing)";
        case ERROR_CANTWRITE: return "the change cannot be written to the registry store (busy, read-only or full)";
        case ERROR_NOT_ENOUGH_MEMORY: return "out of memory";
        default: return "Windows error " + std::to_string(code);
    }
}

}  // namespace rtereg
