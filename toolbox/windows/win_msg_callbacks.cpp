// Window-message callbacks: each top-level panel with callbacks has a record whose window is
// subclassed with MsgCallbackWindowProc; the record's entries say which messages go to which
// callback, at once or deferred to the panel thread's event loop. A callback chained on the
// panel ("WT_TYPE") removes the record when the panel is discarded.
//
// Records live by value in one process-wide list, found by panel or by window. They move when
// the list changes, so nothing keeps a record's address across a call that may change the list:
// the deferred copies and the re-attachment after WM_DESTROY carry the panel handle (never
// reused) and look the record up again when they run, doing nothing when it has gone. A copy
// runs only for the entry it was made from: the same function and data, still enabled. Both are
// posted to the panel's own thread, whichever thread ran the window procedure. The list is
// guarded by a mutex of its own, never held while a callback runs.
//
// Queued copies belong to their delayed calls, which free them when they run. Until then they
// are listed as pending, so that the copies of a thread that ended before running them (the
// engine drops what was queued to it) are found and freed; nothing else frees a copy, also not
// at process exit, when an exit clean-up or another thread may still process events.
//
// Porting: the window procedure is a pointer here; the record keeps the procedure it replaced
// as the 32-bit token GetWindowLongA gives (win32/winuser.h) and calls it through
// CallWindowProcA. The library's own procedure is installed with SetWindowLongPtrA.
#include "toolbox/windows/win_msg_callbacks.h"

#include "rte/alloc.h"
#include "rte/engine.h"
#include "rte/ui.h"
#include "toolbox/containers/list.h"
#include "toolbox/core/check_internal.h"
#include "toolbox/core/errors.h"
#include "toolbox/ui/callback_chain.h"
#include "toolbox/windows/deferred_calls_internal.h"
#include "win32/winuser.h"

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

struct MsgCallbackEntry {
    int message;
    int mode;
    int enabled;
    WinMsgCallbackPtr function;
    void *callbackData;
};

struct MsgCallbackWindow {
    int16_t hasCallbacks;      // 1 while callbacks holds at least one entry
    int panel;
    uint32_t window;           // the panel's window handle as last read
    ListHandle callbacks;      // MsgCallbackEntry items
    LONG previousWindowProc;   // token of the replaced procedure; 0 after a failed subclassing
    unsigned owner;            // the panel's thread, where deferred calls run
};

// A message copied for a deferred callback, listed as pending until its delayed call runs.
struct DeferredWinMsg {
    unsigned thread;  // where its delayed call was queued
    int panel;
    int message;
    unsigned int wParam;
    unsigned int lParam;
    WinMsgCallbackPtr function;
    void *callbackData;
    DeferredWinMsg *prev;
    DeferredWinMsg *next;
};

const char kChainType[] = "WT_TYPE";

std::recursive_mutex g_lock;
ListHandle msgCallbackWindows = nullptr;  // MsgCallbackWindow items; under g_lock
DeferredWinMsg *g_pending = nullptr;      // copies posted and not yet run; under g_lock
bool g_pendingCleanupRegistered = false;  // under g_lock

using Lock = std::lock_guard<std::recursive_mutex>;

// Every change of the records or their entries happens under a Change, which bumps the
// generation before it unlocks. The window procedure remembers, per thread, what it found for a
// window and a message, and uses it again while the generation is the one it was read with.
std::atomic<uint64_t> g_generation{1};
struct Change {
    Lock lock{g_lock};
    ~Change() { g_generation.fetch_add(1); }
};

struct Route {
    uint32_t window = 0;
    unsigned int message = 0;
    uint64_t generation = 0;
    int panel = 0;
    unsigned owner = 0;
    LONG previous = 0;
    bool found = false;
    MsgCallbackEntry entry{};
};
thread_local Route t_route;

LRESULT MsgCallbackWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int MsgCallbackPanelCallback(int panel, int event, void *callbackData, int eventData1, int eventData2);

HWND Hwnd(uint32_t window) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(window)); }

int ComparePanels(const void *key, const void *item) {
    int a = static_cast<const MsgCallbackWindow *>(key)->panel, b = static_cast<const MsgCallbackWindow *>(item)->panel;
    return (a > b) - (a < b);
}
int CompareWindows(const void *key, const void *item) {
    uint32_t a = static_cast<const MsgCallbackWindow *>(key)->window;
    uint32_t b = static_cast<const MsgCallbackWindow *>(item)->window;
    return (a > b) - (a < b);
}

