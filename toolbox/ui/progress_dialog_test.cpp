// Tests of the progress dialog: its layout with and without a cancel button, the reports (the
// value kept in range, each cancel press reported once, only when events are processed), the
// Escape key, stale handles, and running out of memory.
#include "toolbox/ui/progress_dialog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "rte/alloc_testing.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"
#include "toolbox/ui/callback_chain.h"
#include "toolbox/ui/tool_tips.h"
#include "toolbox/windows/win_msg_callbacks.h"
#include "win32/winuser.h"

namespace {

class ProgressDialog : public ::testing::Test {
protected:
    void TearDown() override { rte::testing::DiscardAllPanels(); }
    int Attr(int panel, int control, int attribute) {
        int v = -1;
        EXPECT_EQ(GetCtrlAttribute(panel, control, attribute, &v), 0);
        return v;
    }
    int PanelAttr(int panel, int attribute) {
        int v = -1;
        EXPECT_EQ(GetPanelAttribute(panel, attribute, &v), 0);
        return v;
    }
};

TEST_F(ProgressDialog, LayoutWithAndWithoutCancel) {
    int d = CreateProgressDialog("Copying", "Files copied", 1, 3, "__Cancel");
    ASSERT_GT(d, 0);
    std::vector<int> ctrls = rte::testing::PanelCtrls(d);
    ASSERT_EQ(ctrls.size(), 2u);
    int bar = ctrls[0], cancel = ctrls[1];
    EXPECT_EQ(PanelAttr(d, ATTR_WIDTH), PROGRESS_DIALOG_WIDTH);
    EXPECT_EQ(Attr(d, bar, ATTR_WIDTH), 300);
    EXPECT_EQ(Attr(d, bar, ATTR_HEIGHT), 14);
    EXPECT_EQ(Attr(d, bar, ATTR_MARKER_STYLE), 3);
    EXPECT_EQ(Attr(d, bar, ATTR_TICK_STYLE), 3);
    // Bar and label centred together across the panel; the button centred below them; the panel
    // ends 14 pixels below the button.
    int top, left, height, width;
    ASSERT_EQ(GetCtrlBoundingRect(d, bar, &top, &left, &height, &width), 0);
    EXPECT_EQ(left, (PROGRESS_DIALOG_WIDTH - width) / 2);
    EXPECT_EQ(top, 14);  // centred in the area of height + 28
    int bottom = height + 28;
    EXPECT_EQ(Attr(d, cancel, ATTR_TOP), bottom);
    EXPECT_EQ(Attr(d, cancel, ATTR_LEFT), PROGRESS_DIALOG_WIDTH / 2 - Attr(d, cancel, ATTR_WIDTH) / 2);
    EXPECT_EQ(PanelAttr(d, ATTR_HEIGHT), bottom + 14 + Attr(d, cancel, ATTR_HEIGHT));
    EXPECT_EQ(Attr(d, cancel, ATTR_SHORTCUT_KEY), VAL_ESC_VKEY);
    EXPECT_EQ(PanelAttr(d, ATTR_CLOSE_ITEM_VISIBLE), 0);
    // A modal popup, centred on the (headless, 1024 x 768) screen.
    EXPECT_EQ(rte::testing::ActivePanel(), d);
    EXPECT_EQ(PanelAttr(d, ATTR_LEFT), (1024 - PROGRESS_DIALOG_WIDTH) / 2);
    EXPECT_EQ(PanelAttr(d, ATTR_TOP), (768 - PanelAttr(d, ATTR_HEIGHT)) / 2);

    // No label: no button, and the panel just holds the bar. An empty label: a button out of
    // sight.
    int plain = CreateProgressDialog("Plain", "Working", 0, 0, nullptr);
    ASSERT_GT(plain, 0);
    EXPECT_EQ(rte::testing::PanelCtrls(plain).size(), 1u);
    ASSERT_EQ(GetCtrlBoundingRect(plain, rte::testing::PanelCtrls(plain)[0], nullptr, nullptr, &height, nullptr), 0);
    EXPECT_EQ(PanelAttr(plain, ATTR_HEIGHT), height + 28);
    EXPECT_TRUE(rte::testing::IsPanelVisible(plain));
    int hidden = CreateProgressDialog("Hidden", "Working", 0, 1, "");
    ASSERT_GT(hidden, 0);
    int button = rte::testing::PanelCtrls(hidden)[1];
    EXPECT_EQ(Attr(hidden, button, ATTR_TOP), -100);
    EXPECT_EQ(Attr(hidden, button, ATTR_LEFT), -100);
    EXPECT_EQ(PanelAttr(hidden, ATTR_HEIGHT), height + 28);
}

// A press that arrives with the next events processed, as the screen's would.
void PressLater(void *button) {
    int panel = rte::testing::ActivePanel();
    rte::testing::Press(panel, static_cast<int>(reinterpret_cast<intptr_t>(button)));
}

TEST_F(ProgressDialog, ReportsShowTheValueAndEachCancelOnce) {
    int d = CreateProgressDialog("Working", "Done", 1, 3, "Cancel");
    int bar = rte::testing::PanelCtrls(d)[0], cancel = rte::testing::PanelCtrls(d)[1];
    const struct { int percent; const char *shown; } values[] = {{-5, "0"}, {0, "0"}, {42, "42"}, {100, "100"}, {150, "100"}};
    for (const auto &v : values) {
        EXPECT_EQ(UpdateProgressDialog(d, v.percent, 0), 0);
        EXPECT_EQ(rte::testing::ValueText(d, bar), v.shown);
    }
    // The press is seen only by a report that processes events, and reported once.
    ASSERT_EQ(PostDeferredCallToThread(PressLater, reinterpret_cast<void *>(static_cast<intptr_t>(cancel)), CurrThreadId()), 0);
    EXPECT_EQ(UpdateProgressDialog(d, 10, 0), 0);
    EXPECT_EQ(UpdateProgressDialog(d, 11, 1), 1);
    EXPECT_EQ(UpdateProgressDialog(d, 12, 1), 0);
    // Two presses before a report are one cancel; Escape presses the button too.
    ASSERT_EQ(rte::testing::Press(d, cancel), 0);
    ASSERT_EQ(rte::testing::Press(d, cancel), 0);
    EXPECT_EQ(UpdateProgressDialog(d, 13, 1), 1);
    EXPECT_EQ(UpdateProgressDialog(d, 13, 1), 0);
    ASSERT_EQ(rte::testing::KeyPress(d, bar, VAL_ESC_VKEY), 0);
    EXPECT_EQ(UpdateProgressDialog(d, 14, 0), 1);
    // The dialog shows no close box: closing its window is its Escape, and cancels.
    ASSERT_EQ(rte::testing::ClosePanel(d), 0);
    EXPECT_EQ(UpdateProgressDialog(d, 15, 1), 1);
}

int NoMessage(int, int, unsigned int *, unsigned int *, void *) { return 0; }

// Whatever the library or the program chains on the dialog's panel or its button, the reports
// still find the dialog and see Cancel.
TEST_F(ProgressDialog, ChainedCallbacksOnTheDialogLeaveItWorking) {
    struct {
        const char *what;
        int (*chain)(int dialog, int cancel);
    } cases[] = {
        {"a tool tip on Cancel",
         [](int dialog, int cancel) { return SetCtrlToolTipAttribute(dialog, cancel, ATTR_TOOLTIP_TEXT, "Stop"); }},
        {"a window-message callback",
         [](int dialog, int) {
             int posting = 0;
             return InstallWinMsgCallback(dialog, WM_APP, NoMessage, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting);
         }},
        {"a link of the program's own", [](int dialog, int) { return ChainPanelCallback(dialog, nullptr, nullptr, "Mine"); }},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        int d = CreateProgressDialog("Chained", "Done", 1, 3, "Cancel");
        int bar = rte::testing::PanelCtrls(d)[0], cancel = rte::testing::PanelCtrls(d)[1];
        ASSERT_EQ(k.chain(d, cancel), 0);
        EXPECT_EQ(UpdateProgressDialog(d, 50, 0), 0);
        EXPECT_EQ(rte::testing::ValueText(d, bar), "50");
        ASSERT_EQ(rte::testing::Press(d, cancel), 0);
        EXPECT_EQ(UpdateProgressDialog(d, 60, 1), 1);
        DiscardProgressDialog(d);
        EXPECT_TRUE(rte::testing::AllPanels().empty());
    }
}

TEST_F(ProgressDialog, StaleHandlesAndDiscards) {
    int d = CreateProgressDialog("Gone", "Soon", 0, 0, "Cancel");
    ASSERT_GT(d, 0);
    DiscardProgressDialog(d);
    EXPECT_FALSE(rte::testing::IsPanelVisible(d));
    int old = SetBreakOnLibraryErrors(1);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(UpdateProgressDialog(d, 50, 1), UIE_BAD_PANEL);
    DiscardProgressDialog(d);  // twice: nothing
    DiscardProgressDialog(0);
    DiscardProgressDialog(-3);
    EXPECT_EQ(UpdateProgressDialog(0, 50, 1), 0);
    EXPECT_EQ(UpdateProgressDialog(-1, 50, 1), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // no error break
    SetBreakOnLibraryErrors(old);
    // A dialog discarded by the engine directly frees its record all the same (LeakSanitizer).
    int other = CreateProgressDialog("Other", "x", 0, 0, nullptr);
    EXPECT_EQ(DiscardPanel(other), 0);
}

TEST_F(ProgressDialog, OutOfMemoryLeavesNothingBehind) {
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        size_t before = rte::testing::AllPanels().size();
        int d = CreateProgressDialog("Memory", "x", 1, 3, "Cancel");
        EXPECT_EQ(d < 0, injected);
        if (injected) {
            EXPECT_EQ(d, UIE_OUT_OF_MEMORY);
            EXPECT_EQ(rte::testing::AllPanels().size(), before);
        }
        DiscardProgressDialog(d);
    });
}

}  // namespace
