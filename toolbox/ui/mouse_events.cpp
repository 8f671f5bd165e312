// Extended mouse events: a delayed call per control that re-posts itself, reads the pointer and
// delivers moves and button releases through the control's callback chain.
//
// A record is made by EnableExtendedMouseEvents and is the data of the control's "MouseEvents"
// link, which owns it: it is freed when the events are disabled or the control is discarded.
// The polls do not carry the record itself but its number, looked up in the table of live
// records; a poll whose record has gone ends there. So a record is freed the moment its control
// goes, also when no poll will ever run again (the thread ended, or its pending delayed calls
// were dropped at process exit), and a late poll never reaches freed memory.
// Every record and the table are read and written under MOUSE_EVENTS_LOCK (enabling and
// disabling may come from any thread; polls run on the enabling thread); no callback is called
// while it is held. Lock order: MOUSE_EVENTS_LOCK before the chain lock.
#include "toolbox/ui/mouse_events.h"

#include "rte/alloc.h"
#include "rte/engine.h"
#include "rte/graphics.h"
#include "rte/ui.h"
#include "toolbox/core/errors.h"
#include "toolbox/core/library_locks_internal.h"
#include "toolbox/ui/callback_chain.h"
#include "toolbox/ui/panel_thread_internal.h"
#include "toolbox/windows/deferred_calls.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <unordered_map>

namespace {

const uint32_t MOUSE_EVENTS_SIGNATURE = 0x4D455654;  // "MEVT", stored at creation, read by nothing
const char kMouseEventsType[] = "MouseEvents";

struct MouseEventsInfo {
    uint32_t signature;
    int panel;
    int control;
    int rightButtonDown;  // 1 while the right button is known to be down
    int leftButtonDown;
    int lastX;            // pointer at the previous poll, panel coordinates
    int lastY;
    double pollInterval;
    int enabled;          // 1 while polls deliver events
    int polling;          // 1 while a poll is scheduled (0 once one could not be re-posted)
    uintptr_t number;     // the record's number in the table, what the polls carry
};

struct Lock {
    int held = GetToolboxLock(MOUSE_EVENTS_LOCK);
    Lock() = default;
    ~Lock() {
        if (held) held = ReleaseToolboxLock(MOUSE_EVENTS_LOCK);
    }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;
};

// The live records by number (under the lock). Never destroyed: polls may run at process exit.
std::unordered_map<uintptr_t, MouseEventsInfo *> &Records() {
    static auto *records = new std::unordered_map<uintptr_t, MouseEventsInfo *>;
    return *records;
}
uintptr_t g_lastNumber = 0;  // numbers are never reused

MouseEventsInfo *FindRecord(uintptr_t number) {
    auto it = Records().find(number);
    return it == Records().end() ? nullptr : it->second;
}

// Takes a record out of the table (under the lock); the caller frees it.
void Forget(MouseEventsInfo *info) { Records().erase(info->number); }

void MousePollDelayedCall(void *data);

bool SchedulePoll(MouseEventsInfo *info, double delay) {
    info->polling = PostDelayedCall(MousePollDelayedCall, reinterpret_cast<void *>(info->number), delay) ? 1 : 0;
    return info->polling != 0;
}

// Chained on the control: notes presses so that their releases are reported even when they
// fall between two polls, and frees the record when the control goes. Never swallows an event.
// Only presses on the panel's own thread are noted, where the operator's arrive: a click that a
// program calls from another thread is not the pointer's, and that thread could be reaching the
// record while the panel's thread discards the control and frees it.
int MouseEventsCtrlCallback(int panel, int, int event, void *callbackData, int, int) {
    auto *info = static_cast<MouseEventsInfo *>(callbackData);
    if (event != EVENT_DISCARD && !toolbox::internal::OnPanelThread(panel)) return 0;
    {
        Lock hold;
        if (event == EVENT_LEFT_CLICK || event == EVENT_LEFT_DOUBLE_CLICK) info->leftButtonDown = 1;
        else if (event == EVENT_RIGHT_CLICK || event == EVENT_RIGHT_DOUBLE_CLICK) info->rightButtonDown = 1;
        else if (event == EVENT_DISCARD) Forget(info);
        else return 0;
    }
    if (event == EVENT_DISCARD) std::free(info);
    return 0;
}

// Reads the pointer (panel coordinates) and both buttons quietly; false when it cannot be read
// (the panel has gone).
bool ReadPointer(int panel, int *x, int *y, int *left, int *right) {
    int oldBreak = SetBOLE(0);
    int status = GetRelativeMouseState(panel, 0, x, y, left, right, nullptr);
    SetBOLE(oldBreak);
    return status >= 0;
}

struct PendingEvents {
    int count = 0;
    int events[3] = {0, 0, 0};
    int x = 0, y = 0;
};

// Compares the pointer with the previous poll (under the lock) and notes the events due.
PendingEvents PollMouseState(MouseEventsInfo *info) {
    PendingEvents due;
    int x = 0, y = 0, left = 0, right = 0;
    if (!ReadPointer(info->panel, &x, &y, &left, &right)) return due;
    due.x = x;
    due.y = y;
    if (x != info->lastX || y != info->lastY) {
        info->lastX = x;
        info->lastY = y;
        due.events[due.count++] = EVENT_MOUSE_MOVE;
    }
    if (info->leftButtonDown && !left) {
        due.events[due.count++] = EVENT_LEFT_MOUSE_UP;
        info->leftButtonDown = 0;
    } else if (!info->leftButtonDown && left) {
        info->leftButtonDown = 1;
    }
    if (info->rightButtonDown && !right) {
        due.events[due.count++] = EVENT_RIGHT_MOUSE_UP;
        info->rightButtonDown = 0;
    } else if (!info->rightButtonDown && right) {
        info->rightButtonDown = 1;
    }
    return due;
}

// One poll, on the enabling thread's event loop. The next poll is posted once this one has
// delivered its events, so that a callback that disables the events or discards the control
// ends the polls at once. Each event is delivered only while the events are still enabled: a
// disable from another thread that gave up waiting for this one (a callback kept it busy) has
// returned, and nothing may follow it.
void MousePollDelayedCall(void *data) {
    auto number = reinterpret_cast<uintptr_t>(data);
    PendingEvents due;
    int panel, control;
    {
        Lock hold;
        MouseEventsInfo *info = FindRecord(number);
        if (!info) return;  // disabled, or the control has gone
        panel = info->panel;
        control = info->control;
        if (info->enabled) due = PollMouseState(info);
    }
    for (int i = 0; i < due.count; ++i) {
        {
            Lock hold;
            MouseEventsInfo *info = FindRecord(number);
            if (!info || !info->enabled) break;
        }
        CallCtrlCallback(panel, control, due.events[i], due.y, due.x, nullptr);
    }
    Lock hold;
    if (MouseEventsInfo *info = FindRecord(number)) SchedulePoll(info, info->pollInterval);
}

}  // namespace

