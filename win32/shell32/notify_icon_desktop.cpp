// The desktop's notification area: every icon is kept until removed and shown where the desktop
// can show it: as a StatusNotifierItem while org.kde.StatusNotifierWatcher is on the session bus,
// else in the X screen's legacy (XEmbed) tray while one runs, else nowhere until either comes.
//
// All of it runs on one thread of this module with a GLib main context of its own: the items
// answer their hosts there, the legacy tray's events arrive there, and the public calls hand
// their work to it and wait. The thread starts with the first icon and ends with the last, or
// at the process's exit clean-ups; an exit that starts on the thread itself (a fatal error's
// handler calling exit there) frees the icons on it and lets it go, as it cannot wait for itself.
#include "win32/engine_seam_internal.h"
#include "win32/shell32/desktop_icon_internal.h"
#include "win32/shell32/notify_icon_testing.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace win32::shell32 {
namespace {

using Key = std::pair<uintptr_t, UINT>;

// g_lock serialises starting, stopping and handing work over; the icons are touched on the
// desktop thread only.
std::mutex g_lock;
GMainContext *g_context = nullptr;
GMainLoop *g_loop = nullptr;
std::thread g_thread;
std::atomic<std::thread::id> g_threadId;  // read without g_lock at exit
std::map<Key, DesktopIcon *> g_icons;  // on the desktop thread only
bool g_cleanupRegistered = false;

Key KeyOf(HWND owner, UINT id) { return {reinterpret_cast<uintptr_t>(owner), id}; }

DesktopIcon *Find(HWND owner, UINT id) {
    auto it = g_icons.find(KeyOf(owner, id));
    return it == g_icons.end() ? nullptr : it->second;
}

// ---- work handed to the desktop thread ----

struct Job {
    std::function<void()> work;
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
};

// The job is handed over through an atomic, so that it and what it refers to are seen in order
// on the desktop thread (ThreadSanitizer does not see GLib's own hand-over). One job at a time:
// the callers hold g_lock.
std::atomic<Job *> g_job{nullptr};

gboolean RunJob(gpointer) {
    Job *job = g_job.exchange(nullptr, std::memory_order_acquire);
    job->work();
    std::lock_guard<std::mutex> hold(job->m);
    job->done = true;
    job->cv.notify_all();
    return G_SOURCE_REMOVE;
}

// Runs work on the desktop thread and waits for it (g_lock held, thread running).
void OnDesktop(std::function<void()> work) {
    Job job;
    job.work = std::move(work);
    g_job.store(&job, std::memory_order_release);
    g_main_context_invoke(g_context, RunJob, nullptr);
    std::unique_lock<std::mutex> lock(job.m);
    job.cv.wait(lock, [&] { return job.done; });
}

bool SameMenu(const IconMenu &a, const IconMenu &b) {
    if (a.asksForMenus != b.asksForMenus || a.lines.size() != b.lines.size()) return false;
    for (size_t i = 0; i < a.lines.size(); ++i) {
        const IconMenuLine &x = a.lines[i], &y = b.lines[i];
        if (x.label != y.label || x.command != y.command || x.separator != y.separator || x.checked != y.checked ||
            x.dimmed != y.dimmed || x.isDefault != y.isDefault) {
            return false;
        }
    }
    return true;
}

void FreeIcon(DesktopIcon *icon) {
    if (icon->embed != nullptr) TrayEmbedFree(icon->embed);
    if (icon->item != nullptr) StatusItemFree(icon->item);
    delete icon;
}

// Every icon and the legacy tray's screen go (desktop thread).
void FreeAllIcons() {
    for (auto &entry : g_icons) FreeIcon(entry.second);
    g_icons.clear();
    TrayEmbedCloseScreen();
}

// ---- the thread ----

void ThreadMain() {
    g_main_context_push_thread_default(g_context);
    g_main_loop_run(g_loop);
    // Let the closing connections finish their last work.
    while (g_main_context_iteration(g_context, FALSE)) {
    }
    g_main_context_pop_thread_default(g_context);
}

void StopLocked();

// The thread's loop and context go (g_lock held, thread not running).
void FreeThreadState() {
    g_main_loop_unref(g_loop);
    g_main_context_unref(g_context);
    g_loop = nullptr;
    g_context = nullptr;
}

void StopAtExit() {
    // An exit begun on the desktop thread: the icons are its own to free, but the lock may be
    // held by a caller waiting for this very thread, and a thread cannot join itself: it is
    // let go, and the process ends around it.
    if (std::this_thread::get_id() == g_threadId.load()) {
        FreeAllIcons();
        g_thread.detach();
        return;
    }
    std::lock_guard<std::mutex> hold(g_lock);
    StopLocked();
}

// Starts the thread unless it runs (g_lock held). False when it cannot.
bool StartLocked() {
    if (g_context != nullptr) return true;
    g_context = g_main_context_new();
    g_loop = g_main_loop_new(g_context, FALSE);
    try {
        g_thread = std::thread(ThreadMain);
    } catch (...) {
        FreeThreadState();
        return false;
    }
    g_threadId.store(g_thread.get_id());
    if (!g_cleanupRegistered) {
        g_cleanupRegistered = true;
        RegisterExitCleanup(StopAtExit);
    }
    return true;
}

// Removes every icon and ends the thread (g_lock held; never on the desktop thread).
void StopLocked() {
    if (g_context == nullptr) return;
    OnDesktop([] {
        FreeAllIcons();
        g_main_loop_quit(g_loop);
    });
    g_thread.join();
    g_threadId.store(std::thread::id());
    FreeThreadState();
}

}  // namespace

