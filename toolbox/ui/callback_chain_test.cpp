// Tests of callback chaining: the order in which events travel a chain, swallowing, unchaining
// any link, discarding, lookups, allocation failures at every step, callbacks that change the
// chain while they run, and the registry of live objects.
#include "toolbox/ui/callback_chain.h"

#include "rte/alloc_testing.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "toolbox/core/thread_state.h"
#include "toolbox/ui/ctrl_helpers.h"
#include "toolbox/ui/tool_tips.h"
#include "toolbox/ui/linked_panels_internal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Every callback of a test writes "name:event" into one log, and returns its `result`.
struct Recorder {
    std::string name;
    int result = 0;
    std::string *log = nullptr;
    void (*action)(Recorder *self, int panel, int control, int event) = nullptr;  // run before returning
};

void Note(Recorder *r, int event) {
    if (!r->log->empty()) *r->log += ' ';
    *r->log += r->name + ":" + std::to_string(event);
}

int RecordCtrl(int panel, int control, int event, void *data, int, int) {
    auto *r = static_cast<Recorder *>(data);
    Note(r, event);
    if (r->action) r->action(r, panel, control, event);
    return r->result;
}

int RecordPanel(int panel, int event, void *data, int, int) {
    auto *r = static_cast<Recorder *>(data);
    Note(r, event);
    if (r->action) r->action(r, panel, 0, event);
    return r->result;
}

void *Address(CtrlCallbackPtr f) { return reinterpret_cast<void *>(f); }

class CallbackChaining : public ::testing::Test {
protected:
    std::string log;
    Recorder base{"base", 0, &log}, a{"A", 0, &log}, b{"B", 0, &log}, c{"C", 0, &log};
    Recorder panelBase{"panel", 0, &log};
    int panel = 0, control = 0;

    void SetUp() override {
        panel = NewPanel(0, "chained", 0, 0, 200, 300);
        control = NewCtrl(panel, CTRL_COMMAND_BUTTON, "OK", 10, 10);
        ASSERT_GT(control, 0);
        ASSERT_EQ(InstallCtrlCallback(panel, control, RecordCtrl, &base), 0);
    }
    void TearDown() override {
        rte::testing::DiscardAllPanels();
        EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList(), nullptr) << "every link went with its panel";
    }
    // Sends EVENT_COMMIT through the installed callback and returns the log.
    std::string Commit(int *result = nullptr) {
        log.clear();
        int r = -1;
        EXPECT_EQ(CallCtrlCallback(panel, control, EVENT_COMMIT, 0, 0, &r), 1);
        if (result) *result = r;
        return log;
    }
    // Chains the first `count` of A, B and C on the control, in that order: the last is the newest.
    void ChainLinks(int count) {
        Recorder *links[] = {&a, &b, &c};
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(ChainCtrlCallback(panel, control, RecordCtrl, links[i], links[i]->name.c_str()), 0);
        }
    }
    void *Installed(int attribute) {
        void *value = nullptr;
        GetCtrlAttribute(panel, control, attribute, &value);
        return value;
    }
};

TEST_F(CallbackChaining, EventsReachTheNewestLinkFirstAndANonZeroResultSwallowsThem) {
    ChainLinks(2);
    struct {
        int bResult, aResult, baseResult;
        const char *expectedLog;
        int expectedResult;
    } cases[] = {
        {0, 0, 0, "B:1 A:1 base:1", 0},
        {0, 0, 5, "B:1 A:1 base:1", 5},
        {0, 7, 0, "B:1 A:1", 7},
        {9, 0, 0, "B:1", 9},
    };
    for (const auto &k : cases) {
        b.result = k.bResult;
        a.result = k.aResult;
        base.result = k.baseResult;
        int result = -1;
        EXPECT_EQ(Commit(&result), k.expectedLog);
        EXPECT_EQ(result, k.expectedResult) << k.expectedLog;
    }
    // The engine's own events take the same way: a click swallowed by B gives no commit.
    DisplayPanel(panel);
    b.result = 1;
    log.clear();
    rte::testing::Press(panel, control);
    EXPECT_EQ(log, "B:3");
    b.result = 0;
    log.clear();
    rte::testing::Press(panel, control);
    EXPECT_EQ(log, "B:3 A:3 base:3 B:1 A:1 base:1");  // click, commit (it has had the focus since shown)
    EXPECT_EQ(PanelLinkCountOf(panel), 2);
}

