// rtereg: queries and edits the registry store of the Windows API subset, and exports and
// imports it as .reg text, in the manner of the Windows `reg` command. See rtereg.1.
#include "tools/rtereg/reg_store.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace rtereg;

namespace {

const char kUsage[] =
    "usage: rtereg query KEY [/v NAME | /ve] [/s]\n"
    "       rtereg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/f]\n"
    "       rtereg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "       rtereg export FILE [KEY] [--ascii]   (also: rtereg export KEY FILE)\n"
    "       rtereg import FILE\n"
    "KEY is ROOT\\path, ROOT one of HKEY_CURRENT_USER (HKCU), HKEY_LOCAL_MACHINE (HKLM),\n"
    "HKEY_CLASSES_ROOT (HKCR), HKEY_USERS (HKU), HKEY_CURRENT_CONFIG (HKCC). The store is the\n"
    "file named by WIN32_REGISTRY, else $XDG_DATA_HOME/win32/registry.db.\n";

int Error(const std::string &message) {
    std::fprintf(stderr, "rtereg: ERROR: %s\n", message.c_str());
    return 1;
}

struct Options {
    std::vector<std::string> words;  // arguments that are not options
    bool hasName = false;            // /v or /ve given
    std::string name;
    bool allValues = false;          // /va
    bool recurse = false;            // /s
    std::string type = "REG_SZ";
    bool hasData = false;
    std::string data;
    bool ascii = false;              // --ascii (/a): export as REGEDIT4
};

bool IsOption(const std::string &arg, const char *letters) {
    return (arg[0] == '/' || arg[0] == '-') && arg.size() > 1 && strcasecmp(arg.c_str() + 1, letters) == 0;
}

bool ParseOptions(int argc, char **argv, int first, Options *o, std::string *error) {
    for (int i = first; i < argc; ++i) {
        std::string arg = argv[i];
        auto next = [&](std::string *out) {
            if (i + 1 >= argc) {
                *error = arg + " needs a value";
                return false;
            }
            *out = argv[++i];
            return true;
        };
        if (arg.empty()) {
            o->words.push_back(arg);
        } else if (IsOption(arg, "v")) {
            if (!next(&o->name)) return false;
            o->hasName = true;
        } else if (IsOption(arg, "ve")) {
            o->hasName = true;
            o->name.clear();
        } else if (IsOption(arg, "va")) {
            o->allValues = true;
        } else if (IsOption(arg, "s")) {
            o->recurse = true;
        } else if (IsOption(arg, "t")) {
            if (!next(&o->type)) return false;
        } else if (IsOption(arg, "d")) {
            if (!next(&o->data)) return false;
            o->hasData = true;
        } else if (arg == "--ascii" || IsOption(arg, "a")) {
            o->ascii = true;
        } else if (IsOption(arg, "f") || IsOption(arg, "y")) {
            // never asks: nothing to force
        } else if ((arg[0] == '/' || arg[0] == '-') && arg.size() <= 3 && arg.find('\\') == std::string::npos) {
            *error = "unknown option " + arg;
            return false;
        } else {
            o->words.push_back(arg);
        }
    }
    return true;
}

struct TypeName {
    const char *name;
    uint32_t type;
};
const TypeName kTypes[] = {{"REG_NONE", 0}, {"REG_SZ", 1}, {"REG_EXPAND_SZ", 2}, {"REG_BINARY", 3},
                           {"REG_DWORD", 4}, {"REG_DWORD_BIG_ENDIAN", 5}, {"REG_LINK", 6},
                           {"REG_MULTI_SZ", 7}, {"REG_RESOURCE_LIST", 8},
                           {"REG_FULL_RESOURCE_DESCRIPTOR", 9}, {"REG_RESOURCE_REQUIREMENTS_LIST", 10},
                           {"REG_QWORD", 11}};

std::string TypeText(uint32_t type) {
    for (const auto &t : kTypes) {
        if (t.type == type) return t.name;
    }
    return "REG_0x" + std::to_string(type);
}

// The data of `add` as the value's bytes: texts with their zero, numbers in decimal or 0x hex,
// REG_MULTI_SZ items separated by "\0", binary as hex digits.
bool DataBytes(const std::string &type, const std::string &text, uint32_t *code, std::string *bytes, std::string *error) {
    const TypeName *found = nullptr;
    for (const auto &t : kTypes) {
        if (strcasecmp(t.name, type.c_str()) == 0) found = &t;
    }
    if (found == nullptr) {
        *error = "unknown type " + type;
        return false;
    }
    *code = found->type;
    switch (found->type) {
        case 1:
        case 2:
            *bytes = text + '\0';
            return true;
        case 7: {
            bytes->clear();
            size_t start = 0;
            for (;;) {
                size_t sep = text.find("\\0", start);
                *bytes += text.substr(start, sep == std::string::npos ? std::string::npos : sep - start) + '\0';
                if (sep == std::string::npos) break;
                start = sep + 2;
            }
            *bytes += '\0';
            return true;
        }
        case 4:
        case 5:
        case 11: {
            char *end = nullptr;
            errno = 0;
            unsigned long long n = std::strtoull(text.c_str(), &end, 0);
            if (text.empty() || *end != '\0' || errno != 0 || text[0] == '-' ||
                (found->type != 11 && n > 0xFFFFFFFFull)) {
                *error = "\"" + text + "\" is not a number for " + type;
                return false;
            }
            if (found->type == 11) {
                bytes->assign(reinterpret_cast<const char *>(&n), 8);
            } else {
                uint32_t v = static_cast<uint32_t>(n);
                if (found->type == 5) v = __builtin_bswap32(v);
                bytes->assign(reinterpret_cast<const char *>(&v), 4);
            }
            return true;
        }
        default: {
            bytes->clear();
            if (text.size() % 2 != 0) {
                *error = "binary data must be an even number of hex digits";
                return false;
            }
            for (size_t i = 0; i < text.size(); i += 2) {
                unsigned byte = 0;
                if (std::sscanf(text.substr(i, 2).c_str(), "%2x", &byte) != 1 ||
                    !std::isxdigit(static_cast<unsigned char>(text[i])) ||
                    !std::isxdigit(static_cast<unsigned char>(text[i + 1]))) {
                    *error = "binary data must be hex digits";
                    return false;
                }
                *bytes += static_cast<char>(byte);
            }
            return true;
        }
    }
}

std::string DataText(const Value &v) {
    if (v.type == 1 || v.type == 2) return std::string(v.data.c_str(), strnlen(v.data.data(), v.data.size()));
    if ((v.type == 4 || v.type == 5) && v.data.size() == 4) {
        uint32_t n;
        std::memcpy(&n, v.data.data(), 4);
        if (v.type == 5) n = __builtin_bswap32(n);  // its bytes are the number's, high byte first
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", n);
        return text;
    }
    if (v.type == 7) {
        std::string out;
        size_t start = 0;
        while (start < v.data.size() && v.data[start] != '\0') {
            size_t end = v.data.find('\0', start);
            if (end == std::string::npos) end = v.data.size();
            if (!out.empty()) out += "\\0";
            out += v.data.substr(start, end - start);
            start = end + 1;
        }
        return out;
    }
    std::string out;
    for (unsigned char c : v.data) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", c);
        out += hex;
    }
    return out;
}

