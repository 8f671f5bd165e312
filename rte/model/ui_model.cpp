// rte/model/ui_model.cpp - panels and controls: the table that holds them, creation, discarding,
// display state, positions, focus and callbacks.
#include "rte/model/ui_model.h"
#include "rte/model/windows.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <new>

#include "rte/engine.h"
#include "rte/core/thread_queue.h"
#include "rte/model/labels.h"

namespace rte::internal {
namespace {

// The panel table. Handles count up from 1 and are not reused, so a stale handle never names
// a newer panel.
struct Model {
    std::map<int, std::unique_ptr<Panel>> panels;
    int nextHandle = 1;
    std::vector<int> popups;  // modal popups, newest last
    long frontKey = 0;        // the z-order key of the newest panel; each new one gets a lower key
};

// What the display in use does when a top-level panel is shown or hidden (null: nothing).
std::atomic<PanelVisibilityHook> g_panelShown{nullptr};
std::atomic<PanelVisibilityHook> g_panelHidden{nullptr};

std::atomic<ScreenAreaHook> g_screenArea{nullptr};

void NotifyShown(int panel) {
    if (PanelVisibilityHook hook = g_panelShown.load()) hook(panel);
}
void NotifyHidden(int panel) {
    if (PanelVisibilityHook hook = g_panelHidden.load()) hook(panel);
}

Model &TheModel() {
    static auto *model = new Model;  // never destroyed: threads may outlive static destructors
    return *model;
}

// Default data type, mode, size and range of a new control of a style.
void ApplyStyleDefaults(Control &c) {
    c.width = 100;
    c.height = 22;
    switch (c.style) {
    case CTRL_NUMERIC:
        c.dataType = VAL_DOUBLE;
        c.minValue = -1.7976931348623157e308;
        c.maxValue = 1.7976931348623157e308;
        break;
    case CTRL_VERTICAL_SLIDE:
        c.dataType = VAL_DOUBLE;
        c.maxValue = 100;
        c.width = 40;
        c.height = 120;
        break;
    case CTRL_HORIZONTAL_SLIDE:
        c.dataType = VAL_DOUBLE;
        c.maxValue = 100;
        c.height = 40;
        break;
    case CTRL_COLOR_NUMERIC:
        c.dataType = VAL_INTEGER;
        c.width = 40;
        break;
    case CTRL_TEXT_MSG:
        c.dataType = VAL_STRING;
        c.mode = VAL_INDICATOR;
        c.text = c.label;
        c.width = TextWidth(c, c.label);
        c.height = std::max(15, TextHeight(c, c.label));
        break;
    case CTRL_COMMAND_BUTTON:
    case CTRL_PICTURE_COMMAND_BUTTON:
        c.width = TextWidth(c, LabelText(c)) + 20;
        c.height = 24;
        break;
    case CTRL_TOGGLE_BUTTON:
    case CTRL_PICTURE_TOGGLE_BUTTON:
        c.dataType = VAL_INTEGER;
        c.maxValue = 1;
        c.width = TextWidth(c, LabelText(c)) + 20;
        c.height = 24;
        break;
    case CTRL_RING:
    case CTRL_MENU_RING:
    case CTRL_PICTURE_RING:
        c.dataType = VAL_INTEGER;
        break;
    case CTRL_LIST_BOX:
        c.dataType = VAL_INTEGER;
        c.height = 5 * 15 + 4;
        break;
    case CTRL_STRING:
        c.dataType = VAL_STRING;
        break;
    case CTRL_TIMER:
        c.width = 0;
        c.height = 0;
        c.visible = false;
        c.nextDue = Timer() + c.interval;
        break;
    default:
        break;
    }
}

// Sends EVENT_DISCARD to the callbacks of a panel's controls and then of the panel, children
// first; the objects still exist while their callbacks run.
void SendDiscardEvents(int handle) {
    std::vector<int> children, controls;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        for (auto &entry : TheModel().panels) {
            if (entry.second->parent == handle) children.push_back(entry.first);
        }
        Panel *p = FindPanel(handle);
        if (p == nullptr) return;
        for (auto &c : p->ctrls) controls.push_back(c->id);
    }
    for (int child : children) SendDiscardEvents(child);
    for (int id : controls) {
        CtrlCallbackPtr cb = nullptr;
        void *data = nullptr;
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Panel *p = FindPanel(handle);
            Control *c = p ? FindControl(p, id) : nullptr;
            if (c == nullptr) continue;
            cb = c->callback;
            data = c->callbackData;
        }
        if (cb != nullptr) cb(handle, id, EVENT_DISCARD, data, 0, 0);
    }
    PanelCallbackPtr pcb = nullptr;
    void *pdata = nullptr;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(handle);
        if (p == nullptr) return;
        pcb = p->callback;
        pdata = p->callbackData;
    }
    if (pcb != nullptr) pcb(handle, EVENT_DISCARD, pdata, 0, 0);
}

