// rte/main/startup_cmdline.cpp - building the WinMain command line from argv (see startup_cmdline.h).
#include "rte/main/startup_cmdline.h"

namespace rte::internal {

std::string JoinCommandLine(int argc, char **argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i] != nullptr ? argv[i] : "";
        if (i > 0) line += ' ';
        if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
            line += arg;
            continue;
        }
        line += '"';
        for (char ch : arg) {
            if (ch == '"') line += '\\';
            line += ch;
        }
        line += '"';
    }
    return line;
}

const char *SkipProgramName(const char *p) {
    if (p == nullptr) return "";
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') {
            if (*p == '\\' && p[1] == '"') ++p;
            ++p;
        }
        if (*p == '"') ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

}  // namespace rte::internal
