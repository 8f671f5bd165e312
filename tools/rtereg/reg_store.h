// tools/rtereg/reg_store.h - what rtereg does to the registry store: walk, export, import and
// delete key trees, through the Windows API subset (win32/winreg.h).
#ifndef TOOLS_RTEREG_REG_STORE_H
#define TOOLS_RTEREG_REG_STORE_H

#include "tools/rtereg/reg_file.h"
#include "win32/winreg.h"

#include <functional>
#include <string>
#include <vector>

namespace rtereg {

// Splits "HKEY_CURRENT_USER\Software\X" (or "HKCU\...", one trailing '\' allowed) into its root
// key and the path below it. False for an unknown root.
bool SplitKey(const std::string &key, HKEY *root, std::string *path);

// The root's long name ("HKEY_CURRENT_USER").
const char *RootName(HKEY root);

struct Value {
    std::string name;
    uint32_t type;
    std::string data;
};

// Calls visit for the key and, when recurse, every key below it (parents first, subkeys in
// name order) with the key's full path and its values. A Windows code (ERROR_SUCCESS).
LONG WalkKey(HKEY root, const std::string &path, bool recurse,
             const std::function<void(const std::string &fullPath, const std::vector<Value> &values)> &visit);

// The bytes of a .reg file of the key and everything below it; of every root when key is
// empty. REGEDIT4 is refused for a store that is not ASCII, naming the value. False with a
// message in *error.
bool ExportKeys(const std::string &key, RegFormat format, std::string *bytes, std::string *error);

// Reads a .reg file's bytes and applies them: everything is checked first (syntax, root keys,
// key names), then applied in one transaction, so that a file either applies entirely or
// changes nothing. False with "line N: what" in *error.
bool ImportRegFile(const std::string &bytes, std::string *error);

// Deletes the key with everything below it; a root key is refused. False with a message.
bool DeleteKey(const std::string &key, std::string *error);

// A Windows error code's text for messages.
std::string ErrorText(LONG code);

}  // namespace rtereg

#endif
