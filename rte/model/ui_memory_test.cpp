// Tests that the engine's allocating calls survive an exhausted heap: each allocation they make
// fails in turn (operator new too, see rte/alloc_new_testing.h); the call then gives
// UIE_OUT_OF_MEMORY and leaves nothing half-made, or succeeds when it did not need that block.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "rte/alloc_new_testing.h"
#include "rte/alloc_testing.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

using rte::testing::ForEachAllocationFailure;
using rte::testing::ScopedNewFaults;

const char kLong[] = "a text well beyond the length a short string keeps inline";
const char kLonger[] = "another text, longer again than any string kept inline in its object";

// Whether a panel's z-order holds its controls and nothing else: the control sent to the back
// lands last.
bool ZOrderIsWhole(int panel) {
    std::vector<int> ctrls = rte::testing::PanelCtrls(panel);
    int z = -1;
    SetCtrlAttribute(panel, ctrls.back(), ATTR_ZPLANE_POSITION, 1000);
    GetCtrlAttribute(panel, ctrls.back(), ATTR_ZPLANE_POSITION, &z);
    return z == static_cast<int>(ctrls.size()) - 1;
}

class UiMemory : public ::testing::Test {
protected:
    void SetUp() override { ProcessSystemEvents(); }  // the thread's event queue exists before
    void TearDown() override {
        rte::testing::ClearAllocationFault();
        rte::testing::DiscardAllPanels();
    }
};

TEST_F(UiMemory, MakingPanelsAndControls) {
    size_t before = rte::testing::AllPanels().size();
    ForEachAllocationFailure([&](bool injected) {
        int panel;
        {
            ScopedNewFaults faults;
            panel = NewPanel(0, kLong, 0, 0, 100, 100);
        }
        EXPECT_EQ(panel, injected ? UIE_OUT_OF_MEMORY : panel);
        EXPECT_EQ(rte::testing::AllPanels().size(), before + (panel > 0 ? 1 : 0));
        if (panel > 0) DiscardPanel(panel);
    });
    // A thread's first panel also makes the thread's event queue.
    ForEachAllocationFailure([&](bool injected) {
        int panel = 0;
        std::thread([&] {
            ScopedNewFaults faults;
            panel = NewPanel(0, "", 0, 0, 100, 100);
        }).join();
        EXPECT_EQ(panel, injected ? UIE_OUT_OF_MEMORY : panel);
        if (panel > 0) DiscardPanel(panel);
    });

    for (int style : {CTRL_TEXT_MSG, CTRL_LIST_BOX, CTRL_TIMER}) {
        {  // Warm up what is built once per thread (the text measuring caches), so every run
           // below makes the same allocations.
            int panel = NewPanel(0, "Warm", 0, 0, 200, 200);
            NewCtrl(panel, style, kLong, 10, 10);
            DiscardPanel(panel);
        }
        ForEachAllocationFailure([&](bool injected) {
            int panel = NewPanel(0, "Controls", 0, 0, 200, 200);
            int ctrl;
            {
                ScopedNewFaults faults;
                ctrl = NewCtrl(panel, style, kLong, 10, 10);
            }
            EXPECT_EQ(ctrl, injected ? UIE_OUT_OF_MEMORY : 2) << style;  // the first ID is 2
            EXPECT_EQ(rte::testing::PanelCtrls(panel).size(), ctrl > 0 ? 1u : 0u);
            // Later controls are made whole, and nothing of a failed one lingers.
            NewCtrl(panel, CTRL_STRING, "", 0, 0);
            NewCtrl(panel, CTRL_STRING, "", 0, 0);
            EXPECT_TRUE(ZOrderIsWhole(panel));
            DiscardPanel(panel);
        });
    }
}

TEST_F(UiMemory, SettingTextsKeepsTheOldTextOnFailure) {
    using Set = int (*)(int panel, int ctrl, const char *text);
    const Set sets[] = {
        [](int p, int c, const char *t) { return SetCtrlVal(p, c, t); },
        [](int p, int c, const char *t) { return SetCtrlAttribute(p, c, ATTR_LABEL_TEXT, t); },
        [](int p, int c, const char *t) { return SetCtrlAttribute(p, c, ATTR_TEXT_FONT, t); },
    };
    // What a control shows: its value, label and font.
    auto state = [](int panel, int ctrl) {
        char label[128], font[128];
        GetCtrlAttribute(panel, ctrl, ATTR_LABEL_TEXT, label);
        GetCtrlAttribute(panel, ctrl, ATTR_TEXT_FONT, font);
        return rte::testing::ValueText(panel, ctrl) + "|" + label + "|" + font;
    };
    for (Set set : sets) {
        {  // Warm up what the engine builds once per process (the font tables), so every run
           // below makes the same allocations.
            int panel = NewPanel(0, "Warm", 0, 0, 200, 200);
            set(panel, NewCtrl(panel, CTRL_TEXT_MSG, kLong, 10, 10), kLonger);
            DiscardPanel(panel);
        }
        ForEachAllocationFailure([&](bool injected) {
            // New objects each run: a string keeps its capacity, so each run allocates alike.
            int panel = NewPanel(0, "Texts", 0, 0, 200, 200);
            int msg = NewCtrl(panel, CTRL_TEXT_MSG, kLong, 10, 10), rc;
            std::string old = state(panel, msg);
            {
                ScopedNewFaults faults;
                rc = set(panel, msg, kLonger);
            }
            EXPECT_EQ(rc, injected ? UIE_OUT_OF_MEMORY : 0);
            EXPECT_EQ(state(panel, msg) == old, rc != 0);
            DiscardPanel(panel);
        });
    }
}

