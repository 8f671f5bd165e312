// rte/model/windows.cpp - the windows of top-level panels for a window layer: the hooks it sets,
// the panel of a window handle, the windows that accept dropped files, and the notices of a
// window's end and of its new size.
#include "rte/model/windows.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>

#include "rte/model/ui_model.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

std::atomic<RteWindowInputHook> g_inputHook{nullptr};
std::atomic<RteWindowGoneHook> g_goneHook{nullptr};
std::set<void *> g_acceptsFiles;  // guarded by ModelLock()

int PanelOfWindowLocked(void *window) {
    if (window == nullptr) return 0;
    for (int handle : PanelHandles()) {
        Panel *p = FindPanel(handle);
        if (p != nullptr && p->parent == 0 && p->window == window) return handle;
    }
    return 0;
}

}  // namespace

RteWindowInputHook WindowInputHook() { return g_inputHook.load(); }

void NotifyWindowGone(void *window, int panel) {
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        g_acceptsFiles.erase(window);
    }
    if (RteWindowGoneHook hook = g_goneHook.load()) hook(window, panel);
}

void *WindowOfPanel(int panel, int *dx, int *dy) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    *dx = *dy = 0;
    for (Panel *p = FindPanel(panel); p != nullptr; p = FindPanel(p->parent)) {
        if (p->parent == 0) return p->window;
        *dx += p->left;
        *dy += p->top;
    }
    return nullptr;
}

bool WindowAcceptsFiles(void *window) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    return g_acceptsFiles.count(window) != 0;
}

void NotifyWindowSize(int panel) {
    RteWindowInputHook hook = g_inputHook.load();
    if (hook == nullptr) return;
    RteWindowInput in{};
    in.kind = RTE_INPUT_SIZE;
    void *window;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr || p->parent != 0) return;
        window = p->window;
        in.width = p->width;
        in.height = p->height;
    }
    hook(window, &in);
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" int RtePanelOfWindow(void *window) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    return PanelOfWindowLocked(window);
}

extern "C" void RteSetWindowHooks(RteWindowInputHook input, RteWindowGoneHook gone) {
    g_inputHook.store(input);
    g_goneHook.store(gone);
}

extern "C" int RteSetWindowAcceptsFiles(void *window, int accept) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    if (PanelOfWindowLocked(window) == 0) return Fail("RteSetWindowAcceptsFiles", UIE_BAD_PANEL);
    try {
        if (accept) g_acceptsFiles.insert(window);
        else g_acceptsFiles.erase(window);
    } catch (const std::bad_alloc &) {
        return Fail("RteSetWindowAcceptsFiles", UIE_OUT_OF_MEMORY);
    }
    return 0;
}