TEST_F(CallbackChaining, AnyLinkCanBeUnchainedAndTheRestStaysInOrder) {
    struct {
        std::vector<const char *> remove;
        const char *expectedLog;
    } cases[] = {
        {{"C"}, "B:1 A:1 base:1"},
        {{"B"}, "C:1 A:1 base:1"},
        {{"A"}, "C:1 B:1 base:1"},
        {{"A", "C"}, "B:1 base:1"},
        {{"B", "A", "C"}, "base:1"},
        {{"C", "B", "A"}, "base:1"},
    };
    for (const auto &k : cases) {
        ChainLinks(3);
        for (const char *type : k.remove) EXPECT_EQ(UnchainCtrlCallback(panel, control, type), 1) << type;
        EXPECT_EQ(Commit(), k.expectedLog);
        EXPECT_EQ(PanelLinkCountOf(panel), 3 - static_cast<int>(k.remove.size()));
        for (const char *type : {"A", "B", "C"}) UnchainCtrlCallback(panel, control, type);
    }
    // With the last link gone the base callback and its data are installed again.
    EXPECT_EQ(Installed(ATTR_CALLBACK_FUNCTION_POINTER), Address(RecordCtrl));
    EXPECT_EQ(Installed(ATTR_CALLBACK_DATA), &base);
    EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList(), nullptr);
}

TEST_F(CallbackChaining, UnchainingTheOlderLinkLeavesTheNewerInstalledInFrontOfTheBase) {
    ChainLinks(2);
    void *dispatcher = Installed(ATTR_CALLBACK_FUNCTION_POINTER);
    void *newest = Installed(ATTR_CALLBACK_DATA);
    EXPECT_NE(dispatcher, Address(RecordCtrl));
    EXPECT_EQ(UnchainCtrlCallback(panel, control, "A"), 1);
    EXPECT_EQ(Installed(ATTR_CALLBACK_FUNCTION_POINTER), dispatcher);
    EXPECT_EQ(Installed(ATTR_CALLBACK_DATA), newest);
    EXPECT_EQ(Commit(), "B:1 base:1");
}