// A panel shown for the first time gives the focus to its first control in tab order that can
// take it, unless the program chose one (SetActiveCtrl): keys typed before any click then
// reach it. No focus events are sent, as for SetActiveCtrl.
void GiveStartingFocus(Panel &p) {
    if (p.displayedBefore) return;
    p.displayedBefore = true;
    if (p.activeCtrl != 0) return;
    for (auto &c : p.ctrls) {
        if (CanTakeFocus(*c)) {
            p.activeCtrl = c->id;
            return;
        }
    }
}

void SetVisible(Panel &p, bool visible) {
    if (p.visible == visible) return;
    NoteModelChange();
    p.visible = visible;
    if (visible) GiveStartingFocus(p);
    if (p.parent == 0) {
        if (visible) NotifyShown(p.handle);
        else NotifyHidden(p.handle);
    }
}

}  // namespace

void SetScreenAreaHook(ScreenAreaHook hook) { g_screenArea.store(hook); }

// Z-order: every panel carries a key, lower in front, compared only among siblings (the panels
// of one parent; the top-level panels). A new panel gets a key below every key given before,
// so it comes in front; moving a panel renumbers its siblings 0, 1, 2, ... in their new order.
std::vector<Panel *> ChildPanels(int parent) {
    std::vector<Panel *> out;
    for (auto &entry : TheModel().panels) {
        if (entry.second->parent == parent) out.push_back(entry.second.get());
    }
    std::sort(out.begin(), out.end(), [](const Panel *a, const Panel *b) { return a->zKey < b->zKey; });
    return out;
}

int PanelZPosition(const Panel &p) {
    int position = 0;
    for (auto &entry : TheModel().panels) {
        const Panel &q = *entry.second;
        if (q.parent == p.parent && q.zKey < p.zKey) ++position;
    }
    return position;
}

void MovePanelZ(Panel &p, int position) {
    std::vector<Panel *> siblings = ChildPanels(p.parent);
    siblings.erase(std::find(siblings.begin(), siblings.end(), &p));
    size_t to = std::min(static_cast<size_t>(std::max(0, position)), siblings.size());
    siblings.insert(siblings.begin() + static_cast<long>(to), &p);
    long key = 0;
    for (Panel *q : siblings) q->zKey = key++;
}

int FirstChildPanel(const Panel &p) {
    const Panel *front = nullptr;
    for (auto &entry : TheModel().panels) {
        const Panel &q = *entry.second;
        if (q.parent == p.handle && (front == nullptr || q.zKey < front->zKey)) front = &q;
    }
    return front == nullptr ? 0 : front->handle;
}

int NextSiblingPanel(const Panel &p) {
    const Panel *next = nullptr;
    for (auto &entry : TheModel().panels) {
        const Panel &q = *entry.second;
        if (q.parent == p.parent && q.zKey > p.zKey && (next == nullptr || q.zKey < next->zKey)) next = &q;
    }
    return next == nullptr ? 0 : next->handle;
}

namespace {
std::atomic<unsigned long> g_modelChanges{0};
}  // namespace

void NoteModelChange() { g_modelChanges.fetch_add(1, std::memory_order_relaxed); }
unsigned long ModelChangeCount() { return g_modelChanges.load(std::memory_order_relaxed); }

std::recursive_mutex &ModelLock() {
    static auto *lock = new std::recursive_mutex;
    return *lock;
}

Panel *FindPanel(int handle) {
    auto &panels = TheModel().panels;
    auto it = panels.find(handle);
    return it == panels.end() ? nullptr : it->second.get();
}

