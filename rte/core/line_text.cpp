// rte/core/line_text.cpp - words and TEXT arguments of script and resource lines (see line_text.h).
#include "rte/core/line_text.h"

namespace rte::internal {
namespace {

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

}  // namespace

bool NextWord(const std::string &line, size_t *pos, std::string *word) {
    size_t i = *pos;
    while (i < line.size() && IsBlank(line[i])) ++i;
    size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    *pos = i;
    if (i == start) return false;
    word->assign(line, start, i - start);
    return true;
}

bool AtEnd(const std::string &line, size_t pos) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    return pos >= line.size();
}

namespace {

// Reads the quoted string whose opening quote is at pos; *end becomes the index after its
// closing quote.
bool ParseQuoted(const std::string &line, size_t pos, std::string *text, size_t *end, std::string *error) {
    std::string out;
    for (size_t i = pos + 1; i < line.size(); ++i) {
        char ch = line[i];
        if (ch == '"') {
            *text = out;
            *end = i + 1;
            return true;
        }
        if (ch != '\\') {
            out += ch;
            continue;
        }
        if (++i >= line.size()) break;
        switch (line[i]) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        default:
            *error = std::string("unknown escape \\") + line[i] + " (use \\\" \\\\ \\t or \\n)";
            return false;
        }
    }
    *error = "missing closing quote";
    return false;
}

}  // namespace

bool ParseText(const std::string &line, size_t pos, std::string *text, std::string *error) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != '"') {
        text->assign(line, pos < line.size() ? pos : line.size(), std::string::npos);
        return true;
    }
    size_t end = 0;
    if (!ParseQuoted(line, pos, text, &end, error)) return false;
    if (!AtEnd(line, end)) {
        *error = "text after the closing quote";
        return false;
    }
    return true;
}

bool NextName(const std::string &line, size_t *pos, std::string *name, std::string *error) {
    error->clear();
    size_t i = *pos;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size() || line[i] != '"') return NextWord(line, pos, name);
    size_t end = 0;
    if (!ParseQuoted(line, i, name, &end, error)) return false;
    if (end < line.size() && !IsBlank(line[end])) {
        *error = "a blank must follow the closing quote of a name";
        return false;
    }
    *pos = end;
    return true;
}

}  // namespace rte::internal
