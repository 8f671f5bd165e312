// DoAssert: the library's stop for programming errors. Formats the assertion text (of any
// length), shows it in a popup and aborts.
#include "toolbox/core/assert.h"

#include "rte/ui.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char kFormat[] =
    "Assert!\n\n%s\n\nThe error was detected on line %d of file '%s'.\n\nProgram aborting.";

}  // namespace

// The text goes into a 256-byte buffer when it fits. A longer message gets a heap buffer of the
// exact size, so it is shown whole; should that allocation fail, the text is shown cut at 255
// bytes. Either way nothing is written past a buffer. If the popup cannot be shown (the engine
// is not running), the text goes to standard error so it is never lost.
extern "C" void DoAssert(int passed, const char *fileName, int lineNumber, const char *message) {
    if (passed)
        return;
    if (message == nullptr)
        message = "Programming error detected.";
    if (fileName == nullptr)
        fileName = "";
    char buffer[256];
    char *text = buffer;
    int length = std::snprintf(buffer, sizeof buffer, kFormat, message, lineNumber, fileName);
    if (length >= static_cast<int>(sizeof buffer)) {
        // Not RteMalloc: a fault injected by a test must not change what an assertion shows.
        char *whole = static_cast<char *>(std::malloc(static_cast<size_t>(length) + 1));
        if (whole != nullptr) {
            std::snprintf(whole, static_cast<size_t>(length) + 1, kFormat, message, lineNumber, fileName);
            text = whole;
        }
    }
    if (MessagePopup("Assert", text) < 0)
        std::fprintf(stderr, "Assert: %s\n", text);
    std::fflush(stderr);
    std::abort();
}