TEST_F(CallbackChaining, RefusalsLeaveTheChainAsItWas) {
    ASSERT_EQ(ChainCtrlCallback(panel, control, RecordCtrl, &a, "A"), 0);
    int oldBreak = SetBreakOnLibraryErrors(0);
    struct {
        int panel, control;
        const char *type;
        int expected;
    } cases[] = {
        {panel, control, "A", UIE_WRONG_ATTRIBUTE},  // one link of a type per control
        {panel, control, nullptr, UIE_NULL_POINTER},
        {panel + 1000, control, "X", UIE_BAD_PANEL},
        {panel, control + 1000, "X", UIE_BAD_CONTROL},
    };
    for (const auto &k : cases) EXPECT_EQ(ChainCtrlCallback(k.panel, k.control, RecordCtrl, &b, k.type), k.expected);
    ASSERT_EQ(ChainPanelCallback(panel, RecordPanel, &c, "P"), 0);
    EXPECT_EQ(ChainPanelCallback(panel, RecordPanel, &c, "P"), UIE_WRONG_ATTRIBUTE);
    EXPECT_EQ(ChainPanelCallback(panel, RecordPanel, &c, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(ChainPanelCallback(panel + 1000, RecordPanel, &c, "P"), UIE_BAD_PANEL);
    EXPECT_EQ(PanelLinkCountOf(panel), 2);
    EXPECT_EQ(UnchainPanelCallback(panel, "P"), 1);
    SetBreakOnLibraryErrors(oldBreak);
    EXPECT_EQ(UnchainCtrlCallback(panel, control, "not there"), 0);
    EXPECT_EQ(UnchainCtrlCallback(panel, control, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(UnchainCtrlCallback(panel, control + 1000, "A"), UIE_BAD_CONTROL);
    EXPECT_EQ(UnchainPanelCallback(panel + 1000, "A"), UIE_BAD_PANEL);
    EXPECT_EQ(Commit(), "A:1 base:1");
    EXPECT_EQ(PanelLinkCountOf(panel), 1);
}

TEST_F(CallbackChaining, LookupsGiveTheLinksDataOrTheBaseData) {
    void *data = nullptr;
    EXPECT_EQ(GetChainedCallbackData(panel, control, "", &data), 0);
    EXPECT_EQ(data, &base) << "also without links";
    ASSERT_EQ(ChainCtrlCallback(panel, control, RecordCtrl, &a, "A"), 0);
    ASSERT_EQ(ChainCtrlCallback(panel, control, nullptr, &c, "data only"), 0);
    struct {
        const char *type;
        int expected;
        void *expectedData;
    } cases[] = {
        {"", 0, &base}, {"A", 0, &a}, {"data only", 0, &c}, {"a", UIE_WRONG_ATTRIBUTE, nullptr}, {nullptr, UIE_NULL_POINTER, nullptr},
    };
    for (const auto &k : cases) {
        data = nullptr;
        EXPECT_EQ(GetChainedCallbackData(panel, control, k.type, &data), k.expected);
        EXPECT_EQ(data, k.expectedData);
    }
    EXPECT_EQ(GetChainedCallbackData(panel, control, "A", nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(Commit(), "A:1 base:1") << "a link without a callback passes events on";
}

TEST_F(CallbackChaining, DiscardReachesEveryLinkNewestFirstAndFreesThem) {
    int other = NewCtrl(panel, CTRL_STRING, "other", 50, 10);
    InstallPanelCallback(panel, RecordPanel, &panelBase);
    a.result = b.result = c.result = 1;  // discarding is never swallowed
    ChainLinks(2);
    ASSERT_EQ(ChainPanelCallback(panel, RecordPanel, &c, "C"), 0);
    ASSERT_EQ(ChainCtrlCallback(panel, other, nullptr, nullptr, "data only"), 0);
    EXPECT_EQ(PanelLinkCountOf(panel), 4);
    log.clear();
    ASSERT_EQ(DiscardPanel(panel), 0);
    EXPECT_EQ(log, "B:16 A:16 base:16 C:16 panel:16");
    EXPECT_EQ(PanelLinkCountOf(panel), 0);
    EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList(), nullptr);
}

TEST_F(CallbackChaining, DiscardingOneControlLeavesThePanelListedForItsOtherLinks) {
    int other = NewCtrl(panel, CTRL_STRING, "other", 50, 10);
    ASSERT_EQ(ChainCtrlCallback(panel, control, RecordCtrl, &a, "A"), 0);
    ASSERT_EQ(ChainCtrlCallback(panel, other, RecordCtrl, &b, "B"), 0);
    log.clear();
    ASSERT_EQ(DiscardCtrl(panel, control), 0);
    EXPECT_EQ(log, "A:16 base:16");
    EXPECT_EQ(PanelLinkCountOf(panel), 1);
    int panel2 = 0;
    EXPECT_EQ(GetNthPanelWithLinkedCallbacks(1, &panel2), 1);
    EXPECT_EQ(panel2, panel);
    EXPECT_EQ(GetNthPanelWithLinkedCallbacks(2, &panel2), 0);
}

TEST_F(CallbackChaining, CallingAnObjectWithoutACallbackCallsNothing) {
    int bare = NewCtrl(panel, CTRL_STRING, "bare", 50, 10);
    int result = 42;
    EXPECT_EQ(CallCtrlCallback(panel, bare, EVENT_COMMIT, 0, 0, &result), 0);
    EXPECT_EQ(CallPanelCallback(panel, EVENT_CLOSE, 0, 0, &result), 0);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(CallCtrlCallback(panel, control, EVENT_COMMIT, 0, 0, nullptr), 1);
    int oldBreak = SetBreakOnLibraryErrors(0);
    EXPECT_EQ(CallCtrlCallback(panel, bare + 1000, EVENT_COMMIT, 0, 0, &result), UIE_BAD_CONTROL);
    EXPECT_EQ(CallPanelCallback(panel + 1000, EVENT_CLOSE, 0, 0, &result), UIE_BAD_PANEL);
    SetBreakOnLibraryErrors(oldBreak);
}

TEST_F(CallbackChaining, PanelsChainLikeControls) {
    InstallPanelCallback(panel, RecordPanel, &panelBase);
    ASSERT_EQ(ChainPanelCallback(panel, RecordPanel, &a, "A"), 0);
    ASSERT_EQ(ChainPanelCallback(panel, RecordPanel, &b, "B"), 0);
    int result = -1;
    log.clear();
    EXPECT_EQ(CallPanelCallback(panel, EVENT_CLOSE, 0, 0, &result), 1);
    EXPECT_EQ(log, "B:11 A:11 panel:11");
    void *data = nullptr;
    EXPECT_EQ(GetChainedPanelCallbackData(panel, "A", &data), 0);
    EXPECT_EQ(data, &a);
    EXPECT_EQ(GetChainedPanelCallbackData(panel, "", &data), 0);
    EXPECT_EQ(data, &panelBase);
    EXPECT_EQ(UnchainPanelCallback(panel, "B"), 1);
    log.clear();
    rte::testing::ClosePanel(panel);
    EXPECT_EQ(log, "A:11 panel:11");
    EXPECT_EQ(PanelLinkCountOf(panel), 1);
}

// Each allocation of a chain call failing in turn: the call reports -12 and leaves the control's
// callback, the panel list and memory (LeakSanitizer) as they were; on a panel already listed
// (its item is found) and on one that is not (the list and its item are made).
TEST_F(CallbackChaining, AllocationFailuresAtEveryStepLeaveNothingBehind) {
    int other = NewPanel(0, "listed already", 0, 0, 100, 100);
    int otherCtrl = NewCtrl(other, CTRL_STRING, "x", 10, 10);
    for (bool listed : {false, true}) {
        if (listed) {
            ASSERT_EQ(ChainCtrlCallback(panel, control, RecordCtrl, &a, "A"), 0);
        }
        void *callbackBefore = Installed(ATTR_CALLBACK_FUNCTION_POINTER);
        void *dataBefore = Installed(ATTR_CALLBACK_DATA);
        int countBefore = PanelLinkCountOf(panel);
        rte::testing::ForEachAllocationFailure([&](bool injected) {
            int status = ChainCtrlCallback(panel, control, RecordCtrl, &b, "B");
            if (injected) {
                EXPECT_EQ(status, UIE_OUT_OF_MEMORY);
                EXPECT_EQ(Installed(ATTR_CALLBACK_FUNCTION_POINTER), callbackBefore);
                EXPECT_EQ(Installed(ATTR_CALLBACK_DATA), dataBefore);
                EXPECT_EQ(PanelLinkCountOf(panel), countBefore);
                EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList() == nullptr, !listed);
            } else {
                EXPECT_EQ(status, 0);
                EXPECT_EQ(UnchainCtrlCallback(panel, control, "B"), 1);
            }
        });
    }
    // A second panel listed after the first: growing the list may fail too.
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        int status = ChainCtrlCallback(other, otherCtrl, RecordCtrl, &c, "C");
        EXPECT_EQ(status, injected ? UIE_OUT_OF_MEMORY : 0);
        EXPECT_EQ(PanelLinkCountOf(other), injected ? 0 : 1);
        EXPECT_EQ(PanelLinkCountOf(panel), 1);
        UnchainCtrlCallback(other, otherCtrl, "C");
    });
    EXPECT_EQ(Commit(), "A:1 base:1");
}

// ---- Callbacks that change the chain while they run ----

void UnchainSelf(Recorder *self, int panel, int control, int) { UnchainCtrlCallback(panel, control, self->name.c_str()); }
void UnchainA(Recorder *, int panel, int control, int) { UnchainCtrlCallback(panel, control, "A"); }
void UnchainAAndSelf(Recorder *self, int panel, int control, int event) {
    UnchainA(self, panel, control, event);
    UnchainSelf(self, panel, control, event);
}
void UnchainSelfAndA(Recorder *self, int panel, int control, int event) {
    UnchainSelf(self, panel, control, event);
    UnchainA(self, panel, control, event);
}
Recorder g_d{"D", 0, nullptr};
void ChainD(Recorder *self, int panel, int control, int) {
    g_d.log = self->log;
    ChainCtrlCallback(panel, control, RecordCtrl, &g_d, "D");
}
void DiscardOwnPanel(Recorder *, int panel, int, int event) {
    if (event != EVENT_DISCARD) DiscardPanel(panel);
}

TEST_F(CallbackChaining, ACallbackMayUnchainOrChainLinksWhileItRuns) {
    struct {
        const char *what;
        void (*bAction)(Recorder *, int, int, int);
        const char *firstLog;
        const char *secondLog;
    } cases[] = {
        {"B unchains itself", UnchainSelf, "C:1 B:1 A:1 base:1", "C:1 A:1 base:1"},
        {"B unchains the older A", UnchainA, "C:1 B:1 base:1", "C:1 B:1 base:1"},
        {"B unchains A, then itself", UnchainAAndSelf, "C:1 B:1 base:1", "C:1 base:1"},
        {"B unchains itself, then A", UnchainSelfAndA, "C:1 B:1 base:1", "C:1 base:1"},
        {"B chains D in front of C", ChainD, "C:1 B:1 A:1 base:1", "D:1 C:1 B:1 A:1 base:1"},
    };
    for (const auto &k : cases) {
        ChainLinks(3);
        b.action = k.bAction;
        EXPECT_EQ(Commit(), k.firstLog) << k.what;
        b.action = nullptr;
        EXPECT_EQ(Commit(), k.secondLog) << k.what;
        for (const char *type : {"A", "B", "C", "D"}) UnchainCtrlCallback(panel, control, type);
        EXPECT_EQ(PanelLinkCountOf(panel), 0) << k.what;
    }
}

TEST_F(CallbackChaining, ACallbackThatDiscardsItsPanelEndsTheEvent) {
    InstallPanelCallback(panel, RecordPanel, &panelBase);
    ChainLinks(3);
    a.action = DiscardOwnPanel;  // the older A discards while C and B are being dispatched
    EXPECT_EQ(Commit(), "C:1 B:1 A:1 C:16 B:16 A:16 base:16 panel:16");
    EXPECT_EQ(PanelLinkCountOf(panel), 0);
    EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList(), nullptr);
}

// A link that takes itself out of the chain and then has its object discarded: the older links
// and the base callback have seen EVENT_DISCARD (and freed their data), so the event that was
// being dispatched goes no further, however the discard came about.
void UnchainSelfThenDiscard(Recorder *self, int panel, int control, int event) {
    if (event == EVENT_DISCARD) return;
    UnchainSelf(self, panel, control, event);
    DiscardCtrl(panel, control);
}
void UnchainSelfThenDiscardKeepingBase(Recorder *self, int panel, int control, int event) {
    if (event == EVENT_DISCARD) return;
    UnchainSelf(self, panel, control, event);
    DiscardCtrlNoBOLE(panel, control, 1);
}
void DiscardKeepingBase(Recorder *, int panel, int control, int event) {
    if (event != EVENT_DISCARD) DiscardCtrlNoBOLE(panel, control, 1);
}
void UnchainSelfThenDiscardPanel(Recorder *self, int panel, int control, int event) {
    if (event == EVENT_DISCARD) return;
    UnchainSelf(self, panel, control, event);
    DiscardPanel(panel);
}

TEST_F(CallbackChaining, NothingIsCalledForAnObjectOnceItIsDiscardedInsideADispatch) {
    struct {
        const char *what;
        int links;  // A, B, C chained in that order; B acts (A when there is one link)
        void (*action)(Recorder *, int, int, int);
        const char *expectedLog;
    } cases[] = {
        {"the only link unchains itself, then discards", 1, UnchainSelfThenDiscard, "A:1 base:16"},
        {"a middle link unchains itself, then discards", 3, UnchainSelfThenDiscard, "C:1 B:1 C:16 A:16 base:16"},
        {"the only link unchains itself, then discards keeping the base", 1, UnchainSelfThenDiscardKeepingBase, "A:1"},
        {"a middle link discards keeping the base", 3, DiscardKeepingBase, "C:1 B:1 C:16 B:16 A:16"},
        {"a middle link unchains itself, then discards the panel", 3, UnchainSelfThenDiscardPanel,
         "C:1 B:1 C:16 A:16 base:16"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        ChainLinks(k.links);
        (k.links == 1 ? a : b).action = k.action;
        EXPECT_EQ(Commit(), k.expectedLog);
        a.action = b.action = nullptr;
        EXPECT_EQ(PanelLinkCountOf(panel), 0);
        rte::testing::DiscardAllPanels();
        SetUp();
    }
}

// A discard handler that chains onto the object being discarded (or onto a control of a panel
// being discarded): the new link would never see EVENT_DISCARD, so chaining is refused, and
// nothing is left behind (LeakSanitizer, and the list of panels with links in TearDown).
int g_chainedInDiscard = 1;
void ChainOnDiscard(Recorder *, int panel, int control, int event) {
    if (event == EVENT_DISCARD) g_chainedInDiscard = ChainCtrlCallback(panel, control, RecordCtrl, &g_d, "late");
}
void TipOnDiscard(Recorder *, int panel, int control, int event) {
    if (event == EVENT_DISCARD) g_chainedInDiscard = SetCtrlToolTipAttribute(panel, control, ATTR_TOOLTIP_TEXT, "late");
}
int g_tipCtrl = 0;
void TipOnOtherCtrlOnDiscard(Recorder *, int panel, int, int event) {
    if (event == EVENT_DISCARD) g_chainedInDiscard = SetCtrlToolTipAttribute(panel, g_tipCtrl, ATTR_TOOLTIP_TEXT, "late");
}

TEST_F(CallbackChaining, ChainingOntoAnObjectBeingDiscardedIsRefused) {
    struct {
        const char *what;
        Recorder *actor;  // base (the control's base callback) or panelBase
        void (*action)(Recorder *, int, int, int);
        bool discardPanel;
        int expected;
    } cases[] = {
        {"the control's handler chains onto it", &base, ChainOnDiscard, false, UIE_BAD_CONTROL},
        {"the control's handler sets a tip on it", &base, TipOnDiscard, false, UIE_BAD_CONTROL},
        {"the panel's handler sets a tip on a control", &panelBase, TipOnOtherCtrlOnDiscard, true, UIE_BAD_PANEL},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        g_d.log = &log;
        g_tipCtrl = control;
        InstallPanelCallback(panel, RecordPanel, &panelBase);
        ASSERT_EQ(ChainCtrlCallback(panel, control, RecordCtrl, &a, "A"), 0);
        ASSERT_EQ(ChainPanelCallback(panel, RecordPanel, &c, "C"), 0);
        k.actor->action = k.action;
        g_chainedInDiscard = 1;
        if (k.discardPanel) DiscardPanel(panel);
        else DiscardCtrl(panel, control);
        k.actor->action = nullptr;
        EXPECT_EQ(g_chainedInDiscard, k.expected);
        rte::testing::DiscardAllPanels();
        EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList(), nullptr);
        SetUp();
    }
}

// ---- Process exit ----

int ReportDiscard(int, int, int event, void *, int, int) {
    if (event == EVENT_DISCARD) std::fputs("discarded at exit\n", stderr);
    return 0;
}

TEST(CallbackChainingAtExit, PanelsStillListedAreDiscardedByTheExitCleanUp) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            int panel = NewPanel(0, "kept", 0, 0, 100, 100);
            int control = NewCtrl(panel, CTRL_STRING, "x", 10, 10);
            ChainCtrlCallback(panel, control, ReportDiscard, nullptr, "exit");
            CloseRTE();
            std::exit(GetTsvPanelsWithLinkedCallbacksList() == nullptr ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "discarded at exit");
}

