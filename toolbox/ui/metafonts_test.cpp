// Tests of metafont information and of telling font names from other names.
#include "toolbox/ui/ui_services.h"

#include "rte/engine.h"
#include "rte/graphics.h"
#include "rte/testing.h"
#include "rte/ui.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(MetaFonts, InfoGivesTheTypefaceFlagsAndSizeAMetafontStandsFor) {
    ASSERT_EQ(CreateMetaFont("BoldUnderlinedSerif", "serif", 21, 1, 0, 1, 0), 0);
    struct {
        const char *name;
        const char *typeface;
        int bold, underline, strikeout, italic, size;
    } cases[] = {
        {VAL_7SEG_META_FONT, "monospace", 1, 0, 0, 0, 16},
        {VAL_DIALOG_META_FONT, "sans", 0, 0, 0, 0, 13},
        {"BoldUnderlinedSerif", "serif", 1, 1, 0, 0, 21},
        {"monospace", "monospace", 0, 0, 0, 0, 13},  // a typeface stands for itself
    };
    for (const auto &k : cases) {
        char typeface[256] = "";
        int bold = -1, underline = -1, strikeout = -1, italic = -1, size = -1;
        ASSERT_EQ(GetMetaFontInfo(k.name, typeface, &bold, &underline, &strikeout, &italic, &size), 0) << k.name;
        EXPECT_STREQ(typeface, k.typeface);
        EXPECT_EQ(std::vector<int>({bold, underline, strikeout, italic, size}),
                  std::vector<int>({k.bold, k.underline, k.strikeout, k.italic, k.size}))
            << k.name;
    }
    int size = 0;
    EXPECT_EQ(GetMetaFontInfo(VAL_7SEG_META_FONT, nullptr, nullptr, nullptr, nullptr, nullptr, &size), 0);
    EXPECT_EQ(size, 16);
    EXPECT_EQ(GetMetaFontInfo(VAL_7SEG_META_FONT, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    int oldBreak = SetBreakOnLibraryErrors(0);
    EXPECT_EQ(GetMetaFontInfo(nullptr, nullptr, &size, nullptr, nullptr, nullptr, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(GetMetaFontInfo("", nullptr, &size, nullptr, nullptr, nullptr, nullptr), UIE_BAD_VALUE);
    SetBreakOnLibraryErrors(oldBreak);
}

TEST(MetaFonts, AThreadsInfoPanelIsItsOwnAndGoesWithTheThread) {
    size_t before = rte::testing::AllPanels().size();
    std::thread asker([before] {
        int size = 0;
        EXPECT_EQ(GetMetaFontInfo(VAL_APP_META_FONT, nullptr, nullptr, nullptr, nullptr, nullptr, &size), 0);
        EXPECT_EQ(size, 13);
        EXPECT_EQ(rte::testing::AllPanels().size(), before + 1);
        GetMetaFontInfo(VAL_MENU_META_FONT, nullptr, nullptr, nullptr, nullptr, nullptr, &size);
        EXPECT_EQ(rte::testing::AllPanels().size(), before + 1) << "one panel per thread";
    });
    asker.join();
    EXPECT_EQ(rte::testing::AllPanels().size(), before);
}

TEST(MetaFonts, IsMetaFontTellsFontsFromOtherNamesQuietly) {
    int oldBreak = SetBreakOnLibraryErrors(1);
    EXPECT_EQ(IsMetaFont(VAL_DIALOG_META_FONT), 1);
    EXPECT_EQ(IsMetaFont("DialogMetaFont"), 1);
    EXPECT_EQ(IsMetaFont("No Such Font Anywhere 1234"), 0);
    EXPECT_EQ(IsMetaFont(nullptr), UIE_NULL_POINTER);
    SetBreakOnLibraryErrors(oldBreak);
}

// At process exit the main thread discards every thread's block; a thread that still runs its
// event loop gets its metafont panel discarded on itself. (Not a *_thread_test: measuring text
// starts a helper thread of pango's whose hand-over ThreadSanitizer cannot follow.)
std::atomic<unsigned> g_asker{0};

int ReportWhereDiscarded(int, int event, void *, int, int) {
    if (event == EVENT_DISCARD)
        std::fprintf(stderr, "metafont panel discarded on %s thread\n", CurrThreadId() == g_asker.load() ? "its own" : "another");
    return 0;
}

void ExitWhileTheAskerRuns() {
    std::promise<void> asked;
    std::thread asker([&asked] {
        ProcessSystemEvents();  // has an event queue
        g_asker = CurrThreadId();
        int size = 0;
        GetMetaFontInfo(VAL_DIALOG_META_FONT, nullptr, nullptr, nullptr, nullptr, nullptr, &size);
        InstallPanelCallback(rte::testing::AllPanels().back(), ReportWhereDiscarded, nullptr);
        asked.set_value();
        RunUserInterface();
    });
    asked.get_future().wait();
    asker.detach();
    std::exit(0);  // the exit clean-ups discard every thread's block from here
}

TEST(MetaFontPanelDeathTest, AtExitALiveThreadsPanelIsDiscardedOnThatThread) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitWhileTheAskerRuns(), ::testing::ExitedWithCode(0), "^metafont panel discarded on its own thread\n");
}

}  // namespace