extern "C" int EnableExtendedMouseEvents(int panel, int control, double pollInterval) {
    Lock hold;
    void *data = nullptr;
    auto *info = GetChainedCallbackData(panel, control, kMouseEventsType, &data) == 0
                     ? static_cast<MouseEventsInfo *>(data)
                     : nullptr;
    if (!info) {
        info = static_cast<MouseEventsInfo *>(RteCalloc(1, sizeof(MouseEventsInfo)));
        if (!info) return UIE_OUT_OF_MEMORY;
        info->signature = MOUSE_EVENTS_SIGNATURE;
        info->panel = panel;
        info->control = control;
        info->number = ++g_lastNumber;
        try {
            Records()[info->number] = info;
        } catch (...) {
            std::free(info);
            return UIE_OUT_OF_MEMORY;
        }
        int status = ChainCtrlCallback(panel, control, MouseEventsCtrlCallback, info, kMouseEventsType);
        if (status >= 0 && !SchedulePoll(info, pollInterval)) {
            // Without a first poll nothing would ever run: take everything back.
            UnchainCtrlCallback(panel, control, kMouseEventsType);
            status = UIE_OUT_OF_MEMORY;
        }
        if (status < 0) {
            Forget(info);
            std::free(info);
            return status;
        }
    } else if (!info->polling) {
        SchedulePoll(info, pollInterval);  // its polls had ended: they start again
    }
    info->enabled = 1;
    info->pollInterval = pollInterval;
    int x = 0, y = 0, left = 0, right = 0;
    if (ReadPointer(panel, &x, &y, &left, &right)) {
        info->lastX = x;
        info->lastY = y;
        info->leftButtonDown = left;
        info->rightButtonDown = right;
    } else {
        info->lastX = info->lastY = 0;
    }
    return 0;
}