// The position of the panel's (window's) record, 0 when none. Under g_lock.
int FindByPanel(int panel) {
    MsgCallbackWindow key{};
    key.panel = panel;
    return msgCallbackWindows ? ListFindItem(msgCallbackWindows, &key, LIST_FRONT, ComparePanels) : 0;
}
int FindByWindow(uint32_t window) {
    MsgCallbackWindow key{};
    key.window = window;
    return msgCallbackWindows ? ListFindItem(msgCallbackWindows, &key, LIST_FRONT, CompareWindows) : 0;
}
MsgCallbackWindow *RecordAt(int position) {
    return static_cast<MsgCallbackWindow *>(ListGetPtrToItem(msgCallbackWindows, position));
}
MsgCallbackWindow *RecordOfPanel(int panel) {
    int at = FindByPanel(panel);
    return at ? RecordAt(at) : nullptr;
}

// The entry for message, null when none. Under g_lock.
MsgCallbackEntry *EntryOf(MsgCallbackWindow *record, int message) {
    if (record == nullptr || !record->hasCallbacks) return nullptr;
    for (int i = 1; i <= ListNumItems(record->callbacks); ++i) {
        auto *entry = static_cast<MsgCallbackEntry *>(ListGetPtrToItem(record->callbacks, i));
        if (entry->message == message) return entry;
    }
    return nullptr;
}

// The panel's window handle, 0 when it cannot be read.
uint32_t ReadWindow(int panel) {
    void *window = nullptr;
    int old = SetBOLE(0);
    int rc = GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &window);
    SetBOLE(old);
    return rc < 0 ? 0 : static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

// Puts the library's procedure on the window; the procedure it replaces in *previous (0 when
// subclassing failed). A window that has the library's procedure already keeps *previous.
bool Subclass(uint32_t window, LONG *previous) {
    auto mine = reinterpret_cast<LONG_PTR>(MsgCallbackWindowProc);
    if (GetWindowLongPtrA(Hwnd(window), GWLP_WNDPROC) == mine && *previous != 0) return true;
    *previous = GetWindowLongA(Hwnd(window), GWL_WNDPROC);
    if (*previous == 0) return false;
    if (SetWindowLongPtrA(Hwnd(window), GWLP_WNDPROC, mine) == 0) {
        *previous = 0;
        return false;
    }
    return true;
}

void DisposeListIfEmpty() {
    if (msgCallbackWindows && ListNumItems(msgCallbackWindows) == 0) {
        ListDispose(msgCallbackWindows);
        msgCallbackWindows = nullptr;
    }
}

// Restores the window's procedure, removes the discard hook and the record. Under g_lock (the
// lock is recursive: unchaining runs no callback of ours but EVENT_DISCARD's own).
void TearDown(int panel) {
    int at = FindByPanel(panel);
    if (at == 0) return;
    MsgCallbackWindow record = *RecordAt(at);
    if (record.previousWindowProc != 0) SetWindowLongA(Hwnd(record.window), GWL_WNDPROC, record.previousWindowProc);
    int old = SetBOLE(0);
    UnchainPanelCallback(panel, kChainType);
    SetBOLE(old);
    at = FindByPanel(panel);
    if (at != 0) ListRemoveItem(msgCallbackWindows, nullptr, at);
    DisposeListIfEmpty();
}

// Makes the panel's record, subclassing its window. 0 or a negative code. Under g_lock.
int CreateRecord(int panel) {
    uint32_t window = ReadWindow(panel);
    if (window == 0) return UIE_BAD_PANEL;
    if (msgCallbackWindows == nullptr && (msgCallbackWindows = ListCreate(sizeof(MsgCallbackWindow))) == nullptr) {
        return UIE_OUT_OF_MEMORY;
    }
    MsgCallbackWindow record{};
    record.panel = panel;
    record.window = window;
    int owner = 0;
    int old = SetBOLE(0);
    GetPanelAttribute(panel, ATTR_OWNER_THREAD_ID, &owner);
    SetBOLE(old);
    record.owner = static_cast<unsigned>(owner);
    if (!ListInsertItem(msgCallbackWindows, &record, LIST_END)) {
        DisposeListIfEmpty();
        return UIE_OUT_OF_MEMORY;
    }
    TOOLBOX_CHECK(FindByPanel(panel) != 0, "The message-callback record was not found after its insertion.");
    // Without the discard hook the record would outlive its panel: a failed chain fails the
    // install.
    int status = ChainPanelCallback(panel, MsgCallbackPanelCallback, nullptr, kChainType);
    if (status < 0) {
        ListRemoveItem(msgCallbackWindows, nullptr, FindByPanel(panel));
        DisposeListIfEmpty();
        return status;
    }
    LONG previous = 0;
    bool subclassed = Subclass(window, &previous);
    RecordOfPanel(panel)->previousWindowProc = previous;
    if (!subclassed) {
        TearDown(panel);
        return TOOLBOX_ERR_SYSTEM;
    }
    return 0;
}

