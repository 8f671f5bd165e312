// Thread tests of window-message callbacks: messages posted and sent from other threads reach
// a panel's callbacks on the panel's own thread, in the order posted.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <thread>
#include <vector>

#include "rte/rte.h"
#include "rte/testing.h"
#include "toolbox/toolbox.h"
#include "win32/windows.h"

namespace {

std::atomic<unsigned> g_owner{0};
std::vector<unsigned int> g_deferred;  // on the panel's thread only
std::atomic<int> g_synchronous{0};

int Deferred(int, int, unsigned int *wParam, unsigned int *, void *) {
    EXPECT_EQ(CurrThreadId(), g_owner.load());
    g_deferred.push_back(*wParam);
    if (*wParam == 0xFFFFFFFFu) QuitUserInterface(0);
    return 0;
}

int Synchronous(int, int, unsigned int *wParam, unsigned int *, void *) {
    EXPECT_EQ(CurrThreadId(), g_owner.load());
    g_synchronous.fetch_add(static_cast<int>(*wParam));
    return 1;
}

TEST(WinMsgCallbacksAcrossThreads, PostsAndSendsRunOnThePanelsThread) {
    constexpr unsigned kPosts = 5000;
    std::atomic<int> posting{0};
    std::thread ui([&] {
        g_owner.store(CurrThreadId());
        int panel = NewPanel(0, "Owner", 0, 0, 20, 20);
        int handle = 0;
        ASSERT_EQ(InstallWinMsgCallback(panel, WM_USER, Deferred, VAL_MSG_CALL_DEFERRED, nullptr, &handle), 0);
        ASSERT_EQ(InstallWinMsgCallback(panel, WM_APP, Synchronous, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &handle), 0);
        posting.store(handle);
        RunUserInterface();
        DiscardPanel(panel);
    });
    while (posting.load() == 0) std::this_thread::yield();
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(posting.load()));
    std::thread other([&] {
        for (int i = 1; i <= 10; ++i) SendMessageA(window, WM_APP, static_cast<WPARAM>(i), 0);
    });
    for (unsigned i = 0; i < kPosts; ++i) ASSERT_TRUE(PostMessageA(window, WM_USER, i, 0));
    other.join();
    ASSERT_TRUE(PostMessageA(window, WM_USER, 0xFFFFFFFFu, 0));
    ui.join();
    EXPECT_EQ(g_synchronous.load(), 55);
    ASSERT_EQ(g_deferred.size(), kPosts + 1);
    for (unsigned i = 0; i < kPosts; ++i) ASSERT_EQ(g_deferred[i], i);
}

// A panel's window re-created from another thread (as a display does from the main thread): the
// library subclasses the new window and tells the callbacks on the panel's own thread.
std::atomic<unsigned> g_toldOn{0};
int NoteReplaced(int, int message, unsigned int *, unsigned int *, void *) {
    if (message == MSG_PANEL_WINDOW_REPLACED) g_toldOn = CurrThreadId();
    return 0;
}

