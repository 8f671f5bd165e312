// Reading and writing .reg files (see reg_file.h).
#include "tools/rtereg/reg_file.h"

#include "tools/rtereg/reg_text.h"

#include <cstdio>
#include <cstring>

namespace rtereg {

namespace {

constexpr char kVersion5Header[] = "Windows Registry Editor Version 5.00";
constexpr char kRegedit4Header[] = "REGEDIT4";
constexpr size_t kWrapColumn = 76;  // a continued line's bytes end past this column

bool IsTextType(uint32_t type) { return type == 1 || type == 2 || type == 7; }

std::string Trim(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

bool Fail(std::string *error, int line, const std::string &what) {
    *error = "line " + std::to_string(line) + ": " + what;
    return false;
}

// The file's bytes as UTF-8 text, after the encoding its start shows. False with a message for
// an encoding that is not read.
bool DecodeFile(const std::string &bytes, std::string *text, std::string *error) {
    auto at = [&](size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0x100u; };
    const char *save = ": save it as UTF-16LE with a byte-order mark (\"Unicode\") or as UTF-8";
    if (at(0) == 0xFE && at(1) == 0xFF) {
        *error = std::string("the file is UTF-16 big-endian, which is not read") + save;
        return false;
    }
    if (at(0) == 0xFF && at(1) == 0xFE) {
        std::string units = bytes.substr(2);
        if (units.size() % 2 != 0) units.pop_back();  // a last half unit: no character
        size_t where = 0;
        if (Utf16ToUtf8(units, text, &where)) return true;
        int line = 1;
        for (size_t i = 0; i < where; i += 2) line += units[i] == '\n' && units[i + 1] == 0;
        return Fail(error, line, "an unpaired UTF-16 surrogate");
    }
    if (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
        *text = bytes.substr(3);
        return true;
    }
    if (at(0) == 0 || at(1) == 0) {
        *error = std::string("the file looks like UTF-16 without a byte-order mark, which is not read") + save;
        return false;
    }
    *text = IsUtf8(bytes) ? bytes : Windows1252ToUtf8(bytes);
    return true;
}

// The text's lines, ended by CR LF, LF or CR.
std::vector<std::string> SplitLines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
            if (i < text.size() || start < i) lines.push_back(text.substr(start, i - start));
            if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    return lines;
}

// A quoted text at text[*pos] (at the opening quote); *pos ends after the closing quote.
bool QuotedText(const std::string &text, size_t *pos, std::string *out, std::string *why) {
    out->clear();
    for (size_t i = *pos + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c == '\\') {
            char next = i + 1 < text.size() ? text[i + 1] : '\0';
            if (next == 'n') {
                c = '\n';
            } else if (next == 'r') {
                c = '\r';
            } else if (next == '\\' || next == '"') {
                c = next;
            } else {
                *why = "an unknown escape in quoted text (\\\\, \\\", \\n and \\r are known)";
                return false;
            }
            ++i;
        }
        *out += c;
    }
    *why = "quoted text without its closing quote";
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One to max hex digits as a number.
bool HexNumber(const std::string &digits, size_t max, uint32_t *n) {
    if (digits.empty() || digits.size() > max) return false;
    *n = 0;
    for (char c : digits) {
        if (HexDigit(c) < 0) return false;
        *n = *n * 16 + static_cast<uint32_t>(HexDigit(c));
    }
    return true;
}

// "01,02,ff" (spaces allowed around the bytes; an empty list is no bytes).
bool HexBytes(const std::string &list, std::string *out) {
    out->clear();
    std::string s = Trim(list);
    if (s.empty()) return true;
    for (size_t start = 0;;) {
        size_t comma = s.find(',', start);
        uint32_t byte = 0;
        if (!HexNumber(Trim(s.substr(start, comma == std::string::npos ? std::string::npos : comma - start)), 2, &byte)) {
            return false;
        }
        *out += static_cast<char>(byte);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

// The data of hex(1), hex(2) and hex(7) as the registry keeps text: from UTF-16LE in version 5
// files, from the ANSI code page (UTF-8 when valid, else Windows-1252) in REGEDIT4 files.
bool TextData(bool version5, std::string *data, std::string *why) {
    if (!version5) {
        if (!IsUtf8(*data)) *data = Windows1252ToUtf8(*data);
        return true;
    }
    if (data->size() % 2 != 0) {
        *why = "text data (hex(1), hex(2), hex(7)) of an odd number of bytes: UTF-16 has two a character";
        return false;
    }
    std::string text;
    size_t where = 0;
    if (!Utf16ToUtf8(*data, &text, &where)) {
        *why = "text data with an unpaired UTF-16 surrogate";
        return false;
    }
    *data = std::move(text);
    return true;
}

bool ParseData(const std::string &data, bool version5, RegValue *value, std::string *why) {
    if (data == "-") {
        value->remove = true;
        return true;
    }
    if (!data.empty() && data[0] == '"') {
        size_t pos = 0;
        std::string text;
        if (!QuotedText(data, &pos, &text, why)) return false;
        if (!Trim(data.substr(pos)).empty()) {
            *why = "something after the quoted text";
            return false;
        }
        value->type = 1;
        value->data = text + '\0';
        return true;
    }
    if (data.compare(0, 6, "dword:") == 0) {
        uint32_t n = 0;
        if (!HexNumber(Trim(data.substr(6)), 8, &n)) {
            *why = "dword: needs 1 to 8 hex digits";
            return false;
        }
        value->type = 4;
        value->data.assign(reinterpret_cast<const char *>(&n), 4);
        return true;
    }
    if (data.compare(0, 3, "hex") == 0) {
        size_t colon = data.find(':');
        std::string kind = data.substr(3, colon == std::string::npos ? 0 : colon - 3);
        uint32_t type = 3;
        if (colon == std::string::npos ||
            (!kind.empty() && (kind.size() < 3 || kind.front() != '(' || kind.back() != ')' ||
                               !HexNumber(kind.substr(1, kind.size() - 2), 8, &type)))) {
            *why = "hex data must start hex: or hex(N): with N a hex number";
            return false;
        }
        if (!HexBytes(data.substr(colon + 1), &value->data)) {
            *why = "hex data must be bytes of two hex digits separated by commas";
            return false;
        }
        value->type = type;
        return !IsTextType(type) || TextData(version5, &value->data, why);
    }
    *why = "unknown data (expected \"text\", dword:, hex:, hex(N): or -)";
    return false;
}

// text in quotes, with its quotes and backslashes escaped.
std::string Quoted(const std::string &text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

// Hex data without a ';' comment after them.
std::string WithoutComment(const std::string &hex) { return Trim(hex.substr(0, hex.find(';'))); }

bool Skipped(const std::string &line) { return line.empty() || line[0] == ';'; }

}  // namespace

bool ParseRegFile(const std::string &bytes, std::vector<RegSection> *sections, std::string *error) {
    sections->clear();
    std::string text;
    if (!DecodeFile(bytes, &text, error)) return false;
    std::vector<std::string> lines = SplitLines(text);
    bool version5 = false;
    bool header = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        int number = static_cast<int>(i + 1);
        std::string line = Trim(lines[i]);
        if (Skipped(line)) continue;
        if (line.find('\0') != std::string::npos) return Fail(error, number, "a zero character in the text");
        if (!header) {
            if (line != kRegedit4Header && line != kVersion5Header) {
                return Fail(error, number, "the file must start with \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\"");
            }
            version5 = line == kVersion5Header;
            header = true;
            continue;
        }
        if (line[0] == '[') {
            if (line.back() != ']') return Fail(error, number, "a key line must end with ']'");
            RegSection section;
            section.line = number;
            section.key = line.substr(1, line.size() - 2);
            if (!section.key.empty() && section.key[0] == '-') {
                section.remove = true;
                section.key.erase(0, 1);
            }
            if (section.key.empty()) return Fail(error, number, "an empty key name");
            sections->push_back(std::move(section));
            continue;
        }
        if (sections->empty()) return Fail(error, number, "a value before the first [key]");
        RegSection &section = sections->back();
        if (section.remove) return Fail(error, number, "a value under a key being deleted");
        RegValue value;
        value.line = number;
        size_t pos = 0;
        std::string why;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] == '"') {
            if (!QuotedText(line, &pos, &value.name, &why)) return Fail(error, number, "the value name: " + why);
            if (value.name.empty()) return Fail(error, number, "an empty value name (the default value is @)");
        } else {
            return Fail(error, number, "expected [key], \"name\"=... or @=...");
        }
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        if (pos >= line.size() || line[pos] != '=') return Fail(error, number, "expected '=' after the value name");
        std::string data = Trim(line.substr(pos + 1));
        // Hex data continue on the following lines after a trailing '\'.
        if (data.compare(0, 3, "hex") == 0) {
            data = WithoutComment(data);
            while (!data.empty() && data.back() == '\\') {
                data.pop_back();
                do {
                    if (++i >= lines.size()) return Fail(error, number, "the file ends inside continued hex data");
                } while (Skipped(Trim(lines[i])));
                data += WithoutComment(Trim(lines[i]));
            }
        }
        if (!ParseData(data, version5, &value, &why)) return Fail(error, number, why);
        section.values.push_back(std::move(value));
    }
    if (!header) return Fail(error, 1, "the file is empty (no \"Windows Registry Editor Version 5.00\" line)");
    return true;
}

std::string RegFileHeader(RegFormat format) {
    return std::string(format == RegFormat::kVersion5 ? kVersion5Header : kRegedit4Header) + "\r\n\r\n";
}

std::string RegKeyLine(const std::string &path) { return "[" + path + "]\r\n"; }

bool Writable(const std::string &text) { return text.find_first_of("\r\n") == std::string::npos; }

bool AsciiValue(const std::string &name, uint32_t type, const std::string &data) {
    return IsAscii(name) && (!IsTextType(type) || IsAscii(data));
}

std::string FormatRegValue(const std::string &name, uint32_t type, const std::string &data, RegFormat format) {
    std::string out = name.empty() ? "@" : Quoted(name);
    out += '=';
    bool text = type == 1 && !data.empty() && data.find('\0') == data.size() - 1 && Writable(data);
    if (text) return out + Quoted(data.substr(0, data.size() - 1));
    if (type == 4 && data.size() == 4) {
        uint32_t n;
        std::memcpy(&n, data.data(), 4);
        char digits[16];
        std::snprintf(digits, sizeof digits, "dword:%08x", n);
        return out + digits;
    }
    char kind[24];
    std::snprintf(kind, sizeof kind, type == 3 ? "hex:" : "hex(%x):", type);
    out += kind;
    const std::string bytes = format == RegFormat::kVersion5 && IsTextType(type) ? Utf8ToUtf16(data) : data;
    // As regedit wraps: a line's bytes end once they pass column 76, with '\' to go on.
    size_t column = Utf16Length(out);
    for (size_t i = 0; i < bytes.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(bytes[i]));
        out += byte;
        column += 2;
        if (i + 1 < bytes.size()) {
            out += ',';
            if (++column > kWrapColumn) {
                out += "\\\r\n  ";
                column = 2;
            }
        }
    }
    return out;
}

std::string EncodeRegFile(const std::string &text, RegFormat format) {
    if (format == RegFormat::kRegedit4) return text;
    std::string bytes = "\xFF\xFE";  // the byte-order mark
    bytes += Utf8ToUtf16(text);
    return bytes;
}

}  // namespace rtereg
