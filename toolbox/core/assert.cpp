// DoAssert: the library's stop for programming errors. Formats the assertion text (of any
// length), shows it and aborts.
#include "toolbox/core/assert.h"

#include <cstdio>
#include <cstdlib>

extern "C" void DoAssert(int passed, const char *fileName, int lineNumber, const char *message) {
    if (passed)
        return;
    if (message == nullptr)
        message = "Programming error detected.";
    if (fileName == nullptr)
        fileName = "";
    std::fprintf(stderr,
                 "Assert!\n\n%s\n\nThe error was detected on line %d of file '%s'.\n\nProgram aborting.\n",
                 message, lineNumber, fileName);
    std::abort();
}
