// rtereg's work on the registry store (see reg_store.h).
#include "tools/rtereg/reg_store.h"

#include "tools/rtereg/reg_text.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace rtereg {

namespace {

constexpr size_t kMaxKeyNameLength = 255;

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

std::string AtLine(int line, const std::string &what) { return "line " + std::to_string(line) + ": " + what; }

// Why the path below a root key cannot name a key, as the registry would refuse it; "" when
// it can.
std::string PathFault(const std::string &path) {
    if (path.empty()) return "";
    for (size_t start = 0;;) {
        size_t slash = path.find('\\', start);
        std::string name = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (name.empty()) return "an empty key name in the path";
        if (Utf16Length(name) > kMaxKeyNameLength) return "a key name longer than 255 characters";
        if (slash == std::string::npos) return "";
        start = slash + 1;
    }
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
        std::vector<char> name(maxSubKey + 1024);
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

// Deletes path below root (not a root itself) with everything below it. A Windows code.
LONG DeleteTree(HKEY root, const std::string &path) {
    HKEY key = nullptr;
    LONG e = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key);
    if (e != ERROR_SUCCESS) return e;
    std::vector<std::string> subKeys;
    for (DWORD i = 0;; ++i) {
        std::vector<char> name(1024);
        DWORD length = static_cast<DWORD>(name.size());
        e = RegEnumKeyExA(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (e != ERROR_SUCCESS) break;
        subKeys.push_back(name.data());
    }
    RegCloseKey(key);
    if (e != ERROR_NO_MORE_ITEMS) return e;
    for (const auto &sub : subKeys) {
        e = DeleteTree(root, Join(path, sub));
        if (e != ERROR_SUCCESS && e != ERROR_FILE_NOT_FOUND) return e;
    }
    return RegDeleteKeyA(root, path.c_str());
}

LONG ApplySection(const RegSection &section, HKEY root, const std::string &path, int *line) {
    *line = section.line;
    if (section.remove) {
        LONG e = DeleteTree(root, path);
        return e == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : e;
    }
    HKEY key = nullptr;
    LONG e = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    for (size_t i = 0; e == ERROR_SUCCESS && i < section.values.size(); ++i) {
        const RegValue &v = section.values[i];
        *line = v.line;
        if (v.remove) {
            e = RegDeleteValueA(key, v.name.c_str());
            if (e == ERROR_FILE_NOT_FOUND) e = ERROR_SUCCESS;
        } else {
            e = RegSetValueExA(key, v.name.c_str(), 0, v.type, reinterpret_cast<const BYTE *>(v.data.data()),
                               static_cast<DWORD>(v.data.size()));
        }
    }
    if (key != nullptr) RegCloseKey(key);
    return e;
}

}  // namespace

bool SplitKey(const std::string &key, HKEY *root, std::string *path) {
    size_t slash = key.find('\\');
    std::string first = key.substr(0, slash);
    for (const Root &r : kRoots) {
        if (SameWithoutCase(first, r.name) || SameWithoutCase(first, r.shortName)) {
            *root = r.key;
            *path = slash == std::string::npos ? std::string() : key.substr(slash + 1);
            if (!path->empty() && path->back() == '\\') path->pop_back();  // as the registry allows
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

bool ExportKeys(const std::string &key, RegFormat format, std::string *bytes, std::string *error) {
    std::string text = RegFileHeader(format);
    bool ascii = format == RegFormat::kRegedit4;
    std::string fault;
    auto visit = [&](const std::string &fullPath, const std::vector<Value> &values) {
        const char *notAscii = " is not ASCII, which a REGEDIT4 file cannot carry (export without --ascii)";
        const char *lineBreak = " has a line break in its name, which a .reg file cannot carry";
        std::string key = "the key \"" + fullPath + "\"";
        if (!Writable(fullPath)) fault = key + lineBreak;
        if (ascii && !IsAscii(fullPath)) fault = key + notAscii;
        text += RegKeyLine(fullPath);
        for (const Value &v : values) {
            std::string named = "the value \"" + v.name + "\" of \"" + fullPath + "\"";
            if (!Writable(v.name)) fault = named + lineBreak;
            if (ascii && !AsciiValue(v.name, v.type, v.data)) fault = named + notAscii;
            text += FormatRegValue(v.name, v.type, v.data, format) + "\r\n";
        }
        text += "\r\n";
    };
    if (key.empty()) {
        for (const Root &r : kRoots) {
            // A root shows only when something is below it.
            DWORD subKeys = 0, values = 0;
            LONG e = RegQueryInfoKeyA(r.key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                                      nullptr, nullptr, nullptr, nullptr);
            if (e == ERROR_SUCCESS && subKeys + values > 0) e = WalkKey(r.key, "", true, visit);
            if (e != ERROR_SUCCESS) {
                *error = ErrorText(e);
                return false;
            }
        }
    } else {
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
    }
    if (!fault.empty()) {
        *error = fault;
        return false;
    }
    *bytes = EncodeRegFile(text, format);
    return true;
}

bool ImportRegFile(const std::string &bytes, std::string *error) {
    std::vector<RegSection> sections;
    if (!ParseRegFile(bytes, &sections, error)) return false;
    std::vector<std::pair<HKEY, std::string>> keys;
    for (const RegSection &s : sections) {
        HKEY root = nullptr;
        std::string path;
        if (!SplitKey(s.key, &root, &path)) {
            *error = AtLine(s.line, "unknown root key in \"" + s.key + "\"");
            return false;
        }
        std::string fault = PathFault(path);
        if (fault.empty() && s.remove && path.empty()) fault = "root keys cannot be deleted";
        if (!fault.empty()) {
            *error = AtLine(s.line, fault + " (\"" + s.key + "\")");
            return false;
        }
        keys.emplace_back(root, path);
    }
    LONG e = RegBeginTransaction();
    if (e != ERROR_SUCCESS) {
        *error = ErrorText(e);
        return false;
    }
    int line = 0;
    for (size_t i = 0; e == ERROR_SUCCESS && i < sections.size(); ++i) {
        e = ApplySection(sections[i], keys[i].first, keys[i].second, &line);
    }
    if (e != ERROR_SUCCESS) {
        RegRollbackTransaction();
        *error = AtLine(line, ErrorText(e));
        return false;
    }
    e = RegCommitTransaction();
    if (e != ERROR_SUCCESS) {
        *error = ErrorText(e);
        return false;
    }
    return true;
}

bool DeleteKey(const std::string &key, std::string *error) {
    HKEY root = nullptr;
    std::string path;
    if (!SplitKey(key, &root, &path)) {
        *error = "unknown root key in \"" + key + "\"";
        return false;
    }
    if (path.empty()) {
        *error = "\"" + key + "\": root keys cannot be deleted";
        return false;
    }
    LONG e = RegBeginTransaction();
    if (e == ERROR_SUCCESS) {
        e = DeleteTree(root, path);
        LONG end = e == ERROR_SUCCESS ? RegCommitTransaction() : RegRollbackTransaction();
        if (e == ERROR_SUCCESS) e = end;
    }
    if (e != ERROR_SUCCESS) {
        *error = "\"" + key + "\": " + ErrorText(e);
        return false;
    }
    return true;
}

std::string ErrorText(LONG code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND: return "the key or value does not exist";
        case ERROR_ACCESS_DENIED: return "access denied (the store cannot be written, or the key has subkeys)";
        case ERROR_INVALID_PARAMETER: return "invalid name or argument (a key name is at most 255 characters)";
        case ERROR_BAD_PATHNAME: return "badly formed key path (an empty name between backslashes)";
        case ERROR_BADDB: return "the registry store is damaged or is not a registry";
        case ERROR_BADKEY: return "the registry store cannot be opened";
        case ERROR_CANTREAD: return "the registry store cannot be read (busy or failing)";
        case ERROR_CANTWRITE: return "the change cannot be written to the registry store (busy or full)";
        case ERROR_KEY_DELETED: return "the key was deleted meanwhile";
        case ERROR_NOT_ENOUGH_MEMORY: return "out of memory";
        default: return "Windows error " + std::to_string(code);
    }
}

}  // namespace rtereg