void PrintValue(const Value &v) {
    std::printf("    %s    %s    %s\n", v.name.empty() ? "(Default)" : v.name.c_str(), TypeText(v.type).c_str(),
                DataText(v).c_str());
}

// The value name of key fullPath (found as the registry compares names); false when it has none.
bool FindValue(const std::string &fullPath, const std::string &name, Value *value) {
    HKEY root = nullptr, key = nullptr;
    std::string path;
    if (!SplitKey(fullPath, &root, &path) || RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0, size = 0;
    LONG e = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::string data(size, '\0');
    if (e == ERROR_SUCCESS) e = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(data.data()), &size);
    RegCloseKey(key);
    data.resize(size);
    *value = {name, type, data};
    return e == ERROR_SUCCESS;
}

int Query(const Options &o) {
    if (o.words.size() != 1) return Error("query needs one KEY");
    HKEY root = nullptr;
    std::string path;
    if (!SplitKey(o.words[0], &root, &path)) return Error("unknown root key in \"" + o.words[0] + "\"");
    bool any = false;
    LONG e = WalkKey(root, path, o.recurse, [&](const std::string &full, const std::vector<Value> &values) {
        std::printf("\n%s\n", full.c_str());
        Value found;
        if (!o.hasName) {
            for (const Value &v : values) PrintValue(v);
        } else if (FindValue(full, o.name, &found)) {
            any = true;
            PrintValue(found);
        }
    });
    if (e != ERROR_SUCCESS) return Error("\"" + o.words[0] + "\": " + ErrorText(e));
    if (o.hasName && !any) return Error("the value was not found");
    return 0;
}