TEST_F(UiMemory, ListItems) {
    int panel = NewPanel(0, "Lists", 0, 0, 200, 200);
    for (bool replace : {false, true}) {
        ForEachAllocationFailure([&](bool injected) {
            int list = NewCtrl(panel, CTRL_RING, "", 10, 10), rc;  // new each run: runs allocate alike
            SetCtrlAttribute(panel, list, ATTR_DATA_TYPE, VAL_STRING);
            if (replace) InsertListItem(panel, list, -1, "short", "short");
            {
                ScopedNewFaults faults;
                rc = replace ? ReplaceListItem(panel, list, 0, kLong, kLonger) : InsertListItem(panel, list, -1, kLong, kLonger);
            }
            EXPECT_EQ(rc, injected ? UIE_OUT_OF_MEMORY : 0);
            EXPECT_EQ(rte::testing::ValueText(panel, list), rc == 0 ? kLong : replace ? "short" : "");
            DiscardCtrl(panel, list);
        });
    }
}

TEST_F(UiMemory, LoadingAPanel) {
    const char *path = "ui_memory_test.uir";
    std::ofstream(path) << "uir 1\n"
                           "panel PANEL 1\n"
                           "  title A panel made under memory pressure\n"
                           "  attr ATTR_BACKCOLOR 0x102030\n"
                           "  control PANEL_TEXT 2 textmsg\n"
                           "    label A message of some length, not kept inline\n"
                           "    attr ATTR_TEXT_FONT \"A font name of some length too\"\n"
                           "  end\n"
                           "  control PANEL_LIST 3 listbox\n"
                           "    item the first item of the list box\n"
                           "  end\n"
                           "end\n";
    DiscardPanel(LoadPanel(0, path, 1));  // the first load also sets up what streams share
    size_t before = rte::testing::AllPanels().size();
    ForEachAllocationFailure([&](bool injected) {
        int panel;
        {
            ScopedNewFaults faults;
            panel = LoadPanel(0, path, 1);
        }
        EXPECT_EQ(panel, injected ? UIE_OUT_OF_MEMORY : panel);
        EXPECT_EQ(rte::testing::AllPanels().size(), before + (panel > 0 ? 1 : 0));
        if (panel > 0) {
            EXPECT_EQ(rte::testing::ItemLabels(panel, 3).size(), 1u);
            DiscardPanel(panel);
        }
    });
    std::remove(path);
}

int g_deferredRuns = 0;
void CountRun(void *) { ++g_deferredRuns; }

TEST_F(UiMemory, QueuedEventsAndCalls) {
    // Queues grow a block at a time, so many entries reach their allocations; the one whose
    // block could not be had is refused, the others arrive.
    const int kCount = 100;
    int panel = NewPanel(0, "Queue", 0, 0, 100, 100);
    ForEachAllocationFailure([&](bool) {
        int refused = 0, received = 0;
        g_deferredRuns = 0;
        {
            ScopedNewFaults faults;
            for (int i = 0; i < kCount; ++i) {
                int rc = i % 2 ? QueueUserEvent(1000 + i, i % 4 == 1 ? panel : 0, 0)
                               : PostDeferredCallToThread(CountRun, nullptr, CurrThreadId());
                EXPECT_TRUE(rc == 0 || rc == UIE_OUT_OF_MEMORY) << rc;
                refused += rc != 0;
            }
        }
        EXPECT_EQ(refused, rte::testing::AllocationFaultFired() ? 1 : 0);
        while (GetUserEvent(0, nullptr, nullptr) != 0) ++received;
        EXPECT_EQ(received + g_deferredRuns, kCount - refused);
    });
    // A thread's first user event also makes the thread's event queue.
    ForEachAllocationFailure([&](bool injected) {
        int rc = 0, received = 0;
        std::thread([&] {
            {
                ScopedNewFaults faults;
                rc = QueueUserEvent(1000, 0, 0);
            }
            received = GetUserEvent(0, nullptr, nullptr);
        }).join();
        EXPECT_EQ(rc, injected ? UIE_OUT_OF_MEMORY : 0);
        EXPECT_EQ(received, rc == 0 ? 1000 : 0);
    });
}

}  // namespace
