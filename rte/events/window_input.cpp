// rte/events/window_input.cpp - operator input seen first by the window layer, and the drops
// kept for windows that accept files (RteDropFileCount, RteDropFile, RteDropPoint,
// RteFinishDrop).
#include "rte/events/window_input.h"

#include <map>
#include <mutex>
#include <new>

#include "rte/events/pointer.h"
#include "rte/model/ui_model.h"
#include "rte/model/windows.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

struct Drop {
    std::vector<std::string> paths;
    int x = 0, y = 0;
    bool inside = false;
};

std::mutex g_dropsLock;
std::map<int, Drop> g_drops;  // by handle; guarded by g_dropsLock
int g_nextDrop = 1;

Drop *FindDrop(int drop) {
    auto it = g_drops.find(drop);
    return it == g_drops.end() ? nullptr : &it->second;
}

}  // namespace

bool PassWindowInput(int panel, RteWindowInput input) {
    RteWindowInputHook hook = WindowInputHook();
    if (hook == nullptr) return true;
    int dx, dy;
    void *window = WindowOfPanel(panel, &dx, &dy);
    if (window == nullptr) return true;
    input.x += dx;
    input.y += dy;
    return hook(window, &input) != 0;
}

int DropOnPanel(int panel, const std::vector<std::string> &paths, int x, int y) {
    int dx, dy;
    void *window = WindowOfPanel(panel, &dx, &dy);
    RteWindowInputHook hook = WindowInputHook();
    if (window != nullptr && hook != nullptr && WindowAcceptsFiles(window)) {
        int handle;
        {
            Drop drop;
            drop.paths = paths;
            drop.x = x + dx;
            drop.y = y + dy;
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Panel *top = FindPanel(RtePanelOfWindow(window));
            drop.inside = top != nullptr && drop.x >= 0 && drop.y >= 0 && drop.x < top->width && drop.y < top->height;
            std::lock_guard<std::mutex> drops(g_dropsLock);
            handle = g_nextDrop;
            g_drops.emplace(handle, std::move(drop));
            ++g_nextDrop;
        }
        RteWindowInput in{};
        in.kind = RTE_INPUT_DROP;
        in.x = x + dx;
        in.y = y + dy;
        in.drop = handle;
        bool engine = hook(window, &in) != 0;
        if (!engine) return 0;  // the window layer has the drop now
        RteFinishDrop(handle);
    }
    return DeliverDroppedFiles(panel, paths);
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" int RteDropFileCount(int drop) {
    std::lock_guard<std::mutex> hold(g_dropsLock);
    Drop *d = FindDrop(drop);
    return d == nullptr ? 0 : static_cast<int>(d->paths.size());
}

extern "C" const char *RteDropFile(int drop, int index) {
    std::lock_guard<std::mutex> hold(g_dropsLock);
    Drop *d = FindDrop(drop);
    if (d == nullptr || index < 0 || index >= static_cast<int>(d->paths.size())) return nullptr;
    return d->paths[static_cast<size_t>(index)].c_str();
}

extern "C" int RteDropPoint(int drop, int *x, int *y) {
    std::lock_guard<std::mutex> hold(g_dropsLock);
    Drop *d = FindDrop(drop);
    if (x != nullptr) *x = d != nullptr ? d->x : 0;
    if (y != nullptr) *y = d != nullptr ? d->y : 0;
    return d != nullptr && d->inside ? 1 : 0;
}

extern "C" void RteFinishDrop(int drop) {
    std::lock_guard<std::mutex> hold(g_dropsLock);
    g_drops.erase(drop);
}

namespace rte::internal {

// Drops never finished by their receiver, freed when the engine closes (CloseRTE).
void FinishAllDrops() {
    std::lock_guard<std::mutex> hold(g_dropsLock);
    g_drops.clear();
}

}  // namespace rte::internal
