// rte/events/operator_input.cpp - what the operator does to panels (clicks, typing, choosing, focus,
// keys, closing, mouse, dropped files) and what a display shows, for operator scripts and tests
// (rte/testing.h).
//
// Every action runs the callbacks on the calling thread in the order a user's input would cause
// them, then processes the events they caused (ProcessSystemEvents) before returning. An action
// that runs out of memory part-way still processes what it caused, and gives UIE_OUT_OF_MEMORY.
#include <atomic>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "rte/testing.h"
#include "rte/ui.h"
#include "rte/model/ui_model.h"

namespace rte::internal {
namespace {

// Whether the operator can reach the control: its panel is shown and not behind a modal
// popup, and the control is visible and not dimmed. Returns 0 or a code.
int CheckOperable(int panel, int control, bool needFocus) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return UIE_BAD_PANEL;
    Control *c = FindControl(p, control);
    if (c == nullptr) return UIE_BAD_CONTROL;
    if (!PanelShown(panel) || p->dimmed || !c->visible || c->dimmed) return UIE_BAD_VALUE;
    if (int popup = TopPopup()) {
        Panel *top = p;
        while (top->parent != 0) top = FindPanel(top->parent);
        if (top->handle != popup) return UIE_BAD_VALUE;
    }
    if (needFocus && !CanTakeFocus(*c)) return UIE_BAD_VALUE;
    return 0;
}

bool Focusable(int panel, int control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    return c != nullptr && CanTakeFocus(*c);
}

// The operator's focus move (see MoveOperatorFocus).
void MoveFocus(int panel, int control) { MoveOperatorFocus(panel, control, nullptr); }

int Finish() {
    ProcessSystemEvents();
    return 0;
}

// The next control after `from` in tab order that can take the focus (wrapping), or 0.
int NextFocusable(int panel, int from) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr || p->ctrls.empty()) return 0;
    size_t n = p->ctrls.size(), start = 0;
    for (size_t i = 0; i < n; ++i) {
        if (p->ctrls[i]->id == from) start = i + 1;
    }
    for (size_t k = 0; k < n; ++k) {
        Control &c = *p->ctrls[(start + k) % n];
        if (CanTakeFocus(c)) return c.id;
    }
    return 0;
}

struct MouseState {
    int screenX = 0, screenY = 0;
    bool left = false, right = false;
};
MouseState g_mouse;  // guarded by ModelLock()

std::atomic<void (*)(int, void *, void *)> g_recreatedHook{nullptr};
thread_local const std::vector<std::string> *t_dropped = nullptr;

// Offset of a panel's client area on the screen.
void PanelOrigin(int handle, int *x, int *y) {
    *x = 0;
    *y = 0;
    for (Panel *p = FindPanel(handle); p != nullptr; p = FindPanel(p->parent)) {
        *x += p->left;
        *y += p->top;
    }
}

// Runs an operator action; when it runs out of memory, the events it caused so far are still
// processed and the action gives UIE_OUT_OF_MEMORY.
template <typename Action>
int OutOfMemoryGuard(Action action) {
    try {
        return action();
    } catch (const std::bad_alloc &) {
        ProcessSystemEvents();
        return UIE_OUT_OF_MEMORY;
    }
}

int TypeText(int panel, int control, const std::string &text) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    int maxLength;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (c->style != CTRL_STRING && c->style != CTRL_NUMERIC) return UIE_WRONG_ATTRIBUTE;
        if (!IsEditable(*c)) return UIE_BAD_VALUE;
        maxLength = c->maxEntryLength;
    }
    MoveFocus(panel, control);
    std::string accepted;
    for (char ch : text) {
        if (maxLength >= 0 && static_cast<int>(accepted.size()) >= maxLength) break;
        if (CallCtrl(panel, control, EVENT_KEYPRESS, static_cast<unsigned char>(ch), 0) == 0) accepted += ch;
    }
    bool changed;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (c == nullptr) return Finish();
        std::string before = ValueAsText(*c);
        Control trial = *c;
        if (SetValueFromText(trial, accepted) < 0) {
            Finish();
            return UIE_BAD_VALUE;
        }
        *c = std::move(trial);
        changed = ValueAsText(*c) != before;
    }
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
    if (CallCtrl(panel, control, EVENT_KEYPRESS, VAL_ENTER_VKEY, 0) == 0) {
        CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
    }
    return Finish();
}

int SelectLabel(int panel, int control, const std::string &label) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    int found = -1, current;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (!IsListStyle(c->style)) return UIE_NOT_LIST_CONTROL;
        if (c->mode == VAL_INDICATOR) return UIE_BAD_VALUE;
        for (size_t i = 0; i < c->items.size() && found < 0; ++i) {
            if (c->items[i].label == label) found = static_cast<int>(i);
        }
        current = c->index;
    }
    if (found < 0) return UIE_BAD_VALUE;
    MoveFocus(panel, control);
    if (found != current) {
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Control *c = FindControl(FindPanel(panel), control);
            if (c == nullptr || found >= static_cast<int>(c->items.size())) return Finish();
            c->index = found;
        }
        CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
    }
    CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
    return Finish();
}

}  // namespace
}  // namespace rte::internal

using namespace rte::internal;

namespace rte::testing {

int Press(int panel, int control) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    int top = 0, left = 0;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        top = c->top + c->height / 2;
        left = c->left + c->width / 2;
    }
    if (CallCtrl(panel, control, EVENT_LEFT_CLICK, top, left) != 0) return Finish();
    if (Focusable(panel, control)) MoveFocus(panel, control);
    bool changed = false;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (c != nullptr && (c->style == CTRL_TOGGLE_BUTTON || c->style == CTRL_PICTURE_TOGGLE_BUTTON) &&
            c->mode != VAL_INDICATOR) {
            c->number = c->number != 0 ? 0 : 1;
            changed = true;
        }
    }
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
    CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
    return Finish();
}