Control *FindControl(Panel *panel, int id) {
    if (panel == nullptr) return nullptr;
    for (auto &c : panel->ctrls) {
        if (c->id == id) return c.get();
    }
    return nullptr;
}

std::vector<int> PanelHandles() {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    std::vector<int> out;
    for (auto &entry : TheModel().panels) out.push_back(entry.first);
    return out;
}

bool IsListStyle(int s) { return s == CTRL_RING || s == CTRL_MENU_RING || s == CTRL_PICTURE_RING || s == CTRL_LIST_BOX; }
bool IsNumericStyle(int s) { return s == CTRL_NUMERIC || s == CTRL_VERTICAL_SLIDE || s == CTRL_HORIZONTAL_SLIDE; }
bool IsStringStyle(int s) { return s == CTRL_STRING || s == CTRL_TEXT_MSG; }
bool HasValue(int s) {
    return IsListStyle(s) || IsNumericStyle(s) || IsStringStyle(s) || s == CTRL_COLOR_NUMERIC ||
           s == CTRL_TOGGLE_BUTTON || s == CTRL_PICTURE_TOGGLE_BUTTON;
}
bool IsValidStyle(int s) {
    switch (s) {
    case CTRL_NUMERIC: case CTRL_VERTICAL_SLIDE: case CTRL_HORIZONTAL_SLIDE: case CTRL_COLOR_NUMERIC:
    case CTRL_RAISED_FRAME: case CTRL_TEXT_MSG: case CTRL_FLAT_FRAME: case CTRL_RAISED_BOX:
    case CTRL_COMMAND_BUTTON: case CTRL_PICTURE_COMMAND_BUTTON: case CTRL_TOGGLE_BUTTON:
    case CTRL_PICTURE_TOGGLE_BUTTON: case CTRL_RING: case CTRL_MENU_RING: case CTRL_PICTURE_RING:
    case CTRL_LIST_BOX: case CTRL_RECESSED_FRAME: case CTRL_STRING: case CTRL_PICTURE: case CTRL_TIMER:
        return true;
    default:
        return false;
    }
}

bool IsDecoration(int s) {
    return s == CTRL_RAISED_FRAME || s == CTRL_FLAT_FRAME || s == CTRL_RAISED_BOX || s == CTRL_RECESSED_FRAME ||
           s == CTRL_PICTURE || s == CTRL_TIMER || s == CTRL_TEXT_MSG;
}

bool CanTakeFocus(const Control &c) {
    return c.visible && !c.dimmed && !IsDecoration(c.style) && c.mode != VAL_INDICATOR;
}

bool IsEditable(const Control &c) {
    return HasValue(c.style) && c.style != CTRL_TEXT_MSG && c.mode != VAL_INDICATOR && !c.dimmed && c.visible;
}

bool LabelOutside(int s) {
    return IsNumericStyle(s) || IsListStyle(s) || s == CTRL_COLOR_NUMERIC || s == CTRL_STRING || s == CTRL_PICTURE;
}

void SetPanelDisplayHooks(PanelVisibilityHook shown, PanelVisibilityHook hidden) {
    g_panelShown.store(shown);
    g_panelHidden.store(hidden);
}

// Window handles are small positive integers, from 1 upward and never reused within a run, so
// that a window layer can keep them in 32-bit fields and a stale handle names no other window.
void *NewWindowToken() {
    static std::atomic<std::uintptr_t> next{1};
    return reinterpret_cast<void *>(next.fetch_add(1));
}

namespace {
std::atomic<WindowRecreatedHook> g_recreatedHook{nullptr};
}  // namespace

int RecreatePanelWindow(int panel) {
    NoteModelChange();
    void *oldWindow, *newWindow;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return UIE_BAD_PANEL;
        if (p->parent != 0) return UIE_NOT_TOP_LEVEL;
        oldWindow = p->window;
        newWindow = p->window = NewWindowToken();
    }
    NotifyWindowGone(oldWindow, panel);
    if (WindowRecreatedHook hook = g_recreatedHook.load()) hook(panel, oldWindow, newWindow);
    return 0;
}

void SetWindowRecreatedHook(WindowRecreatedHook hook) { g_recreatedHook.store(hook); }

