// Thread tests of user32's messages: SendMessageA from another thread runs on the window's
// thread and waits for it, PostMessageA from another thread arrives in order, and a window
// whose thread has ended answers nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "rte/rte.h"
#include "win32/windows.h"

namespace {

std::atomic<unsigned> g_ranOn{0};
std::vector<WPARAM> g_posted;  // touched on the window's thread only
WNDPROC g_previous = nullptr;

LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        g_ranOn.store(CurrThreadId());
        return static_cast<LRESULT>(wParam * 2);
    }
    if (message == WM_USER) {
        g_posted.push_back(wParam);
        return 0;
    }
    if (message == WM_CLOSE && wParam == 1) QuitUserInterface(0);
    return CallWindowProcA(g_previous, window, message, wParam, lParam);
}

TEST(MessagesAcrossThreads, SentWaitsForTheWindowsThreadAndPostedArriveInOrder) {
    std::atomic<HWND> window{nullptr};
    std::atomic<unsigned> owner{0};
    constexpr int kPosts = 20000;
    std::thread ui([&] {
        int panel = NewPanel(0, "Owner", 0, 0, 50, 50);
        HWND w = nullptr;
        GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &w);
        g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure)));
        owner.store(CurrThreadId());
        window.store(w);
        RunUserInterface();
        DiscardPanel(panel);
    });
    while (window.load() == nullptr) std::this_thread::yield();
    EXPECT_EQ(SendMessageA(window.load(), WM_APP, 21, 0), 42);
    EXPECT_EQ(g_ranOn.load(), owner.load());
    for (int i = 0; i < kPosts; ++i) ASSERT_TRUE(PostMessageA(window.load(), WM_USER, static_cast<WPARAM>(i), 0));
    // The close comes after every post: the thread has seen them all when its loop ends.
    ASSERT_TRUE(PostMessageA(window.load(), WM_CLOSE, 1, 0));
    ui.join();
    ASSERT_EQ(g_posted.size(), static_cast<size_t>(kPosts));
    for (int i = 0; i < kPosts; ++i) ASSERT_EQ(g_posted[static_cast<size_t>(i)], static_cast<WPARAM>(i));
}

TEST(MessagesAcrossThreads, AWindowWhoseThreadEndedAnswersNothing) {
    std::atomic<HWND> window{nullptr};
    std::atomic<bool> release{false};
    std::thread ui([&] {
        int panel = NewPanel(0, "Left behind", 0, 0, 50, 50);
        HWND w = nullptr;
        GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &w);
        window.store(w);
        while (!release.load()) std::this_thread::yield();
        // Ends without processing events and without discarding its panel.
    });
    while (window.load() == nullptr) std::this_thread::yield();
    release.store(true);
    ui.join();
    EXPECT_EQ(SendMessageA(window.load(), WM_APP, 1, 0), 0);
    EXPECT_FALSE(PostMessageA(window.load(), WM_USER, 0, 0));
    int panel = RtePanelOfWindow(window.load());
    if (panel > 0) DiscardPanel(panel);
}

}  // namespace
