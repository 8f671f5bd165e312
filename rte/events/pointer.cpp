// rte/events/pointer.cpp - the operator's pointer (GetRelativeMouseState) and the files dropped
// on a panel (RteGetDroppedFileCount, RteGetDroppedFile).
#include "rte/events/pointer.h"

#include <atomic>
#include <mutex>

#include "rte/model/ui_model.h"
#include "rte/system_windows.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

struct Pointer {
    int screenX = 0, screenY = 0;
    bool left = false, right = false;
    // A point told by RteSetPointerScreenPos wins over the real pointer until the real pointer
    // leaves where it was when the told point was first read (realX, realY; unknown until then).
    bool told = false, realKnown = false;
    int realX = 0, realY = 0;
};
Pointer g_pointer;  // guarded by ModelLock()

thread_local const std::vector<std::string> *t_dropped = nullptr;

std::atomic<ScreenPointerSource> g_screenSource{nullptr};

// Offset of a panel's client area on the screen.
void PanelOrigin(int handle, int *x, int *y) {
    *x = 0;
    *y = 0;
    for (Panel *p = FindPanel(handle); p != nullptr; p = FindPanel(p->parent)) {
        *x += p->left;
        *y += p->top;
    }
}

void MoveTo(int panel, int x, int y) {
    int ox, oy;
    PanelOrigin(panel, &ox, &oy);
    g_pointer.screenX = ox + x;
    g_pointer.screenY = oy + y;
    g_pointer.told = false;
}

}  // namespace

void SetPointer(int panel, int x, int y, bool leftDown, bool rightDown) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    MoveTo(panel, x, y);
    g_pointer.left = leftDown;
    g_pointer.right = rightDown;
}

void SetPointerButton(int panel, int x, int y, bool right, bool down) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    MoveTo(panel, x, y);
    (right ? g_pointer.right : g_pointer.left) = down;
}

void SetScreenPointerSource(ScreenPointerSource source) { g_screenSource.store(source); }

bool PointerOnPanel(int panel, int *x, int *y, bool *leftDown, bool *rightDown) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    if (FindPanel(panel) == nullptr) return false;
    int ox, oy;
    PanelOrigin(panel, &ox, &oy);
    if (x) *x = g_pointer.screenX - ox;
    if (y) *y = g_pointer.screenY - oy;
    if (leftDown) *leftDown = g_pointer.left;
    if (rightDown) *rightDown = g_pointer.right;
    return true;
}

int PanelAtPoint(int panel, int *x, int *y) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    for (;;) {
        Panel *under = nullptr;
        for (Panel *child : ChildPanels(panel)) {
            if (child->visible && *x >= child->left && *x < child->left + child->width && *y >= child->top &&
                *y < child->top + child->height) {
                under = child;
                break;
            }
        }
        if (under == nullptr) return panel;
        *x -= under->left;
        *y -= under->top;
        panel = under->handle;
    }
}

bool PointFromAncestor(int ancestor, int panel, int *x, int *y) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    int dx = 0, dy = 0;
    for (Panel *p = FindPanel(panel); p != nullptr; p = FindPanel(p->parent)) {
        if (p->handle == ancestor) {
            *x -= dx;
            *y -= dy;
            return true;
        }
        dx += p->left;
        dy += p->top;
    }
    return false;
}

int DeliverDroppedFiles(int panel, const std::vector<std::string> &paths) {
    t_dropped = &paths;
    int result = CallPanel(panel, EVENT_DROP, static_cast<int>(paths.size()), 0);
    t_dropped = nullptr;
    return result;
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" int GetRelativeMouseState(int panel, int control, int *x, int *y, int *leftButton, int *rightButton,
                                     int *keyModifiers) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("GetRelativeMouseState", UIE_BAD_PANEL);
    int ox, oy;
    PanelOrigin(panel, &ox, &oy);
    if (control != 0) {
        Control *c = FindControl(p, control);
        if (c == nullptr) return Fail("GetRelativeMouseState", UIE_BAD_CONTROL);
        ox += c->left;
        oy += c->top;
    }
    if (x) *x = g_pointer.screenX - ox;
    if (y) *y = g_pointer.screenY - oy;
    if (leftButton) *leftButton = g_pointer.left;
    if (rightButton) *rightButton = g_pointer.right;
    if (keyModifiers) *keyModifiers = 0;
    return 0;
}

extern "C" int RteGetDroppedFileCount(void) { return t_dropped ? static_cast<int>(t_dropped->size()) : 0; }

extern "C" const char *RteGetDroppedFile(int index) {
    if (t_dropped == nullptr || index < 0 || index >= static_cast<int>(t_dropped->size())) return nullptr;
    return (*t_dropped)[static_cast<size_t>(index)].c_str();
}

extern "C" void RteGetPointerScreenPos(int *x, int *y) {
    int sx = 0, sy = 0;
    ScreenPointerSource source = g_screenSource.load();
    bool real = source != nullptr && source(&sx, &sy);
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Pointer &p = g_pointer;
        if (real && p.told && !p.realKnown) {
            p.realKnown = true;
            p.realX = sx;
            p.realY = sy;
        }
        if (real && p.told && (sx != p.realX || sy != p.realY)) p.told = false;
        if (!real || p.told) {
            sx = p.screenX;
            sy = p.screenY;
        }
    }
    if (x != nullptr) *x = sx;
    if (y != nullptr) *y = sy;
}

extern "C" void RteSetPointerScreenPos(int x, int y) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    g_pointer.screenX = x;
    g_pointer.screenY = y;
    g_pointer.told = true;
    g_pointer.realKnown = false;
}