int FindCtrlByName(int panel, const std::string &constantName) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return 0;
    for (auto &c : p->ctrls) {
        if (c->constName == constantName) return c->id;
    }
    return 0;
}

bool FindCtrlByNameAnywhere(const std::string &constantName, int *panel, int *control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    // Shown panels first: the operator names what is on the screen.
    for (int pass = 0; pass < 2; ++pass) {
        for (int handle : PanelHandles()) {
            if ((pass == 0) != PanelShown(handle)) continue;
            if (int id = FindCtrlByName(handle, constantName)) {
                *panel = handle;
                *control = id;
                return true;
            }
        }
    }
    return false;
}

std::vector<int> PanelCtrlIDs(int panel) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    std::vector<int> out;
    if (Panel *p = FindPanel(panel)) {
        for (auto &c : p->ctrls) out.push_back(c->id);
    }
    return out;
}

int CreatePanel(int parent, const char *title, int top, int left, int height, int width) {
    if (title == nullptr) return UIE_NULL_POINTER;
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    if (parent != 0 && FindPanel(parent) == nullptr) return UIE_BAD_PANEL;
    try {
        EnsureThreadQueue();
        auto p = std::make_unique<Panel>();
        Model &m = TheModel();
        p->handle = m.nextHandle;
        p->parent = parent;
        p->thread = CurrThreadId();
        p->title = title;
        p->top = top;
        p->left = left;
        p->height = std::max(0, height);
        p->width = std::max(0, width);
        if (parent == 0) p->window = NewWindowToken();
        p->zKey = m.frontKey - 1;  // in front of its siblings
        m.panels[p->handle] = std::move(p);
        --m.frontKey;
        NoteModelChange();
        return m.nextHandle++;
    } catch (const std::bad_alloc &) {
        return UIE_OUT_OF_MEMORY;
    }
}

int CreateCtrl(int panel, int style, const char *label, int top, int left, int id) {
    NoteModelChange();
    if (label == nullptr) return UIE_NULL_POINTER;
    if (!IsValidStyle(style)) return UIE_BAD_STYLE;
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return UIE_BAD_PANEL;
    if (id <= 0) {
        // IDs start at 2: lists of control IDs given as variable arguments end at the first
        // value of 1 or less, so no control may carry 1.
        id = 2;
        for (auto &c : p->ctrls) id = std::max(id, c->id + 1);
    } else if (FindControl(p, id) != nullptr) {
        return UIE_BAD_CONTROL;
    }
    try {
        auto c = std::make_unique<Control>();
        c->id = id;
        c->style = style;
        c->label = label;
        c->top = top;
        c->left = left;
        ApplyStyleDefaults(*c);
        c->labelLeft = left;
        c->labelTop = top - LabelHeight(*c) - 2;
        p->ctrls.reserve(p->ctrls.size() + 1);  // so that the push below cannot fail after the insert
        p->zOrder.insert(p->zOrder.begin(), id);
        p->ctrls.push_back(std::move(c));
        return id;
    } catch (const std::bad_alloc &) {
        return UIE_OUT_OF_MEMORY;
    }
}

int CallCtrl(int panel, int control, int event, int data1, int data2) {
    CtrlCallbackPtr cb = nullptr;
    void *data = nullptr;
    unsigned owner = 0;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        Control *c = FindControl(p, control);
        if (c == nullptr) return 0;
        cb = c->callback;
        data = c->callbackData;
        owner = p->thread;
    }
    if (cb != nullptr) return cb(panel, control, event, data, data1, data2);
    // A commit nobody is called for is reported to GetUserEvent of the panel's thread. A queue
    // that cannot take it loses only the report.
    if (event == EVENT_COMMIT) PushUserEvent(owner, {EVENT_COMMIT, panel, control});
    return 0;
}

int CallPanel(int panel, int event, int data1, int data2) {
    PanelCallbackPtr cb = nullptr;
    void *data = nullptr;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return 0;
        cb = p->callback;
        data = p->callbackData;
    }
    return cb != nullptr ? cb(panel, event, data, data1, data2) : 0;
}

