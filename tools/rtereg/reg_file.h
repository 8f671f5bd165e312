// tools/rtereg/reg_file.h - .reg files, the registry's text export format, read and written as
// the Windows tools write and read them.
//
// A file starts with its version line, then sections:
//
//   Windows Registry Editor Version 5.00     (or REGEDIT4)
//
//   [HKEY_CURRENT_USER\Software\Example]     a key (created when missing)
//   "Name"="text"                            REG_SZ; escapes \\ and \" (and \n, \r on reading)
//   @="text"                                 the key's default value
//   "Count"=dword:0000002a                   REG_DWORD, one to eight hex digits
//   "Blob"=hex:01,02,ff                      REG_BINARY
//   "Path"=hex(2):25,00,54,00,00,00          any type by its number, data as bytes
//   "Old"=-                                  a value deleted
//   [-HKEY_CURRENT_USER\Software\Gone]       a key deleted with everything below it
//
// Hex data continue on the next line after a trailing '\'; blank lines, comment lines (';') and
// a ';' comment after the bytes may come between and after them. Lines end in CR LF, LF or CR.
//
// Version 5 files are UTF-16LE with a byte-order mark as Windows writes them (also read: UTF-8,
// with or without a mark), and the data of hex(1), hex(2) and hex(7) (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) are UTF-16LE text. REGEDIT4 files are 8-bit text in the ANSI code page: read as
// UTF-8 when they are valid UTF-8, else as Windows-1252, and their hex(1/2/7) data likewise.
// Text is kept in the registry as UTF-8 (reg_text.h). Files are written with CR LF line ends,
// binary lines wrapped at 80 characters as regedit wraps them.
#ifndef TOOLS_RTEREG_REG_FILE_H
#define TOOLS_RTEREG_REG_FILE_H

#include <cstdint>
#include <string>
#include <vector>

namespace rtereg {

enum class RegFormat {
    kVersion5,  // "Windows Registry Editor Version 5.00", UTF-16LE
    kRegedit4,  // "REGEDIT4", 8-bit (written in ASCII alone)
};

struct RegValue {
    int line = 0;
    std::string name;          // empty: the default value (@)
    bool remove = false;       // "name"=-
    uint32_t type = 0;
    std::string data;          // the value's bytes as the registry keeps them
};

struct RegSection {
    int line = 0;
    std::string key;           // full path, root as written: "HKEY_CURRENT_USER\Software\X"
    bool remove = false;       // [-...]
    std::vector<RegValue> values;
};

// Parses a whole file's bytes. False with "line N: what" (or what alone, for the file's
// encoding) in *error on the first fault; sections are then incomplete and must not be applied.
bool ParseRegFile(const std::string &bytes, std::vector<RegSection> *sections, std::string *error);

// Writing a file: its text (UTF-8) is the header, then for each key its line and its values'
// lines, each ending in CR LF, then a blank line; EncodeRegFile gives the file's bytes.
std::string RegFileHeader(RegFormat format);
std::string RegKeyLine(const std::string &path);

// One value as a line of a file without its line end: "name"="text" when the data are REG_SZ
// text ending in one zero, dword: for a 4-byte REG_DWORD, else hex: / hex(N): (continued
// lines included). Exactly what ParseRegFile reads back; in REGEDIT4, for ASCII names and texts.
std::string FormatRegValue(const std::string &name, uint32_t type, const std::string &data, RegFormat format);

std::string EncodeRegFile(const std::string &text, RegFormat format);

// Whether a key path or value name can be written to a file (no line breaks).
bool Writable(const std::string &text);

// Whether a value's name and data are ASCII text as a REGEDIT4 file carries it (data of other
// types than text are written as hex bytes and may be anything).
bool AsciiValue(const std::string &name, uint32_t type, const std::string &data);

}  // namespace rtereg

#endif