// ---- Registry of live objects ----

TEST(ExistenceRegistry, RecordsEachRegistrationUntilItIsRemoved) {
    int x = 0, y = 0;
    EXPECT_EQ(ObjectExists(&x), 0);
    EXPECT_EQ(ObjectExists(nullptr), 0);
    EXPECT_NE(RegisterExistence(&x), 0);
    EXPECT_NE(RegisterExistence(&x), 0);
    EXPECT_NE(RegisterExistence(&y), 0);
    EXPECT_EQ(ObjectExists(&x), 1);
    DeRegisterExistence(&x);
    EXPECT_EQ(ObjectExists(&x), 1) << "registered twice";
    DeRegisterExistence(&x);
    EXPECT_EQ(ObjectExists(&x), 0);
    DeRegisterExistence(&x);  // not recorded: ignored
    DeRegisterExistence(nullptr);
    EXPECT_EQ(ObjectExists(&y), 1);
    // Growing the list may fail: the address is then not recorded.
    std::vector<int> many(64);
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        bool all = true;
        for (int &object : many) all = RegisterExistence(&object) != 0 && all;
        if (!injected) {
            EXPECT_TRUE(all);
        }
        for (int &object : many) DeRegisterExistence(&object);
        EXPECT_EQ(ObjectExists(&many[0]) + ObjectExists(&many[63]), 0);
    });
    DeRegisterExistence(&y);
}

}  // namespace
