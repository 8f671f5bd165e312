// Tests of window-message callbacks: synchronous callbacks that keep a message, deferred copies,
// disabling, window re-creation, tear-down by removal and by discard, the argument checks and
// allocation failures.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "rte/alloc_testing.h"
#include "rte/model/ui_model.h"
#include "rte/rte.h"
#include "rte/testing.h"
#include "toolbox/toolbox.h"
#include "win32/windows.h"

namespace {

struct Call {
    int message;
    unsigned int wParam, lParam;
    void *data;
};
std::vector<Call> g_calls;
int g_keep = 0;  // what Record returns

int Record(int, int message, unsigned int *wParam, unsigned int *lParam, void *data) {
    g_calls.push_back({message, wParam ? *wParam : 0u, lParam ? *lParam : 0u, data});
    if (wParam && message == WM_APP) *wParam = 77;  // changes what goes on
    return g_keep;
}

// The panel's own procedure, behind the library's: records what reaches it.
std::vector<UINT> g_panelSaw;
WNDPROC g_panelOwn = nullptr;
LRESULT BehindLibrary(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_panelSaw.push_back(message);
    return CallWindowProcA(g_panelOwn, window, message, wParam, lParam);
}

int PanelCallback(int, int, void *, int, int) { return 0; }

HWND Window(int panel) {
    void *window = nullptr;
    GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &window);
    return static_cast<HWND>(window);
}

class WinMsgCallbacks : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_panelSaw.clear();
        g_keep = 0;
        panel = NewPanel(0, "Messages", 0, 0, 100, 100);
        InstallPanelCallback(panel, PanelCallback, nullptr);
        window = Window(panel);
        // Something of the panel's own sees what the library lets through.
        g_panelOwn = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BehindLibrary)));
    }
    void TearDown() override { rte::testing::DiscardAllPanels(); }
    // Runs the event loop twice: once to post the deferred copies, once to deliver them.
    static void Pump() {
        ProcessSystemEvents();
        ProcessSystemEvents();
    }
    int panel = 0, posting = 0;  // posting: the handle InstallWinMsgCallback reports
    HWND window = nullptr;
};

