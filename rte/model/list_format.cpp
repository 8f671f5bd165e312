// rte/model/list_format.cpp - the formatting codes of list item labels (list_format.h).
#include "rte/model/list_format.h"

#include <cctype>

namespace rte::internal {
namespace {

constexpr char kEscape = '\033';

bool IsHex(char ch) { return std::isxdigit(static_cast<unsigned char>(ch)) != 0; }
bool IsDigit(char ch) { return std::isdigit(static_cast<unsigned char>(ch)) != 0; }
bool IsLower(char ch) { return ch >= 'a' && ch <= 'z'; }

bool StartsWith(const std::string &s, size_t at, const char *word) {
    return s.compare(at, std::char_traits<char>::length(word), word) == 0;
}

// n hex digits at `at` as a number, or -1 when there are fewer.
int Hex(const std::string &s, size_t at, size_t n) {
    if (at + n > s.size()) return -1;
    int v = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (!IsHex(s[i])) return -1;
        v = v * 16 + (IsDigit(s[i]) ? s[i] - '0' : (std::tolower(static_cast<unsigned char>(s[i])) - 'a' + 10));
    }
    return v;
}

// Reads the code whose escape is at `at` into the pending state or as a box segment; returns
// the index after it.
size_t ReadCode(const std::string &s, size_t at, int *column, int *color, std::vector<LineSegment> *out) {
    size_t i = at + 1;
    if (StartsWith(s, i, "p") && i + 1 < s.size() && IsDigit(s[i + 1])) {
        size_t j = i + 1;
        int n = 0;
        while (j < s.size() && IsDigit(s[j]) && n < 100000) n = n * 10 + (s[j++] - '0');
        if (j < s.size() && s[j] == 'l') {
            *column = n;
            return j + 1;
        }
    } else if (StartsWith(s, i, "fg")) {
        int c = Hex(s, i + 2, 6);
        if (c >= 0) {
            *color = c;
            return i + 8;
        }
    } else if (StartsWith(s, i, "drawfilledbox")) {
        size_t j = i + 13;
        bool digits = j + 3 <= s.size() && IsDigit(s[j]) && IsDigit(s[j + 1]) && IsDigit(s[j + 2]);
        int c = digits ? Hex(s, j + 3, 6) : -1;
        if (c >= 0) {
            LineSegment box;
            box.box = true;
            box.width = (s[j] - '0') * 100 + (s[j + 1] - '0') * 10 + (s[j + 2] - '0');
            box.color = c;
            box.column = *column;
            *column = -1;
            out->push_back(box);
            return j + 9;
        }
    }
    // Not a code this engine knows: the code word and its hex argument show as nothing.
    while (i < s.size() && IsLower(s[i])) ++i;
    while (i < s.size() && IsHex(s[i])) ++i;
    return i;
}

}  // namespace

bool HasFormatCodes(const std::string &label) { return label.find(kEscape) != std::string::npos; }

std::vector<LineSegment> ParseListLine(const std::string &label) {
    std::vector<LineSegment> out;
    int column = -1, color = -1;
    size_t i = 0;
    while (i < label.size()) {
        if (label[i] == kEscape) {
            i = ReadCode(label, i, &column, &color, &out);
            continue;
        }
        size_t end = label.find(kEscape, i);
        if (end == std::string::npos) end = label.size();
        LineSegment text;
        text.text = label.substr(i, end - i);
        text.column = column;
        text.color = color;
        column = -1;
        out.push_back(std::move(text));
        i = end;
    }
    return out;
}

std::string VisibleListText(const std::string &label) {
    if (!HasFormatCodes(label)) return label;
    std::string out;
    for (const LineSegment &s : ParseListLine(label)) {
        if (!s.box) out += s.text;
    }
    return out;
}

}  // namespace rte::internal