// Adds an entry to the record. 0, -5081 or -12. Under g_lock.
int AddEntry(MsgCallbackWindow *record, int message, WinMsgCallbackPtr function, int mode, void *callbackData) {
    if (!record->hasCallbacks) {
        record->callbacks = ListCreate(sizeof(MsgCallbackEntry));
        if (record->callbacks == nullptr) return UIE_OUT_OF_MEMORY;
    } else if (EntryOf(record, message) != nullptr) {
        return TOOLBOX_ERR_MSG_CALLBACK_INSTALLED;
    }
    MsgCallbackEntry entry{message, mode, 1, function, callbackData};
    if (!ListInsertItem(record->callbacks, &entry, LIST_END)) {
        if (ListNumItems(record->callbacks) == 0) {
            ListDispose(record->callbacks);
            record->callbacks = nullptr;
        }
        return UIE_OUT_OF_MEMORY;
    }
    record->hasCallbacks = 1;
    return 0;
}

// ---- What runs on the panel's thread ----

void RunDeferredWinMsgCallback(void *data);

// Takes the copy off the pending list. Under g_lock.
void UnlinkPending(DeferredWinMsg *copy) {
    if (copy->prev != nullptr) copy->prev->next = copy->next;
    else g_pending = copy->next;
    if (copy->next != nullptr) copy->next->prev = copy->prev;
}

// Frees the pending copies of threads that have ended: their delayed calls were dropped. Runs at
// process exit; the copies of live threads stay theirs, to run (and be freed) whenever those
// threads process events, also from a later exit clean-up.
void FreeOrphanedCopies() {
    std::vector<unsigned> threads;
    {
        Lock hold(g_lock);
        for (DeferredWinMsg *copy = g_pending; copy != nullptr; copy = copy->next) threads.push_back(copy->thread);
    }
    for (unsigned thread : threads) {
        if (!ThreadHasEnded(thread)) continue;
        Lock hold(g_lock);
        for (DeferredWinMsg *copy = g_pending, *next; copy != nullptr; copy = next) {
            next = copy->next;
            if (copy->thread != thread) continue;
            UnlinkPending(copy);
            std::free(copy);
        }
    }
}

// Posts the copy's delayed call to its panel's thread; on failure the copy is freed.
void PostCopy(DeferredWinMsg *copy) {
    {
        Lock hold(g_lock);
        if (!g_pendingCleanupRegistered) g_pendingCleanupRegistered = RegisterExitCleanup(FreeOrphanedCopies) >= 0;
        copy->prev = nullptr;
        copy->next = g_pending;
        if (g_pending != nullptr) g_pending->prev = copy;
        g_pending = copy;
    }
    if (PostDeferredCallToThread(RunDeferredWinMsgCallback, copy, copy->thread) < 0) {
        Lock hold(g_lock);
        UnlinkPending(copy);
        std::free(copy);
    }
}

void RunDeferredWinMsgCallback(void *data) {
    auto *copy = static_cast<DeferredWinMsg *>(data);
    bool live;
    {
        // A panel discarded, or a callback removed, since the message was posted: nothing runs.
        Lock hold(g_lock);
        UnlinkPending(copy);
        MsgCallbackEntry *entry = EntryOf(RecordOfPanel(copy->panel), copy->message);
        live = entry != nullptr && entry->function == copy->function && entry->callbackData == copy->callbackData &&
               entry->enabled;
    }
    if (live) copy->function(copy->panel, copy->message, &copy->wParam, &copy->lParam, copy->callbackData);
    std::free(copy);
}

