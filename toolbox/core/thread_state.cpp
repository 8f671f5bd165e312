// The library's per-thread state (ToolboxThreadLocals) and the process-wide list of panels with
// chained callbacks: made on first use, cleaned up per thread on the owning thread, and
// discarded by a process-exit clean-up.
#include "toolbox/core/thread_state.h"

#include "rte/alloc.h"
#include "rte/engine.h"
#include "rte/threads.h"
#include "rte/ui.h"
#include "toolbox/core/one_time_init_internal.h"
#include "toolbox/core/thread_locals_internal.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

const ToolboxThreadLocals kInitialImage = {
    TOOLBOX_INITIAL_RANDOM_SEED, 1, {0, 0, 0}, {0, 0, 0}, "", nullptr, 0, 0, 0};

// Written only by the creating thread before g_perThreadCreated is set.
int g_threadLocalVar = 0;
// Read through PanelsVar(): the accessors may be called without the per-thread state made.
int g_panelsWithLinkedCallbacks = 0;
LONG volatile g_perThreadCreated = 0;
LONG volatile g_perThreadClaimed = 0;

// A thread whose block the engine cannot make uses this one instead, for the rest of its life.
struct StandInBlock {
    bool inUse = false;
    ToolboxThreadLocals block = kInitialImage;
    ~StandInBlock() {
        if (inUse) CleanupThreadLocalBlock(&block);
    }
};
thread_local StandInBlock t_standIn;

// The clean-ups registered by the modules that keep objects in the blocks, and the call that
// hands a block's clean-up to its owner thread. Registrations take the lock; an entry is
// written before the count that publishes it, so readers need no lock and never see a
// half-written entry. Entries are never removed.
std::mutex g_registrationLock;
ThreadBlockCleanup g_cleanups[TOOLBOX_MAX_THREAD_BLOCK_CLEANUPS];
int g_cleanupCount = 0;
OwnerThreadCall g_ownerCall = nullptr;

int PanelsVar() { return __atomic_load_n(&g_panelsWithLinkedCallbacks, __ATOMIC_ACQUIRE); }

bool HasUserInterfaceObjects(const ToolboxThreadLocals *block) {
    return block->delayedCalls != nullptr || block->metaFontPanel > 0;
}

void CleanupAndFreeCopy(void *copy) {
    CleanupThreadLocalBlock(copy);
    std::free(copy);
}

// The engine calls this for each thread's block just before freeing it: on the owner when the
// thread ends or discards the variable, on another thread when the variable is discarded there.
void DiscardThreadLocalBlockCallback(void *block, int event, void *, unsigned owner) {
    auto *locals = static_cast<ToolboxThreadLocals *>(block);
    if (!locals || !HasUserInterfaceObjects(locals)) return;
    if (event != RTE_TLV_EVENT_ON_OTHER_THREAD) {
        CleanupThreadLocalBlock(locals);
        return;
    }
    // The objects belong to the owner thread, so their clean-up is handed to it. The engine
    // frees the block as soon as this returns, and the owner may run the clean-up later than
    // the 2000 ms waited for, so the owner gets a copy of the block that it frees itself.
    // Without memory for the copy the objects are left to the end of the process.
    auto *copy = static_cast<ToolboxThreadLocals *>(RteMalloc(sizeof(ToolboxThreadLocals)));
    if (!copy) return;
    std::memcpy(copy, locals, sizeof *copy);
    locals->delayedCalls = nullptr;
    locals->metaFontPanel = 0;
    OwnerThreadCall ownerCall = __atomic_load_n(&g_ownerCall, __ATOMIC_ACQUIRE);
    if (!ownerCall || ownerCall(CleanupAndFreeCopy, copy, owner, 2000) < 0) {
        // The call never ran and never will: the owner has ended (or the engine could not
        // queue it). Nobody else can discard the objects now, so do it here.
        CleanupAndFreeCopy(copy);
    }
}

void UninitializePerThreadState() {
    if (RunTimeEngineDetached()) return;
    if (g_threadLocalVar != 0) RteDiscardThreadLocalVar(g_threadLocalVar);
    UninitializeTsvPanelsWithLinkedCallbacksList();
}

}  // namespace

