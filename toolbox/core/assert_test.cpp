// Death tests of DoAssert: the text it shows under the title "Assert", for short and very long
// messages, and that it returns when the check passes.
#include "toolbox/core/assert.h"

#include "rte/engine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(DoAssertDeathTest, ReturnsWhenTheCheckPasses) {
    DoAssert(1, "toolbox", 1, "never shown");
    DoAssert(-7, nullptr, 0, nullptr);
}

// The headless display prints popups on standard error as "POPUP <title>: <message>".
void AssertHeadless(const char *file, int line, const char *message) {
    setenv("RTE_DISPLAY", "headless", 1);
    InitRTEEx(nullptr, nullptr, nullptr);
    DoAssert(0, file, line, message);
}

TEST(DoAssertDeathTest, ShowsTheMessageLineAndFileThenAborts) {
    EXPECT_DEATH(AssertHeadless("toolbox", 2038, nullptr),
                 "POPUP Assert: Assert!\n\nProgramming error detected\\.\n\n"
                 "The error was detected on line 2038 of file 'toolbox'\\.\n\nProgram aborting\\.");
    EXPECT_DEATH(AssertHeadless("toolbox", 12, "Parameter 1 to GetHandleSize was NULL."),
                 "Parameter 1 to GetHandleSize was NULL\\.\n\nThe error was detected on line 12 of file 'toolbox'");
}

TEST(DoAssertDeathTest, ShowsAMessageLongerThanTheBufferWhole) {
    std::string message(1000, 'm');
    message += "END";
    EXPECT_DEATH(AssertHeadless("toolbox", 7, message.c_str()),
                 "mmmmEND\n\nThe error was detected on line 7 of file 'toolbox'\\.\n\nProgram aborting\\.");
}

TEST(DoAssertDeathTest, ShowsTheTextAlsoBeforeTheEngineStarts) {
    EXPECT_DEATH(DoAssert(0, "toolbox", 5, "no engine"), "no engine\n\nThe error was detected on line 5");
}

}  // namespace
