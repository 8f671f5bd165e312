// tools/rtereg/reg_file.h - the registry's text export format (.reg files), read and written.
//
// A file starts with "REGEDIT4" or "Windows Registry Editor Version 5.00" (UTF-8 text, or
// UTF-16LE with a byte-order mark as Windows writes the latter). Then sections:
//
//   [HKEY_CURRENT_USER\Software\Example]     a key (created when missing)
//   [-HKEY_CURRENT_USER\Software\Gone]       a key deleted with everything below it
//   "Name"="text"                            REG_SZ; \" and \\ are the escapes
//   @="text"                                 the key's default value
//   "Count"=dword:0000002a                   REG_DWORD, eight hex digits at most
//   "Blob"=hex:01,02,ff                      REG_BINARY
//   "Other"=hex(7):41,00,00                  any type by number, data as bytes
//   "Old"=-                                  a value deleted
//
// Hex data may continue on the next lines after a trailing '\'. Lines starting with ';' are
// comments. In files of version 5.00, hex(2) and hex(7) data are UTF-16LE text and are stored
// as UTF-8; in REGEDIT4 files (the form written here) every byte is kept as it is.
#ifndef TOOLS_RTEREG_REG_FILE_H
#define TOOLS_RTEREG_REG_FILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace rtereg {

struct RegValue {
    int line = 0;
    std::string name;          // empty: the default value (@)
    bool remove = false;       // "name"=-
    uint32_t type = 0;
    std::string data;          // the value's bytes
};

struct RegSection {
    int line = 0;
    std::string key;           // full path, root as written: "HKEY_CURRENT_USER\Software\X"
    bool remove = false;       // [-...]
    std::vector<RegValue> values;
};

// Parses a whole file. False with "line N: what" in *error on the first fault; sections are
// then incomplete and must not be applied.
bool ParseRegFile(const std::string &text, std::vector<RegSection> *sections, std::string *error);

// One value as a line of a REGEDIT4 file (without the line end): "name"="text" when the data
// are text ending in one zero, dword: for 4-byte REG_DWORD, else hex: / hex(N): with lines
// continued after 76 characters. Exactly what ParseRegFile reads back.
std::string FormatRegValue(const std::string &name, uint32_t type, const std::string &data);

// Whether a key path or value name can be written to a file (no line breaks).
bool Writable(const std::string &text);

}  // namespace rtereg

#endif
