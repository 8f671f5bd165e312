// The list of panels that carry chained callbacks, with the set-up of chaining and the
// process-exit clean-up that discards the panels still listed.
#include "toolbox/ui/linked_panels_internal.h"

#include "rte/engine.h"
#include "rte/ui.h"
#include "toolbox/containers/list.h"
#include "toolbox/core/errors.h"
#include "toolbox/core/one_time_init_internal.h"
#include "toolbox/core/thread_locals_internal.h"
#include "toolbox/core/thread_state.h"
#include "toolbox/ui/callback_chain_internal.h"
#include "toolbox/windows/deferred_calls.h"

#include <cstdint>

namespace {

LONG volatile g_chainingCreated = 0;
LONG volatile g_chainingClaimed = 0;

// Compares the panel fields only, so a bare panel handle is a search key.
int ComparePanelLinkCounts(const void *a, const void *b) {
    int32_t panelA = *static_cast<const int32_t *>(a);
    int32_t panelB = *static_cast<const int32_t *>(b);
    return panelA < panelB ? -1 : panelA > panelB ? 1 : 0;
}

// Holds the variable's lock for the life of the object; list is NULL when the variable is gone.
struct HeldList {
    ListHandle *list;
    HeldList() {
        InitializePerThreadState();
        list = GetPointerToTsvPanelsWithLinkedCallbacksList();
    }
    ~HeldList() {
        if (list) ReleasePointerToTsvPanelsWithLinkedCallbacksList();
    }
    HeldList(const HeldList &) = delete;
    HeldList &operator=(const HeldList &) = delete;
    PanelLinkCount *Find(int panel) {
        if (!list) return nullptr;
        int32_t key = panel;
        int position = ListFindItem(*list, &key, LIST_FRONT, ComparePanelLinkCounts);
        return position > 0 ? static_cast<PanelLinkCount *>(ListGetPtrToItem(*list, position)) : nullptr;
    }
    void Remove(PanelLinkCount *item) {
        auto *first = static_cast<PanelLinkCount *>(ListGetDataPtr(*list));
        ListRemoveItem(*list, nullptr, static_cast<int>(item - first) + 1);
        if (ListNumItems(*list) == 0) {
            ListDispose(*list);
            *list = nullptr;
        }
    }
};

void DisposePanelsWithLinkedCallbacksList() {
    HeldList held;
    if (!held.list) return;
    ListDispose(*held.list);
    *held.list = nullptr;
}

void DiscardOnOwner(void *panel) { DiscardPanel(static_cast<int>(reinterpret_cast<intptr_t>(panel))); }

// Discards the panel on its own thread, where its events are dispatched: handed to that thread's
// event loop and waited for at most 2000 ms (a thread that does not answer in time discards it
// when it next processes events, or the engine's close does). Only a thread that has ended
// leaves it to this one.
void DiscardOnItsThread(int panel) {
    int owner = 0;
    if (GetPanelAttribute(panel, ATTR_OWNER_THREAD_ID, &owner) < 0) return;  // gone already
    if (static_cast<unsigned>(owner) != CurrThreadId()) {
        int handed = PostDeferredCallToThreadAndWait(DiscardOnOwner, reinterpret_cast<void *>(static_cast<intptr_t>(panel)),
                                                     static_cast<unsigned>(owner), 2000);
        if (handed != UIE_NO_SUCH_THREAD) return;
    }
    DiscardPanel(panel);
}

// Process exit: every listed panel is discarded, each on its own thread. Each discard sends
// EVENT_DISCARD through the chains on the panel and its controls, which frees their links and
// takes the panel out of the list. The walk always takes the first item, so a parent whose
// discard also takes its listed children out of the list leaves nothing unvisited; an item whose
// panel no longer exists, or that a discard leaves behind, is removed by hand so that the walk
// ends.
void DiscardPanelsWithLinkedCallbacks() {
    if (RunTimeEngineDetached()) return;
    int oldBreak = SetBOLE(0);
    for (;;) {
        int panel = 0;
        if (!GetNthPanelWithLinkedCallbacks(1, &panel)) break;
        DiscardOnItsThread(panel);
        HeldList held;
        if (PanelLinkCount *left = held.Find(panel)) held.Remove(left);
    }
    FreeStrayLinks();
    SetBOLE(oldBreak);
    DisposePanelsWithLinkedCallbacksList();
}

}  // namespace

extern "C" void InitCallbackChaining(void) {
    if (!OneTimeInitBegin(&g_chainingCreated, &g_chainingClaimed)) return;
    InitializePerThreadState();
    // Registered after the per-thread state's own clean-up, so it runs before it.
    RegisterExitCleanup(DiscardPanelsWithLinkedCallbacks);
    OneTimeInitDone(&g_chainingCreated);
}

extern "C" int AddPanelWithLinkedCallbacks(int panel) {
    HeldList held;
    if (!held.list) return UIE_OUT_OF_MEMORY;
    if (PanelLinkCount *item = held.Find(panel)) {
        item->linkCount++;
        return 0;
    }
    bool made = false;
    if (!*held.list) {
        *held.list = ListCreate(sizeof(PanelLinkCount));
        if (!*held.list) return UIE_OUT_OF_MEMORY;
        made = true;
    }
    PanelLinkCount item = {panel, 1};
    if (ListInsertItem(*held.list, &item, LIST_END)) return 0;
    if (made) {
        ListDispose(*held.list);
        *held.list = nullptr;
    }
    return UIE_OUT_OF_MEMORY;
}

extern "C" void RemovePanelWithLinkedCallbacks(int panel) {
    HeldList held;
    PanelLinkCount *item = held.Find(panel);
    if (!item) return;
    if (--item->linkCount <= 0) held.Remove(item);
}

extern "C" int GetNthPanelWithLinkedCallbacks(int position, int *panel) {
    HeldList held;
    if (!held.list || position < 1 || position > ListNumItems(*held.list)) return 0;
    PanelLinkCount item;
    ListGetItem(*held.list, &item, position);
    *panel = item.panel;
    return 1;
}

extern "C" int PanelLinkCountOf(int panel) {
    HeldList held;
    PanelLinkCount *item = held.Find(panel);
    return item ? item->linkCount : 0;
}