int Add(const Options &o) {
    if (o.words.size() != 1) return Error("add needs one KEY");
    HKEY root = nullptr;
    std::string path;
    if (!SplitKey(o.words[0], &root, &path)) return Error("unknown root key in \"" + o.words[0] + "\"");
    uint32_t type = 1;
    std::string bytes;
    std::string error;
    if (o.hasName && !DataBytes(o.type, o.hasData ? o.data : "", &type, &bytes, &error)) return Error(error);
    HKEY key = nullptr;
    LONG e = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (e != ERROR_SUCCESS) return Error("\"" + o.words[0] + "\": " + ErrorText(e));
    if (o.hasName) {
        e = RegSetValueExA(key, o.name.c_str(), 0, type, reinterpret_cast<const BYTE *>(bytes.data()),
                           static_cast<DWORD>(bytes.size()));
    }
    RegCloseKey(key);
    if (e != ERROR_SUCCESS) return Error(ErrorText(e));
    std::printf("The operation completed successfully.\n");
    return 0;
}

int Delete(const Options &o) {
    if (o.words.size() != 1) return Error("delete needs one KEY");
    std::string error;
    if (!o.hasName && !o.allValues) {
        if (!DeleteKey(o.words[0], &error)) return Error(error);
        std::printf("The operation completed successfully.\n");
        return 0;
    }
    HKEY root = nullptr, key = nullptr;
    std::string path;
    if (!SplitKey(o.words[0], &root, &path)) return Error("unknown root key in \"" + o.words[0] + "\"");
    LONG e = RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (e == ERROR_SUCCESS && o.hasName) e = RegDeleteValueA(key, o.name.c_str());
    if (e == ERROR_SUCCESS && o.allValues) {
        e = WalkKey(root, path, false, [&](const std::string &, const std::vector<Value> &values) {
            for (const Value &v : values) RegDeleteValueA(key, v.name.c_str());
        });
    }
    if (key != nullptr) RegCloseKey(key);
    if (e != ERROR_SUCCESS) return Error("\"" + o.words[0] + "\": " + ErrorText(e));
    std::printf("The operation completed successfully.\n");
    return 0;
}

int Export(const Options &o) {
    if (o.words.empty() || o.words.size() > 2) return Error("export needs FILE and, if wanted, KEY");
    std::string file = o.words[0], key = o.words.size() == 2 ? o.words[1] : "";
    HKEY root = nullptr;
    std::string path;
    if (o.words.size() == 2 && SplitKey(o.words[0], &root, &path) && !SplitKey(o.words[1], &root, &path)) {
        std::swap(file, key);  // the order of Windows' reg: KEY FILE
    }
    std::string text, error;
    if (!ExportKeys(key, o.ascii ? RegFormat::kRegedit4 : RegFormat::kVersion5, &text, &error)) return Error(error);
    std::string temporary = file + ".rtereg-new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) return Error("cannot write \"" + file + "\"");
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        std::remove(temporary.c_str());
        return Error("cannot write \"" + file + "\"");
    }
    std::printf("The operation completed successfully.\n");
    return 0;
}

int Import(const Options &o) {
    if (o.words.size() != 1) return Error("import needs one FILE");
    std::ifstream in(o.words[0], std::ios::binary);
    if (!in) return Error("cannot read \"" + o.words[0] + "\"");
    std::stringstream content;
    content << in.rdbuf();
    std::string error;
    if (!ImportRegFile(content.str(), &error)) return Error(o.words[0] + ": " + error);
    std::printf("The operation completed successfully.\n");
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "/?") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 1 : 0;
    }
    Options o;
    std::string error;
    if (!ParseOptions(argc, argv, 2, &o, &error)) return Error(error);
    std::string command = argv[1];
    for (auto &c : command) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (command == "query") return Query(o);
    if (command == "add") return Add(o);
    if (command == "delete") return Delete(o);
    if (command == "export") return Export(o);
    if (command == "import") return Import(o);
    std::fputs(kUsage, stderr);
    return Error("unknown command " + std::string(argv[1]));
}