GMainContext *DesktopContext() { return g_context; }

void PlaceIcon(DesktopIcon *icon) {
    if (icon->item != nullptr && StatusItemShown(icon->item)) {
        if (icon->embed != nullptr) TrayEmbedFree(icon->embed);
        icon->embed = nullptr;
        return;
    }
    if (icon->embed != nullptr && !TrayEmbedDocked(icon->embed)) {
        TrayEmbedFree(icon->embed);
        icon->embed = nullptr;
    }
    if (icon->embed == nullptr) icon->embed = TrayEmbedNew(icon);
}

void PlaceAllIcons() {
    for (auto &entry : g_icons) PlaceIcon(entry.second);
}

bool DesktopAddIcon(HWND owner, UINT id, const IconLook &look, const IconMenu &menu) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (!StartLocked()) return false;
    bool added = false;
    OnDesktop([&] {
        if (Find(owner, id) != nullptr) return;
        auto *icon = new DesktopIcon;
        icon->owner = owner;
        icon->id = id;
        icon->look = look;
        icon->menu = menu;
        g_icons[KeyOf(owner, id)] = icon;
        icon->item = StatusItemNew(icon);
        PlaceIcon(icon);
        added = true;
    });
    return added;
}

void DesktopChangeIcon(HWND owner, UINT id, const IconLook &look) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_context == nullptr) return;
    OnDesktop([&] {
        DesktopIcon *icon = Find(owner, id);
        if (icon == nullptr) return;
        IconLook old = std::move(icon->look);
        icon->look = look;
        if (icon->item != nullptr) StatusItemLookChanged(icon->item, old);
        if (icon->embed != nullptr) TrayEmbedLookChanged(icon->embed);
    });
}

void DesktopChangeMenu(HWND owner, UINT id, const IconMenu &menu) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_context == nullptr) return;
    OnDesktop([&] {
        DesktopIcon *icon = Find(owner, id);
        if (icon == nullptr) return;
        bool changed = !SameMenu(icon->menu, menu);
        icon->menu = menu;
        if (icon->item != nullptr) StatusItemMenuChanged(icon->item, changed);
    });
}

void DesktopRemoveIcon(HWND owner, UINT id) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_context == nullptr) return;
    bool empty = false;
    OnDesktop([&] {
        auto it = g_icons.find(KeyOf(owner, id));
        if (it != g_icons.end()) {
            FreeIcon(it->second);
            g_icons.erase(it);
        }
        empty = g_icons.empty();
    });
    if (empty) StopLocked();
}

namespace testing {
bool RunOnDesktopThread(void (*function)()) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_context == nullptr) return false;
    g_main_context_invoke(g_context, [](gpointer f) -> gboolean {
        reinterpret_cast<void (*)()>(f)();
        return G_SOURCE_REMOVE;
    }, reinterpret_cast<gpointer>(function));
    return true;
}
}  // namespace testing

}  // namespace win32::shell32
