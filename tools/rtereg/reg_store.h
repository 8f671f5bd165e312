// tools/rtereg/reg_store.h - what rtereg does to the registry store: walk, export, import and
// delete key trees, through the Windows API subset (win32/winreg.h).
#ifndef TOOLS_RTEREG_REG_STORE_H
#define TOOLS_RTEREG_REG_STORE_H

#include "tools/rtereg/reg_file.h"
#include "win32/winreg.h"

#include <functional>
#include <string>

namespace rtereg {

// Splits "HKEY_CURRENT_USER\Software\X" (or "HKCU\...") into its root key and the path below
// it. False for an unknown root.
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

// The text of a REGEDIT4 file of the key and everything below it; every root when key is
// empty. False with a message in *error.
bool ExportKeys(const std::string &key, std::string *text, std::string *error);

// Applies parsed sections to the store. False with "line N: what" at the first failure (the
// sections before it stay applied).
bool ApplySections(const std::vector<RegSection> &sections, std::string *error);

// Deletes the key with everything below it. A Windows code.
LONG DeleteTree(HKEY root, const std::string &path);

// A Windows error code's text for messages.
std::string ErrorText(LONG code);

}  // namespace rtereg

#endif
