// The utility library's two process-wide locks, made on first use with the one-time
// initialisation protocol and discarded at process exit.
#include "toolbox/core/library_locks_internal.h"

#include "rte/engine.h"
#include "rte/threads.h"
#include "toolbox/core/one_time_init_internal.h"

namespace {

const int kLockCount = 2;

// Written only by the creating thread before g_locksCreated is set; read only after it is.
int g_locks[kLockCount];
LONG volatile g_locksCreated = 0;
LONG volatile g_locksClaimed = 0;

void DiscardToolboxLocks() {
    if (RunTimeEngineDetached()) return;
    for (int i = 0; i < kLockCount; i++) RteDiscardLock(g_locks[i]);
}

void CreateToolboxLocks() {
    if (!OneTimeInitBegin(&g_locksCreated, &g_locksClaimed)) return;
    // A lock that cannot be made keeps handle 0; taking it then fails in the engine and the
    // caller goes on unlocked, as every caller ignores the outcome.
    for (int i = 0; i < kLockCount; i++) RteNewLock(nullptr, 0, &g_locks[i]);
    RegisterExitCleanup(DiscardToolboxLocks);
    OneTimeInitDone(&g_locksCreated);
}

bool ValidIndex(int lockIndex) { return lockIndex >= 0 && lockIndex < kLockCount; }

}  // namespace

extern "C" int GetToolboxLock(int lockIndex) {
    CreateToolboxLocks();
    if (ValidIndex(lockIndex)) RteGetLock(g_locks[lockIndex]);
    return 1;
}

extern "C" int ReleaseToolboxLock(int lockIndex) {
    if (ValidIndex(lockIndex) && __atomic_load_n(&g_locksCreated, __ATOMIC_ACQUIRE))
        RteReleaseLock(g_locks[lockIndex]);
    return 0;
}

extern "C" int ToolboxLockHandle(int lockIndex) {
    if (!ValidIndex(lockIndex) || !__atomic_load_n(&g_locksCreated, __ATOMIC_ACQUIRE)) return 0;
    return g_locks[lockIndex];
}