extern "C" void InitializePerThreadState(void) {
    if (!OneTimeInitBegin(&g_perThreadCreated, &g_perThreadClaimed)) return;
    // Statuses are not examined: a variable that cannot be made leaves its handle 0, the
    // engine then rejects every use, and GetThreadLocalBlock falls back to the stand-in block.
    RteNewThreadLocalVar(sizeof(ToolboxThreadLocals), &kInitialImage,
                         DiscardThreadLocalBlockCallback, nullptr, &g_threadLocalVar);
    InitializeTsvPanelsWithLinkedCallbacksList();
    SetTsvPanelsWithLinkedCallbacksList(nullptr);
    RegisterExitCleanup(UninitializePerThreadState);
    OneTimeInitDone(&g_perThreadCreated);
}

extern "C" ToolboxThreadLocals *GetThreadLocalBlock(void) {
    InitializePerThreadState();
    if (!t_standIn.inUse) {
        void *block = nullptr;
        if (RteGetThreadLocalVar(g_threadLocalVar, &block) == 0 && block)
            return static_cast<ToolboxThreadLocals *>(block);
        t_standIn.inUse = true;
    }
    return &t_standIn.block;
}

extern "C" int RegisterThreadBlockCleanup(ThreadBlockCleanup cleanup, OwnerThreadCall ownerCall) {
    std::lock_guard<std::mutex> hold(g_registrationLock);
    if (ownerCall) __atomic_store_n(&g_ownerCall, ownerCall, __ATOMIC_RELEASE);
    int count = __atomic_load_n(&g_cleanupCount, __ATOMIC_RELAXED);
    for (int i = 0; i < count; ++i)
        if (g_cleanups[i] == cleanup) return 1;
    if (count == TOOLBOX_MAX_THREAD_BLOCK_CLEANUPS) return 0;
    g_cleanups[count] = cleanup;
    __atomic_store_n(&g_cleanupCount, count + 1, __ATOMIC_RELEASE);
    return 1;
}

extern "C" void CleanupThreadLocalBlock(void *block) {
    auto *locals = static_cast<ToolboxThreadLocals *>(block);
    int count = __atomic_load_n(&g_cleanupCount, __ATOMIC_ACQUIRE);
    for (int i = 0; i < count; ++i) g_cleanups[i](locals);
}

extern "C" int ToolboxInit(void) { return 0; }

extern "C" int InitializeTsvPanelsWithLinkedCallbacksList(void) {
    int made = 0;
    int status = RteNewTSV(sizeof(ListHandle), &made);
    if (status >= 0) __atomic_store_n(&g_panelsWithLinkedCallbacks, made, __ATOMIC_RELEASE);
    return status;
}

extern "C" int UninitializeTsvPanelsWithLinkedCallbacksList(void) {
    // A list still held would be lost with the variable; it owns only its item bytes.
    ListHandle *list = GetPointerToTsvPanelsWithLinkedCallbacksList();
    if (list) {
        ListDispose(*list);
        *list = nullptr;
        ReleasePointerToTsvPanelsWithLinkedCallbacksList();
    }
    return RteDiscardTSV(PanelsVar());
}

extern "C" ListHandle *GetPointerToTsvPanelsWithLinkedCallbacksList(void) {
    void *value = nullptr;
    if (RteGetTSVPtr(PanelsVar(), &value) < 0) return nullptr;
    return static_cast<ListHandle *>(value);
}

extern "C" int ReleasePointerToTsvPanelsWithLinkedCallbacksList(void) {
    return RteReleaseTSVPtr(PanelsVar());
}

extern "C" int SetTsvPanelsWithLinkedCallbacksList(ListHandle list) {
    return RteSetTSV(PanelsVar(), &list);
}

extern "C" ListHandle GetTsvPanelsWithLinkedCallbacksList(void) {
    ListHandle *list = GetPointerToTsvPanelsWithLinkedCallbacksList();
    if (!list) return nullptr;
    ListHandle value = *list;
    ReleasePointerToTsvPanelsWithLinkedCallbacksList();
    return value;
}
