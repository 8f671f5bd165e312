// Reading and writing the registry's text export format (see reg_file.h).
#include "tools/rtereg/reg_file.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace rtereg {

namespace {

// UTF-16LE (after its byte-order mark) as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::string &bytes, size_t start) {
    std::string out;
    auto unit = [&](size_t i) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        uint32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Trim(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

bool Fail(std::string *error, int line, const std::string &what) {
    *error = "line " + std::to_string(line) + ": " + what;
    return false;
}

// A quoted text at text[*pos] (at the opening quote); *pos ends after the closing quote.
bool QuotedText(const std::string &text, size_t *pos, std::string *out) {
    out->clear();
    for (size_t i = *pos + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) return false;
            c = text[++i];
        }
        *out += c;
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "01,02,ff" (spaces allowed around the bytes; an empty list is no bytes).
bool HexBytes(const std::string &list, std::string *out) {
    out->clear();
    std::string s = Trim(list);
    if (s.empty()) return true;
    size_t start = 0;
    for (;;) {
        size_t comma = s.find(',', start);
        std::string byte = Trim(s.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (byte.empty() || byte.size() > 2) return false;
        int value = 0;
        for (char c : byte) {
            int d = HexDigit(c);
            if (d < 0) return false;
            value = value * 16 + d;
        }
        *out += static_cast<char>(value);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

bool ParseData(const std::string &data, bool unicode, RegValue *value, std::string *why) {
    if (data == "-") {
        value->remove = true;
        return true;
    }
    if (!data.empty() && data[0] == '"') {
        size_t pos = 0;
        std::string text;
        if (!QuotedText(data, &pos, &text) || !Trim(data.substr(pos)).empty()) {
            *why = "badly quoted text";
            return false;
        }
        value->type = 1;
        value->data = text + '\0';
        return true;
    }
    if (data.compare(0, 6, "dword:") == 0) {
        std::string digits = Trim(data.substr(6));
        if (digits.empty() || digits.size() > 8) {
            *why = "dword: needs 1 to 8 hex digits";
            return false;
        }
        uint32_t n = 0;
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0) {
                *why = "dword: needs 1 to 8 hex digits";
                return false;
            }
            n = n * 16 + static_cast<uint32_t>(d);
        }
        value->type = 4;
        value->data.assign(reinterpret_cast<const char *>(&n), 4);
        return true;
    }
    if (data.compare(0, 3, "hex") == 0) {
        size_t colon = data.find(':');
        if (colon == std::string::npos) {
            *why = "hex data needs ':'";
            return false;
        }
        std::string kind = data.substr(3, colon - 3);
        uint32_t type = 3;
        if (!kind.empty()) {
            if (kind.size() < 3 || kind.front() != '(' || kind.back() != ')' || kind.size() > 10) {
                *why = "the type of hex(N) is not a hex number";
                return false;
            }
            type = 0;
            for (size_t i = 1; i + 1 < kind.size(); ++i) {
                int d = HexDigit(kind[i]);
                if (d < 0) {
                    *why = "the type of hex(N) is not a hex number";
                    return false;
                }
                type = type * 16 + static_cast<uint32_t>(d);
            }
        }
        if (!HexBytes(data.substr(colon + 1), &value->data)) {
            *why = "hex data must be bytes of two hex digits separated by commas";
            return false;
        }
        if (unicode && (type == 2 || type == 7)) value->data = Utf16ToUtf8(value->data, 0);
        value->type = type;
        return true;
    }
    *why = "unknown data (expected \"text\", dword:, hex:, hex(N): or -)";
    return false;
}

}  // namespace

bool ParseRegFile(const std::string &raw, std::vector<RegSection> *sections, std::string *error) {
    sections->clear();
    std::string text = raw;
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF && static_cast<unsigned char>(text[1]) == 0xFE) {
        text = Utf16ToUtf8(raw, 2);
    } else if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.erase(0, 3);
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (!lines.empty() && lines.back().empty()) lines.pop_back();  // after the last line end
    bool unicode = false;
    bool header = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        int number = static_cast<int>(i + 1);
        std::string line = Trim(lines[i]);
        if (line.empty() || line[0] == ';') continue;
        if (line.find('\0') != std::string::npos) return Fail(error, number, "a zero byte in the text");
        if (!header) {
            if (line == "REGEDIT4") {
                unicode = false;
            } else if (line == "Windows Registry Editor Version 5.00") {
                unicode = true;
            } else {
                return Fail(error, number, "the file must start with \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\"");
            }
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
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] == '"') {
            if (!QuotedText(line, &pos, &value.name)) return Fail(error, number, "a badly quoted value name");
            if (value.name.empty()) return Fail(error, number, "an empty value name (the default value is @)");
        } else {
            return Fail(error, number, "expected [key], \"name\"=... or @=...");
        }
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        if (pos >= line.size() || line[pos] != '=') return Fail(error, number, "expected '=' after the value name");
        std::string data = Trim(line.substr(pos + 1));
        // Hex data continue on the following lines after a trailing '\'.
        if (data.compare(0, 3, "hex") == 0) {
            while (!data.empty() && data.back() == '\\') {
                data.pop_back();
                if (++i >= lines.size()) return Fail(error, number, "the file ends inside continued hex data");
                data += Trim(lines[i]);
            }
        }
        std::string why;
        if (!ParseData(data, unicode, &value, &why)) return Fail(error, number, why);
        section.values.push_back(std::move(value));
    }
    if (!header) return Fail(error, 1, "the file is empty (no \"REGEDIT4\" line)");
    return true;
}

bool Writable(const std::string &text) { return text.find_first_of("\r\n") == std::string::npos; }

std::string FormatRegValue(const std::string &name, uint32_t type, const std::string &data) {
    std::string out;
    if (name.empty()) {
        out = "@=";
    } else {
        out = "\"";
        for (char c : name) {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
        out += "\"=";
    }
    bool text = type == 1 && !data.empty() && data.back() == '\0' &&
                data.find('\0') == data.size() - 1 && Writable(data);
    if (text) {
        out += '"';
        for (size_t i = 0; i + 1 < data.size(); ++i) {
            if (data[i] == '"' || data[i] == '\\') out += '\\';
            out += data[i];
        }
        out += '"';
        return out;
    }
    if (type == 4 && data.size() == 4) {
        uint32_t n;
        std::memcpy(&n, data.data(), 4);
        char digits[16];
        std::snprintf(digits, sizeof digits, "dword:%08x", n);
        return out + digits;
    }
    if (type == 3) {
        out += "hex:";
    } else {
        char kind[24];
        std::snprintf(kind, sizeof kind, "hex(%x):", type);
        out += kind;
    }
    size_t lineStart = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(data[i]));
        out += byte;
        if (i + 1 < data.size()) {
            out += ',';
            if (out.size() - lineStart > 76) {
                out += "\\\n  ";
                lineStart = out.size() - 2;
            }
        }
    }
    return out;
}

}  // namespace rtereg