TEST_F(WinMsgCallbacks, SynchronousCallbacksMayKeepTheMessage) {
    ASSERT_EQ(InstallWinMsgCallback(panel, WM_APP, Record, VAL_MSG_CALL_SYNCHRONOUS, &posting, &posting), 0);
    EXPECT_EQ(reinterpret_cast<HWND>(static_cast<uintptr_t>(posting)), window);
    EXPECT_EQ(InstallWinMsgCallback(panel, WM_APP, Record, VAL_MSG_CALL_DEFERRED, nullptr, &posting),
              TOOLBOX_ERR_MSG_CALLBACK_INSTALLED);

    // Passed on: the panel's procedure sees it with the changed wParam.
    EXPECT_EQ(SendMessageA(window, WM_APP, 5, 6), 0);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].wParam, 5u);
    EXPECT_EQ(g_calls[0].data, &posting);
    EXPECT_EQ(g_panelSaw, std::vector<UINT>{WM_APP});
    // Kept: the panel's procedure does not see it.
    g_keep = 1;
    EXPECT_EQ(SendMessageA(window, WM_APP, 5, 6), 0);
    EXPECT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_panelSaw.size(), 1u);
    // Other messages go straight on.
    SendMessageA(window, WM_APP + 9, 0, 0);
    EXPECT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_panelSaw.back(), static_cast<UINT>(WM_APP + 9));

    // Disabled: no calls; the attributes read back.
    ASSERT_EQ(SetMsgCallbackAttribute(panel, WM_APP, ATTR_MSG_CALLBACK_ENABLED, 0), 0);
    SendMessageA(window, WM_APP, 0, 0);
    EXPECT_EQ(g_calls.size(), 2u);
    int value = -1;
    ASSERT_EQ(GetMsgCallbackAttribute(panel, WM_APP, ATTR_MSG_CALLBACK_ENABLED, &value), 0);
    EXPECT_EQ(value, 0);
    ASSERT_EQ(GetMsgCallbackAttribute(panel, WM_APP, ATTR_MSG_CALL_MODE, &value), 0);
    EXPECT_EQ(value, VAL_MSG_CALL_SYNCHRONOUS);
    EXPECT_EQ(SetMsgCallbackAttribute(panel, WM_APP, ATTR_MSG_CALL_MODE, 999), UIE_BAD_VALUE);
    EXPECT_EQ(SetMsgCallbackAttribute(panel, WM_APP, 1003, 1), UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(GetMsgCallbackAttribute(panel, WM_APP, 1003, &value), UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(GetMsgCallbackAttribute(panel, WM_APP, ATTR_MSG_CALL_MODE, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(SetMsgCallbackAttribute(panel, WM_USER, ATTR_MSG_CALL_MODE, 1000), TOOLBOX_ERR_MSG_CALLBACK_NOT_INSTALLED);
    EXPECT_EQ(GetMsgCallbackAttribute(panel, WM_USER, ATTR_MSG_CALL_MODE, &value), TOOLBOX_ERR_MSG_CALLBACK_NOT_INSTALLED);

    // Removing the only callback gives the window its procedure back and drops the discard hook.
    ASSERT_EQ(RemoveWinMsgCallback(panel, WM_APP), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(BehindLibrary));
    void *data = nullptr;
    EXPECT_EQ(GetChainedPanelCallbackData(panel, "WT_TYPE", &data), UIE_WRONG_ATTRIBUTE);
    EXPECT_EQ(RemoveWinMsgCallback(panel, WM_APP), TOOLBOX_ERR_MSG_CALLBACK_NOT_INSTALLED);
    ASSERT_EQ(InstallWinMsgCallback(panel, WM_APP, Record, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting), 0);
    EXPECT_EQ(RemoveWinMsgCallback(panel, WM_USER), TOOLBOX_ERR_MSG_CALLBACK_NOT_INSTALLED);
}

TEST_F(WinMsgCallbacks, DeferredCallbacksGetACopyLater) {
    ASSERT_EQ(InstallWinMsgCallback(panel, WM_USER, Record, VAL_MSG_CALL_DEFERRED, nullptr, &posting), 0);
    g_keep = 1;  // ignored for deferred callbacks
    EXPECT_TRUE(PostMessageA(window, WM_USER, 3, 4));
    SendMessageA(window, WM_USER, 8, 9);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_EQ(g_panelSaw, std::vector<UINT>{WM_USER});  // the sent one went on at once
    Pump();
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].wParam, 8u);  // sent first, then the posted one's copy
    EXPECT_EQ(g_calls[1].wParam, 3u);
    EXPECT_EQ(g_calls[1].lParam, 4u);

    // A copy still queued when the panel goes does nothing.
    g_calls.clear();
    SendMessageA(window, WM_USER, 1, 1);
    DiscardPanel(panel);
    ProcessSystemEvents();
    EXPECT_TRUE(g_calls.empty());
}

// A copy runs only if the callback it was made for is still installed and enabled when the copy's
// turn comes: not a callback installed since with the same function and other data, not one
// disabled meanwhile.
TEST_F(WinMsgCallbacks, ADeferredCopyRunsOnlyForTheCallbackItWasMadeFor) {
    static int first, second;
    struct {
        const char *what;
        void (*meanwhile)(int panel);
        std::vector<void *> expectedData;
    } cases[] = {
        {"nothing changed", [](int) {}, {&first}},
        {"removed, installed again with other data",
         [](int p) {
             int posting;
             RemoveWinMsgCallback(p, WM_USER);
             InstallWinMsgCallback(p, WM_USER, Record, VAL_MSG_CALL_DEFERRED, &second, &posting);
         },
         {}},
        {"disabled", [](int p) { SetMsgCallbackAttribute(p, WM_USER, ATTR_MSG_CALLBACK_ENABLED, 0); }, {}},
        {"disabled and enabled again",
         [](int p) {
             SetMsgCallbackAttribute(p, WM_USER, ATTR_MSG_CALLBACK_ENABLED, 0);
             SetMsgCallbackAttribute(p, WM_USER, ATTR_MSG_CALLBACK_ENABLED, 1);
         },
         {&first}},
    };
    for (const auto &k : cases) {
        ASSERT_EQ(InstallWinMsgCallback(panel, WM_USER, Record, VAL_MSG_CALL_DEFERRED, &first, &posting), 0);
        g_calls.clear();
        SendMessageA(window, WM_USER, 1, 2);
        k.meanwhile(panel);
        Pump();
        std::vector<void *> data;
        for (const Call &c : g_calls) data.push_back(c.data);
        EXPECT_EQ(data, k.expectedData) << k.what;
        EXPECT_EQ(RemoveWinMsgCallback(panel, WM_USER), 0);
    }
}

// Two subclassed windows, the first one's synchronous callback sending to the second: each
// message goes on to its own window's procedure, also when it takes the route remembered from
// the previous message.
std::vector<std::pair<HWND, UINT>> g_secondSaw;
WNDPROC g_secondOwn = nullptr;
LRESULT BehindSecond(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_secondSaw.emplace_back(window, message);
    return CallWindowProcA(g_secondOwn, window, message, wParam, lParam);
}
HWND g_second = nullptr;
int SendToSecond(int, int message, unsigned int *wParam, unsigned int *, void *) {
    if (*wParam != 0) SendMessageA(g_second, static_cast<UINT>(message), 0, 0);
    return 0;
}

TEST_F(WinMsgCallbacks, ANestedSendLeavesEachMessageOnItsOwnWindow) {
    int second = NewPanel(0, "Second", 0, 0, 100, 100);
    g_second = Window(second);
    g_secondSaw.clear();
    g_secondOwn = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(g_second, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BehindSecond)));
    ASSERT_EQ(InstallWinMsgCallback(panel, WM_APP, SendToSecond, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting), 0);
    ASSERT_EQ(InstallWinMsgCallback(second, WM_APP, Record, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting), 0);
    for (WPARAM send : {0, 1, 1}) SendMessageA(window, WM_APP, send, 0);  // the first one is remembered
    EXPECT_EQ(g_panelSaw, (std::vector<UINT>{WM_APP, WM_APP, WM_APP}));
    std::vector<std::pair<HWND, UINT>> expected(2, {g_second, WM_APP});
    EXPECT_EQ(g_secondSaw, expected);
}

