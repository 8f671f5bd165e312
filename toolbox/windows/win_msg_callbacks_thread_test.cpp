// Thread tests of window-message callbacks: messages posted and sent from other threads reach
// a panel's callbacks on the panel's own thread, in the order posted.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "rte/rte.h"
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

}  // namespace