bool MoveOperatorFocus(int panel, int control, const std::function<void(int old)> &leaving) {
    int old;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr || p->activeCtrl == control) return false;
        old = p->activeCtrl;
    }
    if (leaving) leaving(old);
    if (old > 0) CallCtrl(panel, old, EVENT_LOST_FOCUS, control, 0);
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr || FindControl(p, control) == nullptr) return false;
        p->activeCtrl = control;
        NoteModelChange();
    }
    CallCtrl(panel, control, EVENT_GOT_FOCUS, old, 0);
    return true;
}

void RemovePanelSilently(int handle) {
    NoteModelChange();
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Model &m = TheModel();
    std::vector<int> children;
    for (auto &entry : m.panels) {
        if (entry.second->parent == handle) children.push_back(entry.first);
    }
    for (int child : children) RemovePanelSilently(child);
    auto it = m.panels.find(handle);
    if (it == m.panels.end()) return;
    if (it->second->visible && it->second->parent == 0) NotifyHidden(handle);
    m.popups.erase(std::remove(m.popups.begin(), m.popups.end(), handle), m.popups.end());
    m.panels.erase(it);
}

bool PanelShown(int handle) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    for (Panel *p = FindPanel(handle); p != nullptr; p = FindPanel(p->parent)) {
        if (!p->visible) return false;
        if (p->parent == 0) return true;
    }
    return false;
}

int TopPopup() {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    auto &popups = TheModel().popups;
    return popups.empty() ? 0 : popups.back();
}

int ActivePanelHandle() {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    if (int popup = TopPopup()) return popup;
    // The newest visible top-level panel holds the focus.
    for (auto it = TheModel().panels.rbegin(); it != TheModel().panels.rend(); ++it) {
        if (it->second->parent == 0 && it->second->visible) return it->first;
    }
    return 0;
}

void DiscardAllPanelsNow() {
    for (int handle : PanelHandles()) {
        bool topLevel;
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Panel *p = FindPanel(handle);
            topLevel = p != nullptr && p->parent == 0;
        }
        if (topLevel) DiscardPanel(handle);
    }
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    TheModel().popups.clear();
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" int NewPanel(int parentPanel, const char *title, int top, int left, int height, int width) {
    return Check("NewPanel", CreatePanel(parentPanel, title, top, left, height, width));
}

extern "C" int NewCtrl(int panel, int style, const char *label, int top, int left) {
    return Check("NewCtrl", CreateCtrl(panel, style, label, top, left, 0));
}

extern "C" int DiscardPanel(int panel) {
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        if (FindPanel(panel) == nullptr) return Fail("DiscardPanel", UIE_BAD_PANEL);
    }
    SendDiscardEvents(panel);
    void *window = nullptr;
    {
        // A callback of the discard may have discarded the panel already; its window went then.
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return 0;
        if (p->parent == 0) window = p->window;
    }
    RemovePanelSilently(panel);
    if (window != nullptr) NotifyWindowGone(window, panel);
    return 0;
}

extern "C" int DiscardCtrl(int panel, int control) {
    NoteModelChange();
    CtrlCallbackPtr cb = nullptr;
    void *data = nullptr;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return Fail("DiscardCtrl", UIE_BAD_PANEL);
        Control *c = FindControl(p, control);
        if (c == nullptr) return Fail("DiscardCtrl", UIE_BAD_CONTROL);
        cb = c->callback;
        data = c->callbackData;
    }
    if (cb != nullptr) cb(panel, control, EVENT_DISCARD, data, 0, 0);
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return 0;  // the callback discarded the panel
    auto &v = p->ctrls;
    v.erase(std::remove_if(v.begin(), v.end(), [&](auto &c) { return c->id == control; }), v.end());
    p->zOrder.erase(std::remove(p->zOrder.begin(), p->zOrder.end(), control), p->zOrder.end());
    if (p->activeCtrl == control) p->activeCtrl = 0;
    p->view.Forget(control);
    return 0;
}

extern "C" int DisplayPanel(int panel) {
    if (int rc = OpenDisplayForPanel(panel); rc < 0) return Fail("DisplayPanel", rc);
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("DisplayPanel", UIE_BAD_PANEL);
    for (Panel *q = p; q != nullptr; q = FindPanel(q->parent)) SetVisible(*q, true);
    if (p->parent == 0) {
        // Bring it to the front: the newest visible panel is the active one, so re-key it last
        // in the popup order only; the panel table's order stays the handle order.
        NotifyShown(panel);
    }
    return 0;
}