namespace {

// Disables on the calling thread, which owns the panel.
int DisableHere(int panel, int control) {
    Lock hold;
    void *data = nullptr;
    int status = GetChainedCallbackData(panel, control, kMouseEventsType, &data);
    if (status < 0) return status;
    auto *info = static_cast<MouseEventsInfo *>(data);
    info->enabled = 0;
    Forget(info);
    UnchainCtrlCallback(panel, control, kMouseEventsType);
    std::free(info);
    return 0;
}

// A disable handed to the panel's thread: shared by the asking thread and the owner, each
// dropping its reference when done with it (the asker may stop waiting first).
struct OwnerDisable {
    int panel, control;
    std::atomic<int> status{0};
    std::atomic<bool> done{false};
    std::atomic<int> references{2};
};

void Release(OwnerDisable *call) {
    if (call->references.fetch_sub(1) == 1) delete call;
}

void DisableOnOwner(void *data) {
    auto *call = static_cast<OwnerDisable *>(data);
    call->status = DisableHere(call->panel, call->control);
    call->done = true;
    Release(call);
}

}  // namespace

// The record is freed, and its link taken out, on the panel's own thread: its chained callback
// runs there, on the record, without the lock between being handed the record and taking the
// lock. From another thread the events stop at once (no poll delivers any more), and the rest is
// handed to the owner, waited for at most 2000 ms. Only a thread that has ended runs nothing
// more, so only then is the rest done here; when the hand-off fails otherwise (no memory) the
// events stay off and the record stays with its link, until the control goes or the events are
// disabled on the panel's thread.
extern "C" int DisableExtendedMouseEvents(int panel, int control) {
    int owner = 0;
    int oldBreak = SetBOLE(0);
    int status = GetPanelAttribute(panel, ATTR_OWNER_THREAD_ID, &owner);
    SetBOLE(oldBreak);
    if (status < 0 || static_cast<unsigned>(owner) == CurrThreadId()) return DisableHere(panel, control);
    {
        Lock hold;
        void *data = nullptr;
        if ((status = GetChainedCallbackData(panel, control, kMouseEventsType, &data)) < 0) return status;
        static_cast<MouseEventsInfo *>(data)->enabled = 0;
    }
    OwnerDisable *call = new (std::nothrow) OwnerDisable;
    if (!call) return UIE_OUT_OF_MEMORY;
    call->panel = panel;
    call->control = control;
    status = PostDeferredCallToThreadAndWait(DisableOnOwner, call, static_cast<unsigned>(owner), 2000);
    if (status < 0) {
        delete call;
        return status == UIE_NO_SUCH_THREAD ? DisableHere(panel, control) : status;
    }
    status = call->done ? call->status.load() : 0;  // not yet run: it will be, events are off
    Release(call);
    return status;
}

extern "C" int ConvertMouseCoordinates(int panel, int control, int relativeToControl, int pinToControl, int *x,
                                       int *y) {
    Point point = MakePoint(x ? *x : 0, y ? *y : 0);
    int left = 0, top = 0, status;
    if ((status = GetCtrlAttribute(panel, control, ATTR_LEFT, &left)) < 0) return status;
    if ((status = GetCtrlAttribute(panel, control, ATTR_TOP, &top)) < 0) return status;
    if (relativeToControl) {
        point.x -= left;
        point.y -= top;
    }
    if (pinToControl) {
        int width = 0, height = 0;
        if ((status = GetCtrlAttribute(panel, control, ATTR_WIDTH, &width)) < 0) return status;
        if ((status = GetCtrlAttribute(panel, control, ATTR_HEIGHT, &height)) < 0) return status;
        Rect area = relativeToControl ? MakeRect(0, 0, height, width) : MakeRect(top, left, height, width);
        PointPinnedToRect(point, area, &point);
    }
    if (x) *x = point.x;
    if (y) *y = point.y;
    return 0;
}
