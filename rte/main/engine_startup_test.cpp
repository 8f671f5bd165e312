// Tests of engine start-up and shut-down, exit clean-ups, the start-up command line and the
// parsing of operator scripts. Start-up tests run in a child process (they close the engine).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "rte/engine.h"
#include "rte/events/operator_script.h"
#include "rte/ui.h"
#include "rte/main/startup_cmdline.h"

namespace {

void First() { std::fprintf(stderr, "first;"); }
void Second() { std::fprintf(stderr, "second(detached=%d);", RunTimeEngineDetached()); }

TEST(EngineStartupDeathTest, CleanupsRunNewestFirstInCloseRTE) {
    EXPECT_EXIT(
        {
            setenv("RTE_DISPLAY", "headless", 1);
            unsetenv("RTE_SCRIPT");
            if (InitRTEEx(nullptr, nullptr, nullptr) != 1 || InitRTEEx(nullptr, nullptr, nullptr) != 1) std::exit(1);
            RegisterExitCleanup(First);
            RegisterExitCleanup(Second);
            CloseRTE();
            CloseRTE();
            std::fprintf(stderr, "detached=%d", RunTimeEngineDetached());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "^second\\(detached=0\\);first;detached=1$");
}

TEST(EngineStartupDeathTest, CleanupsRunAtExitWithoutCloseRTE) {
    EXPECT_EXIT(
        {
            RegisterExitCleanup(First);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "^first;$");
}

// A console program starts without a screen and without any variable; only displaying a panel
// needs the display, and then fails with UIE_NO_DISPLAY after one line saying why (once).
TEST(EngineStartupDeathTest, ConsoleProgramsNeedNoScreenUntilAPanelIsDisplayed) {
    EXPECT_EXIT(
        {
            unsetenv("RTE_DISPLAY");
            unsetenv("RTE_SCRIPT");
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            if (InitRTEEx(nullptr, nullptr, nullptr) != 1) std::exit(1);
            int panel = NewPanel(0, "console", 0, 0, 100, 100);
            if (panel <= 0 || SetPanelAttribute(panel, ATTR_TITLE, "still console") != 0) std::exit(2);
            std::fprintf(stderr, "started;");
            int first = DisplayPanel(panel);
            int second = DisplayPanel(panel);
            std::fprintf(stderr, "%d %d %d", first, second, RteOpenDisplay());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0),
        "^started;rte: no screen display is reachable [^\n]*RTE_DISPLAY=headless[^\n]*\n-2 -2 -2$");
}

// A program with a WinMain opens its display at start-up (rte_main): RteOpenDisplay fails there
// as DisplayPanel would. An RTE_DISPLAY the engine does not offer fails InitRTEEx itself.
TEST(EngineStartupDeathTest, DisplaysTheEngineDoesNotOfferFailStartUp) {
    EXPECT_EXIT(
        {
            setenv("RTE_DISPLAY", "vga", 1);
            std::exit(InitRTEEx(nullptr, nullptr, nullptr) == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "^rte: RTE_DISPLAY=vga is not a display this engine offers; use sdl, web or headless\n$");
}

// Headless without a script: the first panel displayed says, once, that no operator is attached
// and how to attach one; the program goes on.
TEST(EngineStartupDeathTest, HeadlessWithoutAScriptSaysNoOperatorIsAttached) {
    EXPECT_EXIT(
        {
            setenv("RTE_DISPLAY", "headless", 1);
            unsetenv("RTE_SCRIPT");
            if (InitRTEEx(nullptr, nullptr, nullptr) != 1) std::exit(1);
            std::fprintf(stderr, "started;");
            int a = NewPanel(0, "a", 0, 0, 100, 100);
            int b = NewPanel(0, "b", 0, 0, 100, 100);
            int shownA = DisplayPanel(a);
            int shownB = DisplayPanel(b);
            std::fprintf(stderr, "%d %d %d", shownA, shownB, RteOpenDisplay());
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "^started;rte: no operator is attached[^\n]*RTE_SCRIPT=[^\n]*\n0 0 0$");
}

TEST(EngineStartup, AtMost32Cleanups) {
    EXPECT_EQ(RegisterExitCleanup(nullptr), -1);
    // Registered in a child so that this process's exit runs nothing.
    EXPECT_EXIT(
        {
            int ok = 0;
            for (int i = 0; i < 33; ++i) ok += RegisterExitCleanup(First) == 0;
            std::fprintf(stderr, "%d", ok);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "^32$");
}

TEST(EngineStartup, CommandLineAfterTheProgramName) {
    using rte::internal::SkipProgramName;
    EXPECT_STREQ(SkipProgramName("prog  -a b"), "-a b");
    EXPECT_STREQ(SkipProgramName("\"my prog\"   x"), "x");
    EXPECT_STREQ(SkipProgramName("prog"), "");
    EXPECT_STREQ(SkipProgramName("\"unterminated"), "");
    char a0[] = "/bin/my prog", a1[] = "-x", a2[] = "";
    char *argv[] = {a0, a1, a2};
    std::string line = rte::internal::JoinCommandLine(3, argv);
    EXPECT_EQ(line, "\"/bin/my prog\" -x \"\"");
    EXPECT_STREQ(SkipProgramName(line.c_str()), "-x \"\"");
}

TEST(OperatorScript, ParsesTextsWithQuotesAndEscapes) {
    std::vector<rte::internal::ScriptLine> lines;
    std::string error;
    ASSERT_TRUE(rte::internal::ParseOperatorScript(
        "# comment\n\ntype A  12 \ntype B \" 12 \"\ntype C \"\"\nexpect D say \"hi\"\r\n"
        "expect E \"a\\\"b\\\\c\\td\\ne\"\nselect L two words\nwait 0.5\ndump\n",
        "s.txt", &lines, &error))
        << error;
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0].text, "12 ");  // verbatim rest of the line
    EXPECT_EQ(lines[1].text, " 12 ");
    EXPECT_EQ(lines[2].text, "");
    EXPECT_EQ(lines[3].text, "say \"hi\"");
    EXPECT_EQ(lines[4].text, "a\"b\\c\td\ne");
    EXPECT_EQ(lines[5].text, "two words");
    EXPECT_DOUBLE_EQ(lines[6].seconds, 0.5);
    EXPECT_EQ(lines[0].lineNumber, 3);

    const char *bad[] = {"jump X\n", "press\n", "press A B\n", "wait\n", "wait -1\n", "wait x\n",
                         "type A \"open\n", "type A \"x\" y\n", "type A \"\\q\"\n", "dump now\n"};
    for (const char *text : bad) {
        lines.clear();
        EXPECT_FALSE(rte::internal::ParseOperatorScript(text, "s.txt", &lines, &error)) << text;
        EXPECT_EQ(error.rfind("s.txt:1: ", 0), 0u) << error;
    }
}

}  // namespace