extern "C" int HidePanel(int panel) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("HidePanel", UIE_BAD_PANEL);
    SetVisible(*p, false);
    return 0;
}

extern "C" int InstallPopup(int panel) {
    if (int rc = OpenDisplayForPanel(panel); rc < 0) return Fail("InstallPopup", rc);
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("InstallPopup", UIE_BAD_PANEL);
    if (p->parent != 0) return Fail("InstallPopup", UIE_NOT_TOP_LEVEL);
    auto &popups = TheModel().popups;
    popups.erase(std::remove(popups.begin(), popups.end(), panel), popups.end());
    try {
        popups.push_back(panel);
    } catch (const std::bad_alloc &) {
        return Fail("InstallPopup", UIE_OUT_OF_MEMORY);
    }
    SetVisible(*p, true);
    NoteModelChange();
    NotifyShown(panel);  // the display brings it to the front, modal over the others
    return 0;
}

extern "C" int RemovePopup(int panel) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    auto &popups = TheModel().popups;
    if (panel == 0) {
        if (popups.empty()) return 0;
        panel = popups.back();
    }
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("RemovePopup", UIE_BAD_PANEL);
    popups.erase(std::remove(popups.begin(), popups.end(), panel), popups.end());
    SetVisible(*p, false);
    NoteModelChange();
    return 0;
}

extern "C" int SetPanelPos(int panel, int top, int left) {
    NoteModelChange();
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("SetPanelPos", UIE_BAD_PANEL);
    int areaTop = 0, areaLeft = 0, areaHeight = 768, areaWidth = 1024;  // the headless screen
    if (Panel *parent = FindPanel(p->parent)) {
        areaHeight = parent->height;
        areaWidth = parent->width;
    } else if (ScreenAreaHook screen = g_screenArea.load()) {
        int t, l, h, w;
        if (screen(&t, &l, &h, &w)) {
            areaTop = t;
            areaLeft = l;
            areaHeight = h;
            areaWidth = w;
        }
    }
    p->top = top == VAL_AUTO_CENTER ? areaTop + (areaHeight - p->height) / 2 : top;
    p->left = left == VAL_AUTO_CENTER ? areaLeft + (areaWidth - p->width) / 2 : left;
    return 0;
}

extern "C" int InstallPanelCallback(int panel, PanelCallbackPtr callback, void *callbackData) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("InstallPanelCallback", UIE_BAD_PANEL);
    p->callback = callback;
    p->callbackData = callbackData;
    return 0;
}

extern "C" int InstallCtrlCallback(int panel, int control, CtrlCallbackPtr callback, void *callbackData) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("InstallCtrlCallback", UIE_BAD_PANEL);
    Control *c = FindControl(p, control);
    if (c == nullptr) return Fail("InstallCtrlCallback", UIE_BAD_CONTROL);
    c->callback = callback;
    c->callbackData = callbackData;
    return 0;
}

extern "C" int SetActiveCtrl(int panel, int control) {
    NoteModelChange();
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("SetActiveCtrl", UIE_BAD_PANEL);
    if (FindControl(p, control) == nullptr) return Fail("SetActiveCtrl", UIE_BAD_CONTROL);
    p->activeCtrl = control;
    return 0;
}

extern "C" int GetActiveCtrl(int panel) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("GetActiveCtrl", UIE_BAD_PANEL);
    return p->activeCtrl;
}

extern "C" int GetActivePanel(void) { return ActivePanelHandle(); }

extern "C" int GetCtrlBoundingRect(int panel, int control, int *top, int *left, int *height, int *width) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("GetCtrlBoundingRect", UIE_BAD_PANEL);
    Control *c = FindControl(p, control);
    if (c == nullptr) return Fail("GetCtrlBoundingRect", UIE_BAD_CONTROL);
    int t, l, h, w;
    try {
        BoundingRect(*c, &t, &l, &h, &w);
    } catch (const std::bad_alloc &) {
        return Fail("GetCtrlBoundingRect", UIE_OUT_OF_MEMORY);
    }
    if (top) *top = t;
    if (left) *left = l;
    if (height) *height = h;
    if (width) *width = w;
    return 0;
}
