// user32's messages: SendMessageA (at once on the window's thread, else handed to that thread's
// event loop with a wait), PostMessageA (queued to the window's thread) and
// RegisterWindowMessageA.
//
// Posted messages wait in one queue per thread here; the thread's event loop is handed one
// deferred call to empty the queue whenever it goes from empty to not empty, so a stream of
// posts costs one engine call per batch, not per message. Messages of a window that has gone
// by the time they would run are dropped. A queue is empty exactly while no call is scheduled
// for it: the call is handed over under the queue's lock, so no other post relies on a call
// that then fails to be made.
#include "win32/engine_seam_internal.h"
#include "win32/user32/windows_internal.h"

#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>

namespace win32::user32 {
namespace {

// ---- Posted messages ----

struct Posted {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct ThreadQueue {
    std::deque<Posted> messages;
    bool scheduled = false;  // a deferred call to empty the queue is on its way
};

std::mutex g_postLock;
std::unordered_map<unsigned, ThreadQueue> g_posted;  // by thread id; under g_postLock

void DeliverPosted(void *data) {
    auto thread = static_cast<unsigned>(reinterpret_cast<uintptr_t>(data));
    std::deque<Posted> batch;
    {
        std::lock_guard<std::mutex> hold(g_postLock);
        auto it = g_posted.find(thread);
        if (it == g_posted.end()) return;
        batch.swap(it->second.messages);
        it->second.scheduled = false;
    }
    for (const Posted &m : batch) Dispatch(m.window, m.message, m.wParam, m.lParam);
}

// ---- Sent messages from other threads ----

struct SentCall {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
};

std::mutex g_sendLock;
std::condition_variable g_sendDone;
std::map<uintptr_t, SentCall *> g_sent;  // waiting calls by number; under g_sendLock
uintptr_t g_nextSent = 1;

// Runs on the window's thread. The call is found by its number: a waiter that gave up (its
// window's thread ended) has taken it out, and nothing is left to do.
void RunSent(void *data) {
    auto number = reinterpret_cast<uintptr_t>(data);
    SentCall copy{};
    {
        std::lock_guard<std::mutex> hold(g_sendLock);
        auto it = g_sent.find(number);
        if (it == g_sent.end()) return;
        copy = *it->second;
    }
    LRESULT result = Dispatch(copy.window, copy.message, copy.wParam, copy.lParam);
    std::lock_guard<std::mutex> hold(g_sendLock);
    auto it = g_sent.find(number);
    if (it == g_sent.end()) return;
    it->second->result = result;
    it->second->done = true;
    g_sendDone.notify_all();
}

void NoOperation(void *) {}

bool ThreadEnded(unsigned thread) {
    return PostDeferredCallToThread(NoOperation, nullptr, thread) == UIE_NO_SUCH_THREAD;
}

// ---- Registered messages ----

std::mutex g_namesLock;
std::map<std::string, UINT> g_names;  // lower-case name -> number; under g_namesLock

}  // namespace
}  // namespace win32::user32

using namespace win32::user32;

extern "C" LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure = nullptr;
    unsigned thread = 0;
    if (!RouteOf(window, &procedure, &thread)) thread = ThreadOf(window);
    if (thread == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (thread == CurrThreadId()) {
        return procedure != nullptr ? procedure(window, message, wParam, lParam) : Dispatch(window, message, wParam, lParam);
    }

    SentCall call{window, message, wParam, lParam};
    uintptr_t number;
    try {
        std::lock_guard<std::mutex> hold(g_sendLock);
        number = g_nextSent++;
        g_sent.emplace(number, &call);
    } catch (const std::bad_alloc &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    auto forget = [&] {
        std::lock_guard<std::mutex> hold(g_sendLock);
        g_sent.erase(number);
    };
    if (PostDeferredCallToThread(RunSent, reinterpret_cast<void *>(number), thread) < 0) {
        forget();
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // Wait for the window's thread; every 50 ms make sure it still runs, since the engine drops
    // the calls queued to a thread that ends.
    std::unique_lock<std::mutex> lock(g_sendLock);
    while (!call.done) {
        if (g_sendDone.wait_for(lock, std::chrono::milliseconds(50)) == std::cv_status::timeout && !call.done) {
            lock.unlock();
            bool ended = ThreadEnded(thread);
            lock.lock();
            if (ended && !call.done) {
                g_sent.erase(number);
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
        }
    }
    g_sent.erase(number);
    return call.result;
}

extern "C" BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure = nullptr;
    unsigned thread = 0;
    if (!RouteOf(window, &procedure, &thread)) thread = ThreadOf(window);
    if (thread == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    int rc;
    try {
        std::lock_guard<std::mutex> hold(g_postLock);
        ThreadQueue &queue = g_posted[thread];
        queue.messages.push_back({window, message, wParam, lParam});
        if (queue.scheduled) return TRUE;
        rc = PostDeferredCallToThread(DeliverPosted, reinterpret_cast<void *>(static_cast<uintptr_t>(thread)), thread);
        if (rc >= 0) {
            queue.scheduled = true;
            return TRUE;
        }
        // The thread runs nothing more: its queue goes. Out of memory in the engine: the queue
        // was empty, so this message alone goes back out.
        if (rc == UIE_NO_SUCH_THREAD) g_posted.erase(thread);
        else queue.messages.pop_back();
    } catch (const std::bad_alloc &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    SetLastError(rc == UIE_NO_SUCH_THREAD ? ERROR_INVALID_WINDOW_HANDLE : ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
}

extern "C" UINT RegisterWindowMessageA(LPCSTR name) {
    if (name == nullptr || name[0] == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        std::string key;
        for (const char *p = name; *p != '\0'; ++p) key += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
        std::lock_guard<std::mutex> hold(g_namesLock);
        auto it = g_names.find(key);
        if (it != g_names.end()) return it->second;
        if (g_names.size() >= 0x4000) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        UINT number = 0xC000 + static_cast<UINT>(g_names.size());
        g_names.emplace(key, number);
        return number;
    } catch (const std::bad_alloc &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