TEST_F(WinMsgCallbacks, ANewWindowIsSubclassedAndEveryCallbackTold) {
    ASSERT_EQ(InstallWinMsgCallback(panel, WM_USER, Record, VAL_MSG_CALL_DEFERRED, nullptr, &posting), 0);
    ASSERT_EQ(InstallWinMsgCallback(panel, WM_APP, Record, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting), 0);
    ASSERT_EQ(SetMsgCallbackAttribute(panel, WM_APP, ATTR_MSG_CALLBACK_ENABLED, 0), 0);
    ASSERT_EQ(rte::testing::RecreateWindow(panel), 0);
    HWND fresh = Window(panel);
    ASSERT_NE(fresh, window);
    ASSERT_EQ(g_calls.size(), 2u);  // the disabled one too
    for (const Call &c : g_calls) {
        EXPECT_EQ(c.message, MSG_PANEL_WINDOW_REPLACED);
        EXPECT_EQ(c.wParam, static_cast<unsigned int>(reinterpret_cast<uintptr_t>(fresh)));
        EXPECT_EQ(c.data, nullptr);
    }
    g_calls.clear();
    PostMessageA(fresh, WM_USER, 11, 0);
    Pump();
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].wParam, 11u);

    // Re-created, then discarded before the re-attachment ran: nothing happens.
    g_calls.clear();
    ASSERT_EQ(rte::internal::RecreatePanelWindow(panel), 0);
    DiscardPanel(panel);
    ProcessSystemEvents();
    EXPECT_TRUE(g_calls.empty());
}

int DiscardOwnPanel(int panel, int, unsigned int *, unsigned int *, void *) {
    DiscardPanel(panel);
    return 0;
}

TEST_F(WinMsgCallbacks, APanelDiscardedInItsCallbackOrRemadeWhileAMessageWaits) {
    // A deferred copy queued before the window is re-created still arrives.
    ASSERT_EQ(InstallWinMsgCallback(panel, WM_USER, Record, VAL_MSG_CALL_DEFERRED, nullptr, &posting), 0);
    SendMessageA(window, WM_USER, 21, 0);
    ASSERT_EQ(rte::internal::RecreatePanelWindow(panel), 0);
    Pump();
    ASSERT_FALSE(g_calls.empty());
    EXPECT_EQ(g_calls[0].message, WM_USER);
    EXPECT_EQ(g_calls[0].wParam, 21u);
    // The operator's click reaches a callback that discards the panel: nothing follows.
    ASSERT_EQ(InstallWinMsgCallback(panel, WM_LBUTTONDOWN, DiscardOwnPanel, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting), 0);
    int button = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Go", 10, 10);
    DisplayPanel(panel);
    EXPECT_EQ(rte::testing::Press(panel, button), 0);
    EXPECT_EQ(RemoveWinMsgCallback(panel, WM_USER), TOOLBOX_ERR_MSG_CALLBACK_NOT_INSTALLED);
    EXPECT_TRUE(rte::testing::AllPanels().empty());
}