int Type(int panel, int control, const std::string &text) {
    return OutOfMemoryGuard([&] { return TypeText(panel, control, text); });
}

int Select(int panel, int control, const std::string &label) {
    return OutOfMemoryGuard([&] { return SelectLabel(panel, control, label); });
}

int Focus(int panel, int control) {
    int rc = CheckOperable(panel, control, true);
    if (rc < 0) return rc;
    MoveFocus(panel, control);
    return Finish();
}

int KeyPress(int panel, int control, int keyCode) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    if (CallCtrl(panel, control, EVENT_KEYPRESS, keyCode, 0) != 0) return Finish();
    int key = keyCode & 0xFFFF;
    if (key == VAL_TAB_VKEY) {
        if (int next = NextFocusable(panel, control)) MoveFocus(panel, next);
    } else if (key == VAL_ENTER_VKEY) {
        CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
    } else if (key == VAL_BACKSPACE_VKEY || (key >= 0x20 && key < 0x100 && (keyCode & VAL_MENUKEY_MODIFIER) == 0)) {
        bool changed = false;
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Control *c = FindControl(FindPanel(panel), control);
            if (c != nullptr && c->style == CTRL_STRING && IsEditable(*c)) {
                if (key == VAL_BACKSPACE_VKEY) {
                    changed = !c->text.empty();
                    if (changed) c->text.pop_back();
                } else if (c->maxEntryLength < 0 || static_cast<int>(c->text.size()) < c->maxEntryLength) {
                    c->text += static_cast<char>(key);
                    changed = true;
                }
            }
        }
        if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
    }
    return Finish();
}

int ClosePanel(int panel) {
    int closeCtrl = 0;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return UIE_BAD_PANEL;
        GetAttr(p, nullptr, ATTR_CLOSE_CTRL, &closeCtrl);
    }
    if (CallPanel(panel, EVENT_CLOSE, 0, 0) == 0 && closeCtrl > 0) CallCtrl(panel, closeCtrl, EVENT_COMMIT, 0, 0);
    return Finish();
}

void SetMouseState(int panel, int x, int y, bool leftDown, bool rightDown) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    int ox, oy;
    PanelOrigin(panel, &ox, &oy);
    g_mouse.screenX = ox + x;
    g_mouse.screenY = oy + y;
    g_mouse.left = leftDown;
    g_mouse.right = rightDown;
}

int DropFiles(int panel, const std::vector<std::string> &paths) {
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        if (FindPanel(panel) == nullptr) return UIE_BAD_PANEL;
    }
    t_dropped = &paths;
    CallPanel(panel, EVENT_FILES_DROPPED, static_cast<int>(paths.size()), 0);
    t_dropped = nullptr;
    return Finish();
}

int RecreateWindow(int panel) {
    void *oldWindow, *newWindow;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return UIE_BAD_PANEL;
        if (p->parent != 0) return UIE_NOT_TOP_LEVEL;
        oldWindow = p->window;
        newWindow = p->window = NewWindowToken();
    }
    if (auto hook = g_recreatedHook.load()) hook(panel, oldWindow, newWindow);
    return Finish();
}

void SetWindowRecreatedHook(void (*hook)(int panel, void *oldWindow, void *newWindow)) {
    g_recreatedHook.store(hook);
}

int FindCtrl(int panel, const std::string &constantName) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return 0;
    for (auto &c : p->ctrls) {
        if (c->constName == constantName) return c->id;
    }
    return 0;
}

bool FindCtrlAnywhere(const std::string &constantName, int *panel, int *control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    // Shown panels first: the operator names what is on the screen.
    for (int pass = 0; pass < 2; ++pass) {
        for (int handle : PanelHandles()) {
            if ((pass == 0) != PanelShown(handle)) continue;
            if (int id = FindCtrl(handle, constantName)) {
                *panel = handle;
                *control = id;
                return true;
            }
        }
    }
    return false;
}

std::vector<int> AllPanels() { return PanelHandles(); }

std::vector<int> PanelCtrls(int panel) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    std::vector<int> out;
    if (Panel *p = FindPanel(panel)) {
        for (auto &c : p->ctrls) out.push_back(c->id);
    }
    return out;
}

std::string ValueText(int panel, int control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    return c == nullptr ? std::string() : ValueAsText(*c);
}

std::vector<std::string> ItemLabels(int panel, int control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    std::vector<std::string> out;
    Control *c = FindControl(FindPanel(panel), control);
    if (c != nullptr) {
        for (auto &item : c->items) out.push_back(item.label);
    }
    return out;
}

bool IsPanelVisible(int panel) { return PanelShown(panel); }
int ActivePanel() { return ActivePanelHandle(); }
void DiscardAllPanels() { DiscardAllPanelsNow(); }

}  // namespace rte::testing

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
    if (x) *x = g_mouse.screenX - ox;
    if (y) *y = g_mouse.screenY - oy;
    if (leftButton) *leftButton = g_mouse.left;
    if (rightButton) *rightButton = g_mouse.right;
    if (keyModifiers) *keyModifiers = 0;
    return 0;
}

extern "C" int RteGetDroppedFileCount(void) { return t_dropped ? static_cast<int>(t_dropped->size()) : 0; }

extern "C" const char *RteGetDroppedFile(int index) {
    if (t_dropped == nullptr || index < 0 || index >= static_cast<int>(t_dropped->size())) return nullptr;
    return (*t_dropped)[static_cast<size_t>(index)].c_str();
}
