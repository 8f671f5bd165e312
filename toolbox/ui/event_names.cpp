// toolbox/ui/event_names.cpp - the names of the engine's event codes (ctrl_helpers.h).
#include <stdio.h>

#include "toolbox/core/thread_locals_internal.h"
#include "toolbox/ui/ctrl_helpers.h"

namespace {

const char *const kNames[] = {
    "EVENT_COMMIT",       "EVENT_VAL_CHANGED",        "EVENT_LEFT_CLICK", "EVENT_LEFT_DOUBLE_CLICK",
    "EVENT_RIGHT_CLICK",  "EVENT_RIGHT_DOUBLE_CLICK", "EVENT_KEYPRESS",   "EVENT_GOT_FOCUS",
    "EVENT_LOST_FOCUS",   "EVENT_IDLE",               "EVENT_CLOSE",      "EVENT_PANEL_SIZE",
    "EVENT_PANEL_MOVE",   "EVENT_END_TASK",           "EVENT_TIMER_TICK", "EVENT_DISCARD",
};

}  // namespace

extern "C" const char *UILEventString(int event) {
    if (event >= 1 && event <= 16) return kNames[event - 1];
    // The thread's own buffer: other threads naming events at the same time keep theirs.
    ToolboxThreadLocals *block = GetThreadLocalBlock();
    snprintf(block->eventNameBuffer, sizeof block->eventNameBuffer, "Event %d", event);
    return block->eventNameBuffer;
}