TEST(WinMsgCallbacksAcrossThreads, AWindowReplacedFromAnotherThreadIsToldOnThePanelsThread) {
    std::atomic<int> panel{0};
    std::atomic<unsigned> owner{0};
    std::thread ui([&] {
        int p = NewPanel(0, "Owner", 0, 0, 20, 20);
        int handle = 0;
        ASSERT_EQ(InstallWinMsgCallback(p, WM_USER, NoteReplaced, VAL_MSG_CALL_DEFERRED, nullptr, &handle), 0);
        owner = CurrThreadId();
        panel = p;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (g_toldOn == 0 && std::chrono::steady_clock::now() < deadline) {
            ProcessSystemEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        DiscardPanel(p);
    });
    while (panel == 0) std::this_thread::yield();
    ASSERT_EQ(rte::testing::RecreateWindow(panel), 0);  // also processes this thread's events
    ui.join();
    EXPECT_EQ(g_toldOn.load(), owner.load());
}

// ---- Stress ----
//
// Two owner threads each keep a panel with a deferred and a synchronous callback; they install
// them again with other data, disable and enable them, and discard and remake the panel. Two
// other threads post and send to the panels and re-create their windows. Then the main thread
// closes the engine while the owners still run their loops on queued copies, with an exit
// clean-up of the program's own (registered before the library's) that processes events, posts
// and discards a panel. Every callback runs on its panel's thread with the data installed there
// at that moment, and every copy is freed once, by its own call.
constexpr int kMsgOwners = 2;
struct MessageStress {
    std::atomic<int> posting[kMsgOwners] = {};  // the panels' posting handles
    std::atomic<int> panel[kMsgOwners] = {};
    std::atomic<unsigned> owner[kMsgOwners] = {};
    void *installed[kMsgOwners] = {};           // the deferred callback's data; its owner's only
    std::atomic<int> strange{0}, calls{0};
    std::atomic<bool> stop{false};
    // The engine is closing: the owners only run their loops (on the copies queued to them), as
    // a program's threads may while it ends; they make and change no more panels or callbacks,
    // which the engine's end leaves to each thread before it.
    std::atomic<bool> closing{false};
};
MessageStress g_stress;
int g_dataA[kMsgOwners], g_dataB[kMsgOwners];

int OwnerIndex(int panel) {
    for (int o = 0; o < kMsgOwners; ++o)
        if (g_stress.panel[o] == panel) return o;
    return -1;
}

int StressCallback(int panel, int message, unsigned int *, unsigned int *, void *data) {
    ++g_stress.calls;
    int o = OwnerIndex(panel);
    if (o < 0 || CurrThreadId() != g_stress.owner[o]) ++g_stress.strange;
    else if (message == WM_USER && data != g_stress.installed[o]) ++g_stress.strange;
    return message == WM_APP ? 1 : 0;
}

void InstallStressCallbacks(int o, int panel, void *data) {
    int posting = 0;
    g_stress.installed[o] = data;
    InstallWinMsgCallback(panel, WM_USER, StressCallback, VAL_MSG_CALL_DEFERRED, data, &posting);
    InstallWinMsgCallback(panel, WM_APP, StressCallback, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &posting);
    g_stress.posting[o] = posting;
}

void OwnMessagePanel(int o) {
    g_stress.owner[o] = CurrThreadId();
    int panel = 0;
    for (int round = 0; !g_stress.stop; ++round) {
        if (g_stress.closing) {
            ProcessSystemEvents();
            continue;
        }
        if (round % 50 == 0) {
            if (panel > 0) DiscardPanel(panel);
            panel = NewPanel(0, "", 0, 0, 20, 20);
            g_stress.panel[o] = panel;
            InstallStressCallbacks(o, panel, &g_dataA[o]);
        } else if (round % 7 == 0) {
            RemoveWinMsgCallback(panel, WM_USER);
            RemoveWinMsgCallback(panel, WM_APP);
            InstallStressCallbacks(o, panel, round % 2 ? &g_dataA[o] : &g_dataB[o]);
        } else if (round % 5 == 0) {
            SetMsgCallbackAttribute(panel, WM_USER, ATTR_MSG_CALLBACK_ENABLED, round % 2);
        }
        ProcessSystemEvents();
    }
    g_stress.panel[o] = 0;
    DiscardPanel(panel);
}

void PostToPanels(int rounds) {
    for (int round = 0; round < rounds; ++round) {
        int o = round % kMsgOwners;
        HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(g_stress.posting[o].load()));
        if (round % 3 == 0) SendMessageA(window, round % 2 ? WM_APP : WM_USER, static_cast<WPARAM>(round), 0);
        else PostMessageA(window, round % 2 ? WM_APP : WM_USER, static_cast<WPARAM>(round), 0);
        if (round % 97 == 0 && g_stress.panel[o] > 0) rte::testing::RecreateWindow(g_stress.panel[o]);
    }
}

// The program's own exit clean-up, run after the library's: events, a post and a discard.
void ProgramCleanup() {
    int panel = NewPanel(0, "", 0, 0, 20, 20);
    int posting = 0;
    InstallWinMsgCallback(panel, WM_USER, [](int, int, unsigned int *, unsigned int *, void *) { return 0; },
                          VAL_MSG_CALL_DEFERRED, nullptr, &posting);
    PostMessageA(reinterpret_cast<HWND>(static_cast<uintptr_t>(posting)), WM_USER, 0, 0);
    ProcessSystemEvents();
    DiscardPanel(panel);
    ProcessSystemEvents();
}

TEST(WinMsgCallbacksStress, OwnersChangeTheirCallbacksWhileOthersPostSendAndTheEngineCloses) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetBreakOnLibraryErrors(0);  // posts to windows that have just gone fail quietly
            RegisterExitCleanup(ProgramCleanup);
            std::vector<std::thread> owners;
            std::vector<std::thread> posters;
            for (int o = 0; o < kMsgOwners; ++o) owners.emplace_back(OwnMessagePanel, o);
            for (int o = 0; o < kMsgOwners; ++o)
                while (g_stress.posting[o] == 0) std::this_thread::yield();
            for (int i = 0; i < 2; ++i) posters.emplace_back(PostToPanels, 3000);
            for (auto &t : posters) t.join();
            g_stress.closing = true;
            CloseRTE();
            g_stress.stop = true;
            for (auto &t : owners) t.join();
            std::fprintf(stderr, "calls %d, strange %d\n", g_stress.calls.load(), g_stress.strange.load());
            std::exit(g_stress.strange == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "strange 0");
}

}  // namespace