void ReattachMsgCallbackWindow(void *data) {
    int panel = static_cast<int>(reinterpret_cast<intptr_t>(data));
    std::vector<MsgCallbackEntry> entries;
    uint32_t window;
    {
        Change hold;
        MsgCallbackWindow *record = RecordOfPanel(panel);
        if (record == nullptr) return;  // torn down meanwhile (the panel was discarded)
        window = ReadWindow(panel);
        if (window == 0) return;
        record->window = window;
        LONG previous = record->previousWindowProc;
        Subclass(window, &previous);  // a failure is ignored: the callbacks wait for the next window
        RecordOfPanel(panel)->previousWindowProc = previous;
        record = RecordOfPanel(panel);
        if (record->hasCallbacks) {
            for (int i = 1; i <= ListNumItems(record->callbacks); ++i) {
                entries.push_back(*static_cast<MsgCallbackEntry *>(ListGetPtrToItem(record->callbacks, i)));
            }
        }
    }
    for (const MsgCallbackEntry &entry : entries) {
        unsigned int newWindow = window;
        entry.function(panel, MSG_PANEL_WINDOW_REPLACED, &newWindow, nullptr, nullptr);
    }
}

LRESULT MsgCallbackWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    int panel;
    unsigned owner;
    LONG previous;
    MsgCallbackEntry entry{};
    bool found;
    Route &route = t_route;
    if (message != WM_DESTROY && route.window == handle && route.message == message &&
        route.generation == g_generation.load(std::memory_order_acquire)) {
        // What this thread found last time for this window and message, still current. Copied:
        // a callback that sends a message to another window makes this thread's route that one.
        panel = route.panel;
        owner = route.owner;
        previous = route.previous;
        found = route.found;
        entry = route.entry;
    } else {
        Lock hold(g_lock);
        uint64_t generation = g_generation.load();
        int at = FindByWindow(handle);
        if (at == 0) return DefWindowProcA(window, message, wParam, lParam);  // no record: nothing to pass on to
        MsgCallbackWindow *record = RecordAt(at);
        panel = record->panel;
        owner = record->owner;
        previous = record->previousWindowProc;
        if (message == WM_DESTROY) {
            // The window goes: give it its procedure back, and subclass the new one later, on
            // the panel's thread (the window may be re-created from another).
            SetWindowLongA(window, GWL_WNDPROC, previous);
            int old = SetBOLE(0);
            PostDeferredCallToThread(ReattachMsgCallbackWindow, reinterpret_cast<void *>(static_cast<intptr_t>(panel)),
                                     owner);
            SetBOLE(old);
            found = false;
        } else {
            MsgCallbackEntry *e = EntryOf(record, static_cast<int>(message));
            found = e != nullptr && e->enabled;
            if (found) entry = *e;
            route = {handle, message, generation, panel, owner, previous, found, entry};
        }
    }
    if (found && entry.mode == VAL_MSG_CALL_SYNCHRONOUS) {
        auto w = static_cast<unsigned int>(wParam), l = static_cast<unsigned int>(lParam);
        int kept = entry.function(panel, static_cast<int>(message), &w, &l, entry.callbackData);
        // A parameter the callback changed goes on changed; one it left keeps all its bits.
        if (w != static_cast<unsigned int>(wParam)) wParam = w;
        if (l != static_cast<unsigned int>(lParam)) lParam = l;
        if (kept) return DefWindowProcA(window, message, wParam, lParam);
    } else if (found) {
        auto *copy = static_cast<DeferredWinMsg *>(RteMalloc(sizeof(DeferredWinMsg)));
        if (copy != nullptr) {
            *copy = {owner, panel, static_cast<int>(message), static_cast<unsigned int>(wParam),
                     static_cast<unsigned int>(lParam), entry.function, entry.callbackData, nullptr, nullptr};
            PostCopy(copy);
        }
    }
    auto procedure = reinterpret_cast<WNDPROC>(static_cast<uintptr_t>(static_cast<uint32_t>(previous)));
    return CallWindowProcA(procedure, window, message, wParam, lParam);
}

int MsgCallbackPanelCallback(int panel, int event, void *, int, int) {
    if (event != EVENT_DISCARD) return 0;
    Change hold;
    MsgCallbackWindow *record = RecordOfPanel(panel);
    if (record == nullptr) return 0;
    if (record->hasCallbacks) {
        ListDispose(record->callbacks);
        record->callbacks = nullptr;
        record->hasCallbacks = 0;
    }
    TearDown(panel);
    return 0;
}

