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

// A program whose worker thread runs its event loop while the main thread closes the engine:
// the worker's queued copies stay valid, whatever the exit clean-ups do meanwhile.
std::atomic<int> g_echoes{0};
int Echo(int, int message, unsigned int *, unsigned int *, void *posting) {
    ++g_echoes;
    SendMessageA(reinterpret_cast<HWND>(static_cast<uintptr_t>(*static_cast<int *>(posting))), static_cast<UINT>(message), 0, 0);
    return 0;
}

TEST(WinMsgCallbacksAtExit, AWorkersQueuedCopiesStayValidWhileTheEngineCloses) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atomic<bool> stop{false};
            static int posting = 0;
            std::thread worker([&] {
                int p = NewPanel(0, "Worker", 0, 0, 20, 20);
                InstallWinMsgCallback(p, WM_USER, Echo, VAL_MSG_CALL_DEFERRED, &posting, &posting);
                for (int i = 0; i < 8; ++i)  // eight copies in circulation, each sending the next
                    SendMessageA(reinterpret_cast<HWND>(static_cast<uintptr_t>(posting)), WM_USER, 0, 0);
                while (!stop) ProcessSystemEvents();
            });
            while (g_echoes < 100) std::this_thread::yield();
            CloseRTE();
            stop = true;
            worker.join();
            std::fputs("closed with the worker running\n", stderr);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "closed with the worker running");
}

}  // namespace