TEST_F(WinMsgCallbacks, DiscardingThePanelTearsEverythingDown) {
    ASSERT_EQ(InstallWinMsgCallback(panel, WM_APP, Record, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting), 0);
    ASSERT_EQ(InstallWinMsgCallback(panel, WM_USER, Record, VAL_MSG_CALL_DEFERRED, nullptr, &posting), 0);
    EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList() != nullptr, true);
    DiscardPanel(panel);
    EXPECT_EQ(RemoveWinMsgCallback(panel, WM_APP), TOOLBOX_ERR_MSG_CALLBACK_NOT_INSTALLED);
    EXPECT_EQ(GetTsvPanelsWithLinkedCallbacksList(), nullptr);
}

TEST_F(WinMsgCallbacks, ArgumentsAreCheckedInOrder) {
    EXPECT_EQ(InstallWinMsgCallback(panel, WM_APP, Record, VAL_MSG_CALL_SYNCHRONOUS, nullptr, nullptr), UIE_NULL_POINTER);
    EXPECT_EQ(InstallWinMsgCallback(panel, WM_APP, nullptr, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting), UIE_NULL_POINTER);
    EXPECT_EQ(InstallWinMsgCallback(panel, WM_APP, Record, 999, nullptr, &posting), TOOLBOX_ERR_MSG_CALLBACK_MODE);
    int old = SetBreakOnLibraryErrors(1);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(InstallWinMsgCallback(9999, WM_APP, Record, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting), UIE_BAD_PANEL);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // no break-on-library-errors report
    SetBreakOnLibraryErrors(old);
    int child = NewPanel(panel, "Child", 0, 0, 10, 10);
    EXPECT_EQ(InstallWinMsgCallback(child, WM_APP, Record, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting),
              TOOLBOX_ERR_PANEL_NOT_TOP_LEVEL);
    EXPECT_EQ(std::string(GetGeneralErrorString(TOOLBOX_ERR_PANEL_NOT_TOP_LEVEL)), "Panel not top-level.");
}

TEST_F(WinMsgCallbacks, AFailedInstallLeavesThePanelAsItWas) {
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        int rc = InstallWinMsgCallback(panel, WM_APP, Record, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting);
        if (injected && rc != 0) {
            EXPECT_EQ(rc, UIE_OUT_OF_MEMORY);
            EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(BehindLibrary));
            void *data = nullptr;
            EXPECT_EQ(GetChainedPanelCallbackData(panel, "WT_TYPE", &data), UIE_WRONG_ATTRIBUTE);
        } else {
            ASSERT_EQ(rc, 0);
            ASSERT_EQ(RemoveWinMsgCallback(panel, WM_APP), 0);
        }
    });
}

// A program whose own exit clean-up (registered before the library's) still processes events:
// the copies queued then run on memory that is still theirs, and each is freed once.
void ProcessEventsAtExit() {
    ProcessSystemEvents();
    std::fputs("events processed at exit\n", stderr);
}

TEST(WinMsgCallbacksAtExit, CopiesQueuedAtExitStayValidUntilTheyRun) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            RegisterExitCleanup(ProcessEventsAtExit);
            int panel = NewPanel(0, "Exit", 0, 0, 100, 100);
            int posting = 0;
            InstallWinMsgCallback(panel, WM_USER, Record, VAL_MSG_CALL_DEFERRED, nullptr, &posting);
            SendMessageA(Window(panel), WM_USER, 1, 2);
            CloseRTE();
            std::exit(g_calls.empty() ? 0 : 1);  // the panel went before the copy's turn
        },
        ::testing::ExitedWithCode(0), "events processed at exit");
}

}  // namespace