bool ValidMode(int mode) { return mode == VAL_MSG_CALL_SYNCHRONOUS || mode == VAL_MSG_CALL_DEFERRED; }

}  // namespace

extern "C" int InstallWinMsgCallback(int panel, int message, WinMsgCallbackPtr function, int mode, void *callbackData,
                                     int *postingHandle) {
    if (postingHandle == nullptr || function == nullptr) return UIE_NULL_POINTER;
    if (!ValidMode(mode)) return TOOLBOX_ERR_MSG_CALLBACK_MODE;
    int parent = 0;
    int old = GetBreakOnLibraryErrors();
    SetBreakOnLibraryErrors(0);
    int rc = GetPanelAttribute(panel, ATTR_PANEL_PARENT, &parent);
    SetBreakOnLibraryErrors(old);
    if (rc < 0) return UIE_BAD_PANEL;
    if (parent != 0) return TOOLBOX_ERR_PANEL_NOT_TOP_LEVEL;
    return AddWinMsgCallback(panel, message, function, mode, callbackData, postingHandle);
}

extern "C" int AddWinMsgCallback(int panel, int message, WinMsgCallbackPtr function, int mode, void *callbackData,
                                 int *postingHandle) {
    TOOLBOX_CHECK(function != nullptr, "A message callback needs a function.");
    TOOLBOX_CHECK(panel > 0, "A message callback needs a panel.");
    TOOLBOX_CHECK(postingHandle != nullptr, "A message callback needs somewhere to put its posting handle.");
    Change hold;
    if (FindByPanel(panel) == 0) {
        int status = CreateRecord(panel);
        if (status < 0) return status;
    }
    MsgCallbackWindow *record = RecordOfPanel(panel);
    int status = AddEntry(record, message, function, mode, callbackData);
    if (status == 0) {
        *postingHandle = static_cast<int>(record->window);
        return 0;
    }
    if (!record->hasCallbacks) TearDown(panel);
    return status;
}

extern "C" int RemoveWinMsgCallback(int panel, int message) {
    Change hold;
    MsgCallbackWindow *record = RecordOfPanel(panel);
    if (record == nullptr || !record->hasCallbacks) return TOOLBOX_ERR_MSG_CALLBACK_NOT_INSTALLED;
    int before = ListNumItems(record->callbacks);
    for (int i = 1; i <= before; ++i) {
        if (static_cast<MsgCallbackEntry *>(ListGetPtrToItem(record->callbacks, i))->message == message) {
            ListRemoveItem(record->callbacks, nullptr, i);
            break;
        }
    }
    int after = ListNumItems(record->callbacks);
    if (after == before) return TOOLBOX_ERR_MSG_CALLBACK_NOT_INSTALLED;
    if (after == 0) {
        ListDispose(record->callbacks);
        record->callbacks = nullptr;
        record->hasCallbacks = 0;
        TearDown(panel);
    }
    return 0;
}

extern "C" int SetMsgCallbackAttribute(int panel, int message, int attribute, ...) {
    va_list args;
    va_start(args, attribute);
    int value = va_arg(args, int);
    va_end(args);
    Change hold;
    MsgCallbackEntry *entry = EntryOf(RecordOfPanel(panel), message);
    if (entry == nullptr) return TOOLBOX_ERR_MSG_CALLBACK_NOT_INSTALLED;
    switch (attribute) {
    case ATTR_MSG_CALLBACK_ENABLED: entry->enabled = value; return 0;
    case ATTR_MSG_CALL_MODE:
        if (!ValidMode(value)) return UIE_BAD_VALUE;
        entry->mode = value;
        return 0;
    default: return UIE_BAD_ATTRIBUTE;
    }
}

extern "C" int GetMsgCallbackAttribute(int panel, int message, int attribute, void *value) {
    if (value == nullptr) return UIE_NULL_POINTER;
    Lock hold(g_lock);
    MsgCallbackEntry *entry = EntryOf(RecordOfPanel(panel), message);
    if (entry == nullptr) return TOOLBOX_ERR_MSG_CALLBACK_NOT_INSTALLED;
    switch (attribute) {
    case ATTR_MSG_CALLBACK_ENABLED: *static_cast<int *>(value) = entry->enabled; return 0;
    case ATTR_MSG_CALL_MODE: *static_cast<int *>(value) = entry->mode; return 0;
    default: return UIE_BAD_ATTRIBUTE;
    }
}
