// The registry of live object addresses: a sorted list of pointers, made on the first
// registration and disposed of at process exit.
//
// The list is guarded by a mutex of its own, so that objects may be registered and looked up
// from any thread; nothing is called while it is held.
#include "toolbox/ui/callback_chain.h"

#include "rte/engine.h"
#include "toolbox/containers/list.h"
#include "toolbox/containers/sort.h"

#include <mutex>

namespace {

std::mutex g_existenceLock;
ListHandle g_existenceList = nullptr;  // addresses in byte order (NULL compare: memcmp)

void DisposeExistenceList() {
    std::lock_guard<std::mutex> hold(g_existenceLock);
    if (!RunTimeEngineDetached()) ListDispose(g_existenceList);
    g_existenceList = nullptr;
}

}  // namespace

extern "C" int RegisterExistence(void *object) {
    std::lock_guard<std::mutex> hold(g_existenceLock);
    if (!g_existenceList) {
        g_existenceList = ListCreate(sizeof(void *));
        if (!g_existenceList) return 0;
        RegisterExitCleanup(DisposeExistenceList);
    }
    return ListInsertInOrder(g_existenceList, &object, nullptr);
}

extern "C" void DeRegisterExistence(void *object) {
    if (!object) return;
    std::lock_guard<std::mutex> hold(g_existenceLock);
    int position = ListBinSearch(g_existenceList, &object, nullptr);
    if (position > 0) ListRemoveItem(g_existenceList, nullptr, position);
}

extern "C" int ObjectExists(void *object) {
    if (!object) return 0;
    std::lock_guard<std::mutex> hold(g_existenceLock);
    return ListBinSearch(g_existenceList, &object, nullptr) > 0 ? 1 : 0;
}
