// ToolboxCheckFailed: the assertion of a failed argument check (toolbox/core/check_internal.h),
// naming the library function and what was wrong with its arguments before the message.
#include "toolbox/core/check_internal.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsIdentifier(const std::string &text) {
    if (text.empty() || std::isdigit(static_cast<unsigned char>(text[0]))) return false;
    for (char ch : text) {
        if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '_') return false;
    }
    return true;
}

// What was wrong, read from the check's condition: "x != NULL" (or nullptr, or "x != NULL ||
// ...", where the rest allows the NULL) names the argument that was NULL.
std::string WhatWasWrong(const char *condition) {
    std::string text = condition;
    if (text == "0" || text == "false") return "invalid argument";
    for (const char *null : {" != nullptr", " != NULL"}) {
        size_t at = text.find(null);
        if (at == std::string::npos) continue;
        std::string rest = text.substr(at + std::strlen(null));
        if ((rest.empty() || rest.rfind(" ||", 0) == 0) && IsIdentifier(text.substr(0, at))) {
            return text.substr(0, at) + " is NULL";
        }
    }
    return text + " does not hold";
}

}  // namespace

// The text is built with std::string; should memory run out even for that, the message alone
// is shown, as DoAssert would show it.
extern "C" void ToolboxCheckFailed(const char *function, const char *condition, const char *file, int line,
                                   const char *message) {
    std::string text;
    try {
        text = std::string(function) + ": " + WhatWasWrong(condition) + "\n" +
               (message != nullptr ? message : "Programming error detected.");
    } catch (...) {
        DoAssert(0, file, line, message);
    }
    DoAssert(0, file, line, text.c_str());
    std::abort();  // DoAssert does not return for a failed check
}
