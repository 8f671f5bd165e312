// rte/main/startup_cmdline.h - the command line that WinMain receives (internal to the start-up code).
#ifndef RTE_MAIN_STARTUP_CMDLINE_H
#define RTE_MAIN_STARTUP_CMDLINE_H

#include <string>

namespace rte::internal {

// Joins argv into one command line: arguments separated by one blank, an argument that is
// empty or holds a blank, tab or quote written in double quotes (inner quotes as \").
std::string JoinCommandLine(int argc, char **argv);

// The part of a command line after the program name: the name is a quoted string (up to the
// next quote) or a run of non-blanks; the blanks after it are skipped.
const char *SkipProgramName(const char *commandLine);

}  // namespace rte::internal

#endif
