// rte/events/operator_input.cpp - the one path of operator input: focus, keys, typing, the
// pointer, the ring's open list and the panel's window (rte/events/operator_input.h).
//
// The model is read and changed under ModelLock(); callbacks are called with it released, and
// every step looks its panel and control up again afterwards, since a callback may have
// discarded them. Edits of a value are made whole (the new text is built, then swapped in), so
// running out of memory leaves the old value or the new one, never a part.
#include "rte/events/operator_input.h"

#include <algorithm>
#include <mutex>
#include <new>

#include "rte/events/pointer.h"
#include "rte/model/labels.h"
#include "rte/model/layout.h"
#include "rte/model/ui_model.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

bool IsEntry(const Control &c) { return c.style == CTRL_STRING || c.style == CTRL_NUMERIC; }
bool IsRing(const Control &c) { return IsListStyle(c.style) && c.style != CTRL_LIST_BOX; }
bool IsButton(int style) { return style == CTRL_COMMAND_BUTTON || style == CTRL_PICTURE_COMMAND_BUTTON; }
bool IsToggle(int style) { return style == CTRL_TOGGLE_BUTTON || style == CTRL_PICTURE_TOGGLE_BUTTON; }

// A character key: a byte of text, without Ctrl or Alt.
bool IsCharacterKey(int keyCode) {
    int key = keyCode & 0xFFFF;
    return key >= 0x20 && key < 0x100 && (keyCode & (VAL_MENUKEY_MODIFIER | VAL_ALT_MODIFIER)) == 0;
}

// Input reaches a panel unless a modal popup other than it is up.
bool PanelTakesInput(int panel) {
    int popup = TopPopup();
    return popup == 0 || popup == panel;
}

// The text the operator edits in an entry: a numeric entry's typed text while it is typed into,
// a string entry's value.
std::string &EditedText(ViewState &v, Control &c) {
    return c.style == CTRL_NUMERIC && v.numericCtrl == c.id ? v.numericEdit : c.text;
}

// Makes c the entry that the caret and the selection belong to (a numeric entry starts its typed
// text from its value); the caret goes to the end when c was not that entry already.
void EnsureEditing(Panel &p, Control &c) {
    ViewState &v = p.view;
    bool numeric = c.style == CTRL_NUMERIC;
    if (v.editCtrl == c.id && (!numeric || v.numericCtrl == c.id)) return;
    if (numeric) {
        std::string text = ValueAsText(c);
        v.numericEdit.swap(text);
        v.numericCtrl = c.id;
    }
    v.editCtrl = c.id;
    int length = static_cast<int>(EditedText(v, c).size());
    v.caret = length;
    v.selStart = v.selEnd = length;
}

// Selects an entry's whole text, the caret at its end.
void SelectAll(int panel, int control) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    Control *c = FindControl(p, control);
    if (c == nullptr || !IsEntry(*c)) return;
    EnsureEditing(*p, *c);
    int length = static_cast<int>(EditedText(p->view, *c).size());
    p->view.selStart = 0;
    p->view.selEnd = length;
    p->view.caret = length;
}

// An entry that got the focus: a numeric entry starts its typed text from its value, and the
// whole text is selected, so typing replaces it.
void BeginEdit(int panel, int control) {
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        Control *c = FindControl(p, control);
        if (c == nullptr || !IsEntry(*c)) return;
        p->view.editCtrl = 0;  // start afresh from the value
        if (p->view.numericCtrl == control) p->view.numericCtrl = 0;
    }
    SelectAll(panel, control);
}

enum class Committed { kNothing, kUnchanged, kChanged, kBadText };

// Commits the text typed into a numeric entry as its value (text that is no number keeps the
// value); EVENT_VAL_CHANGED when the value changed.
Committed CommitNumericEdit(int panel) {
    int control = 0;
    Committed result = Committed::kUnchanged;
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr || p->view.numericCtrl == 0) return Committed::kNothing;
        control = p->view.numericCtrl;
        p->view.numericCtrl = 0;
        Control *c = FindControl(p, control);
        if (c == nullptr) return Committed::kNothing;
        double before = c->number;
        Control trial = *c;
        if (SetValueFromText(trial, p->view.numericEdit) == 0) c->number = trial.number;
        else result = Committed::kBadText;
        if (c->number != before) result = Committed::kChanged;
    }
    if (result == Committed::kChanged) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
    return result;
}

// Replaces the selection of an entry with typed text, cut to what the maximum entry length
// leaves room for; EVENT_VAL_CHANGED when a string entry's value changed.
void InsertText(int panel, int control, const std::string &typed) {
    bool changed = false;
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        Control *c = FindControl(p, control);
        if (c == nullptr || !IsEntry(*c) || !IsEditable(*c)) return;
        EnsureEditing(*p, *c);
        ViewState &v = p->view;
        std::string &text = EditedText(v, *c);
        int length = static_cast<int>(text.size());
        int caret = v.caret < 0 ? length : std::min(v.caret, length);
        int s = std::clamp(std::min(v.selStart, v.selEnd), 0, length);
        int e = std::clamp(std::max(v.selStart, v.selEnd), 0, length);
        if (e == s) s = e = caret;
        size_t add = typed.size();
        if (c->maxEntryLength >= 0) {
            size_t room = static_cast<size_t>(std::max(0, c->maxEntryLength - (length - (e - s))));
            add = std::min(add, room);
        }
        std::string next;
        next.reserve(static_cast<size_t>(length - (e - s)) + add);
        next.append(text, 0, static_cast<size_t>(s)).append(typed, 0, add).append(text, static_cast<size_t>(e));
        changed = next != text && c->style == CTRL_STRING;
        text.swap(next);
        v.caret = s + static_cast<int>(add);
        v.selStart = v.selEnd = v.caret;
    }
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
}

// The editing keys of an entry: Backspace, Delete, Left, Right, Home, End, Ctrl+A; Shift extends
// the selection. EVENT_VAL_CHANGED when a string entry's value changed.
void EditKey(int panel, int control, int key, bool shift, bool ctrl) {
    bool changed = false;
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        Control *c = FindControl(p, control);
        if (c == nullptr || !IsEntry(*c)) return;
        EnsureEditing(*p, *c);
        ViewState &v = p->view;
        std::string &text = EditedText(v, *c);
        int length = static_cast<int>(text.size());
        int caret = v.caret < 0 ? length : std::min(v.caret, length);
        int s = std::clamp(std::min(v.selStart, v.selEnd), 0, length);
        int e = std::clamp(std::max(v.selStart, v.selEnd), 0, length);
        bool editable = IsEditable(*c);
        int anchor = v.selStart == caret ? v.selEnd : v.selStart;
        if (e == s) anchor = caret;
        switch (key) {
        case VAL_BACKSPACE_VKEY: case VAL_FWD_DELETE_VKEY:
            if (!editable) return;
            if (e > s) {
                text.erase(static_cast<size_t>(s), static_cast<size_t>(e - s));
                caret = s;
            } else if (key == VAL_BACKSPACE_VKEY && caret > 0) {
                text.erase(static_cast<size_t>(--caret), 1);
            } else if (key == VAL_FWD_DELETE_VKEY && caret < length) {
                text.erase(static_cast<size_t>(caret), 1);
            } else {
                return;
            }
            changed = c->style == CTRL_STRING;
            anchor = caret;
            break;
        case VAL_LEFT_ARROW_VKEY: caret = std::max(0, caret - 1); break;
        case VAL_RIGHT_ARROW_VKEY: caret = std::min(length, caret + 1); break;
        case VAL_HOME_VKEY: caret = 0; break;
        case VAL_END_VKEY: caret = length; break;
        case 'a': case 'A':
            if (!ctrl) return;
            anchor = 0;
            caret = length;
            shift = true;
            break;
        default: return;
        }
        if (!shift) anchor = caret;
        v.caret = caret;
        v.selStart = anchor;
        v.selEnd = caret;
    }
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
}

// Moves a list's or ring's choice by delta (wrapping or stopping at the ends), or to index when
// delta is 0; EVENT_VAL_CHANGED when it moved. False when the control cannot be changed now or
// the index is not one of its items.
bool ChooseItem(int panel, int control, int index, int delta, bool wrap) {
    bool changed = false;
    {
        Lock hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (c == nullptr || !IsListStyle(c->style) || !IsEditable(*c) || c->items.empty()) return false;
        int n = static_cast<int>(c->items.size());
        int target = index;
        if (delta != 0) {
            target = c->index + delta;
            target = wrap ? ((target % n) + n) % n : std::clamp(target, 0, n - 1);
        }
        if (target < 0 || target >= n) return false;
        changed = target != c->index;
        c->index = target;
    }
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
    return true;
}

// Keeps the chosen line of a list box in view after the keyboard moved it.
void ScrollToSelection(int panel, int control) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    Control *c = FindControl(p, control);
    if (c == nullptr || c->style != CTRL_LIST_BOX) return;
    int first = ListFirstVisible(*c, &p->view), lines = ListVisibleLines(*c);
    if (c->index < first) first = c->index;
    if (c->index >= first + lines) first = c->index - lines + 1;
    p->view.listTop[control] = first;
}

// ---- the open list of a ring ----

void OpenRingPopup(int panel, int control) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    Control *c = FindControl(p, control);
    if (c == nullptr || !IsListStyle(c->style) || !IsEditable(*c) || c->items.empty()) return;
    p->view.ringPopup = control;
    p->view.ringHover = c->index;
}

// Closes the open list; with choose, its marked item becomes the ring's value, as a click on a
// list box line does: EVENT_VAL_CHANGED when it differs, then EVENT_COMMIT.
void CloseRingPopup(int panel, bool choose) {
    int control, item;
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return;
        control = p->view.ringPopup;
        item = p->view.ringHover;
        p->view.ringPopup = 0;
        p->view.ringHover = -1;
    }
    if (!choose || control == 0 || item < 0) return;
    if (ChooseItem(panel, control, item, 0, false)) CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
}

// The item of the open list under a point, or -1.
int RingPopupItem(int panel, int x, int y) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    Control *c = p ? FindControl(p, p->view.ringPopup) : nullptr;
    return c == nullptr ? -1 : RingPopupItemAt(*p, *c, &p->view, x, y);
}

bool RingPopupOpen(int panel) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    return p != nullptr && p->view.ringPopup != 0;
}

// Keys while the list is open: the arrows, Home and End mark an item, Enter or Space chooses
// it, Escape and Tab close the list.
void RingPopupKey(int panel, int keyCode) {
    int count = 0;
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        Control *c = p ? FindControl(p, p->view.ringPopup) : nullptr;
        if (c != nullptr) count = static_cast<int>(c->items.size());
        if (count > 0) {
            int &hover = p->view.ringHover;
            switch (keyCode & 0xFFFF) {
            case VAL_UP_ARROW_VKEY: hover = std::clamp(hover - 1, 0, count - 1); return;
            case VAL_DOWN_ARROW_VKEY: hover = std::clamp(hover + 1, 0, count - 1); return;
            case VAL_HOME_VKEY: hover = 0; return;
            case VAL_END_VKEY: hover = count - 1; return;
            default: break;
            }
        }
    }
    switch (keyCode & 0xFFFF) {
    case VAL_ENTER_VKEY: case ' ': CloseRingPopup(panel, count > 0); break;
    case VAL_ESC_VKEY: case VAL_TAB_VKEY: CloseRingPopup(panel, false); break;
    default:
        if (count == 0) CloseRingPopup(panel, false);
        break;
    }
}

// ---- pointer ----

// A click in an entry puts the caret there (a double click selects the whole text) and starts
// a selection that dragging extends.
void PlaceCaret(int panel, int control, int x, bool selectAll) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    Control *c = FindControl(p, control);
    if (c == nullptr || !IsEntry(*c)) return;
    EnsureEditing(*p, *c);
    ViewState &v = p->view;
    const std::string &text = EditedText(v, *c);
    int at = EntryOffsetAt(*c, text, x);
    v.selStart = selectAll ? 0 : at;
    v.selEnd = v.caret = selectAll ? static_cast<int>(text.size()) : at;
    v.selecting = selectAll ? 0 : control;
}

void DragSelection(Panel &p, int x) {
    ViewState &v = p.view;
    Control *c = FindControl(&p, v.selecting);
    if (c == nullptr || p.activeCtrl != c->id || !IsEntry(*c)) {
        v.selecting = 0;
        return;
    }
    EnsureEditing(p, *c);
    v.selEnd = v.caret = EntryOffsetAt(*c, EditedText(v, *c), x);
}

// The front-most visible control whose body holds the point, or 0.
int ControlAt(int panel, int x, int y, int *style) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return 0;
    for (int id : p->zOrder) {
        Control *c = FindControl(p, id);
        if (c == nullptr || !c->visible || c->style == CTRL_TIMER) continue;
        if (x >= c->left && x < c->left + c->width && y >= c->top && y < c->top + c->height) {
            *style = c->style;
            return id;
        }
    }
    return 0;
}

// A button released over itself: a toggle button toggles (EVENT_VAL_CHANGED), then EVENT_COMMIT.
void ToggleAndCommit(int panel, int control) {
    bool toggled = false;
    {
        Lock hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (c != nullptr && IsToggle(c->style) && c->mode != VAL_INDICATOR) {
            c->number = c->number != 0 ? 0 : 1;
            toggled = true;
        }
    }
    if (toggled) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
    CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
}

bool CanFocus(int panel, int control) {
    Lock hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    return c != nullptr && CanTakeFocus(*c);
}

// What a left click does to a control after the focus moved to it.
void ClickAction(int panel, int control, int style, int x, int y, int clicks) {
    switch (style) {
    case CTRL_COMMAND_BUTTON: case CTRL_PICTURE_COMMAND_BUTTON: case CTRL_TOGGLE_BUTTON:
    case CTRL_PICTURE_TOGGLE_BUTTON: {
        Lock hold(ModelLock());
        if (Panel *p = FindPanel(panel)) {
            p->view.pressedCtrl = control;  // commits when released over it
            p->view.buttonDown = true;
        }
        break;
    }
    case CTRL_LIST_BOX: {
        int index = -1, first = 0, lines = 1, count = 0, cx = 0, cy = 0, width = 0;
        {
            Lock hold(ModelLock());
            Panel *p = FindPanel(panel);
            Control *c = FindControl(p, control);
            if (c == nullptr) return;
            cx = x - c->left;
            cy = y - c->top;
            index = ListItemAt(*c, &p->view, cx, cy);
            first = ListFirstVisible(*c, &p->view);
            lines = ListVisibleLines(*c);
            count = static_cast<int>(c->items.size());
            width = c->width;
            if (index < 0 && count > lines && cx >= width - kListInset - kScrollBarWidth) {
                // The scroll bar: a page up or down by the half that was clicked.
                int half = (lines * kListLineHeight) / 2 + kListInset;
                p->view.listTop[control] = std::clamp(first + (cy < half ? -lines : lines), 0, count - lines);
                return;
            }
        }
        if (index < 0) return;
        ChooseItem(panel, control, index, 0, false);
        {
            Lock hold(ModelLock());
            if (Panel *p = FindPanel(panel)) p->view.listTop[control] = first;
        }
        CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
        break;
    }
    case CTRL_RING: case CTRL_MENU_RING: case CTRL_PICTURE_RING:
        OpenRingPopup(panel, control);
        break;
    case CTRL_STRING:
        PlaceCaret(panel, control, x, clicks >= 2);
        break;
    case CTRL_NUMERIC: {
        bool arrows = false;
        {
            Lock hold(ModelLock());
            Panel *p = FindPanel(panel);
            Control *c = FindControl(p, control);
            if (c == nullptr) return;
            int show = 1;
            GetAttr(p, c, ATTR_SHOW_INCDEC_ARROWS, &show);
            arrows = show && IsEditable(*c) && x < c->left + 16;
            if (arrows) {
                bool up = y < c->top + c->height / 2;
                if (p->view.numericCtrl == control) p->view.numericCtrl = 0;  // the typed text gives way
                c->number = CoerceNumber(*c, c->number + (up ? 1 : -1));
            }
        }
        if (arrows) {
            CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
            CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
            BeginEdit(panel, control);
        } else {
            PlaceCaret(panel, control, x, clicks >= 2);
        }
        break;
    }
    default: break;
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

int Finish() {
    ProcessSystemEvents();
    return 0;
}

// Type's own typing: the selection is replaced by what was accepted, also by nothing.
void TypeOver(int panel, int control, const std::string &text) {
    std::string accepted;
    for (char ch : text) {
        if (CallCtrl(panel, control, EVENT_KEYPRESS, static_cast<unsigned char>(ch), 0) == 0) accepted += ch;
    }
    InsertText(panel, control, accepted);
}

}  // namespace

// ---- reach ----

int CheckOperable(int panel, int control, bool needFocus) {
    Lock hold(ModelLock());
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

int ActiveControl(int panel) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    return p == nullptr ? 0 : p->activeCtrl;
}

// ---- focus ----

void FocusByOperator(int panel, int control) {
    // A numeric entry being typed into takes its text as the value before it loses the focus.
    bool moved = MoveOperatorFocus(panel, control, [panel](int old) {
        bool typing;
        {
            Lock hold(ModelLock());
            Panel *p = FindPanel(panel);
            typing = p != nullptr && old != 0 && p->view.numericCtrl == old;
        }
        if (typing) CommitNumericEdit(panel);
    });
    if (moved) BeginEdit(panel, control);
}

int TabNeighbour(int panel, int from, bool backwards) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr || p->ctrls.empty()) return 0;
    int n = static_cast<int>(p->ctrls.size()), at = -1;
    for (int i = 0; i < n; ++i) {
        if (p->ctrls[static_cast<size_t>(i)]->id == from) at = i;
    }
    for (int k = 1; k <= n; ++k) {
        int i = at < 0 ? (backwards ? n - k : k - 1) : ((at + (backwards ? -k : k)) % n + n) % n;
        Control &c = *p->ctrls[static_cast<size_t>(i)];
        if (CanTakeFocus(c)) return c.id;
    }
    return 0;
}

// ---- keyboard ----

void KeyDown(int panel, int control, int keyCode, bool autoRepeat) {
    if (!PanelTakesInput(panel)) return;
    if (RingPopupOpen(panel)) {
        RingPopupKey(panel, keyCode);
        return;
    }
    int key = keyCode & 0xFFFF;
    bool character = IsCharacterKey(keyCode);
    bool ring = false, button = false, list = false;
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr || p->dimmed) return;
        if (Control *c = FindControl(p, control)) {
            ring = IsRing(*c);
            button = IsButton(c->style);
            list = IsListStyle(c->style);
        }
    }
    // Space, F4 and Alt+Down open the list of a ring.
    if (ring && ((key == ' ' && character) || key == VAL_F4_VKEY ||
                 (key == VAL_DOWN_ARROW_VKEY && (keyCode & VAL_ALT_MODIFIER)))) {
        OpenRingPopup(panel, control);
        return;
    }
    // Space presses a button; the key's text then gives the button its EVENT_KEYPRESS.
    if (button && key == ' ' && character) {
        if (!autoRepeat) CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
        return;
    }
    if (character) return;  // its text comes as TypeText
    if (control > 0 && CallCtrl(panel, control, EVENT_KEYPRESS, keyCode, 0) != 0) return;
    bool shift = (keyCode & VAL_SHIFT_MODIFIER) != 0, ctrl = (keyCode & VAL_MENUKEY_MODIFIER) != 0;
    switch (key) {
    case VAL_TAB_VKEY:
        if (int next = TabNeighbour(panel, control, shift)) FocusByOperator(panel, next);
        return;
    case VAL_ENTER_VKEY: {
        if (control <= 0) return;
        bool typing;
        {
            Lock hold(ModelLock());
            Panel *p = FindPanel(panel);
            typing = p != nullptr && p->view.numericCtrl == control;
        }
        if (typing) {
            CommitNumericEdit(panel);
            BeginEdit(panel, control);
        }
        CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
        return;
    }
    case VAL_UP_ARROW_VKEY: case VAL_DOWN_ARROW_VKEY:
        if (control > 0 && list) {
            ChooseItem(panel, control, 0, key == VAL_UP_ARROW_VKEY ? -1 : 1, false);
            ScrollToSelection(panel, control);
        }
        return;
    default:
        if (control > 0) EditKey(panel, control, key, shift, ctrl);
    }
}

void TypeText(int panel, int control, const std::string &text) {
    if (!PanelTakesInput(panel) || RingPopupOpen(panel)) return;  // the keys of an open list are its own
    bool entry;
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr || p->dimmed) return;
        Control *c = FindControl(p, control);
        entry = c != nullptr && IsEntry(*c);
    }
    if (!entry) {
        // Typing on a button: a character key of no entry is a key press only.
        if (control > 0) {
            for (char ch : text) CallCtrl(panel, control, EVENT_KEYPRESS, static_cast<unsigned char>(ch), 0);
        }
        return;
    }
    // One EVENT_KEYPRESS per byte; a swallowed key is dropped.
    std::string accepted;
    for (char ch : text) {
        if (CallCtrl(panel, control, EVENT_KEYPRESS, static_cast<unsigned char>(ch), 0) == 0) accepted += ch;
    }
    if (!accepted.empty()) InsertText(panel, control, accepted);
}

void Keystroke(int panel, int control, int keyCode) {
    KeyDown(panel, control, keyCode, false);
    if (IsCharacterKey(keyCode)) TypeText(panel, control, std::string(1, static_cast<char>(keyCode & 0xFF)));
}

// ---- pointer ----

void PointerMoved(int panel, int x, int y, bool leftDown, bool rightDown) {
    SetPointer(panel, x, y, leftDown, rightDown);
    bool popup = RingPopupOpen(panel);
    int item = popup ? RingPopupItem(panel, x, y) : -1;
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return;
    if (popup) {
        if (item >= 0) p->view.ringHover = item;
    } else if (p->view.selecting != 0 && leftDown) {
        DragSelection(*p, x);
    }
}

void ButtonDown(int panel, int x, int y, bool right, int clicks) {
    SetPointerButton(panel, x, y, right, true);
    if (!PanelTakesInput(panel)) return;
    if (RingPopupOpen(panel)) {
        // A click on an item chooses it; anywhere else it only closes the list.
        int item = RingPopupItem(panel, x, y);
        {
            Lock hold(ModelLock());
            if (Panel *p = FindPanel(panel)) p->view.ringHover = item;
        }
        CloseRingPopup(panel, !right);
        return;
    }
    int style = 0;
    int control = ControlAt(panel, x, y, &style);
    int event = right ? (clicks >= 2 ? EVENT_RIGHT_DOUBLE_CLICK : EVENT_RIGHT_CLICK)
                      : (clicks >= 2 ? EVENT_LEFT_DOUBLE_CLICK : EVENT_LEFT_CLICK);
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        Control *c = FindControl(p, control);
        if (p == nullptr || p->dimmed || (c != nullptr && c->dimmed)) return;
    }
    if (control == 0) {
        CallPanel(panel, event, y, x);
        return;
    }
    if (CallCtrl(panel, control, event, y, x) != 0 || right) return;  // swallowed; right: no action
    if (CanFocus(panel, control)) FocusByOperator(panel, control);
    ClickAction(panel, control, style, x, y, clicks);
}

void ButtonUp(int panel, int x, int y, bool right) {
    SetPointerButton(panel, x, y, right, false);
    if (right) return;
    int control;
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return;
        ViewState &v = p->view;
        v.selecting = 0;
        if (!v.buttonDown) return;
        v.buttonDown = false;
        control = v.pressedCtrl;
        v.pressedCtrl = 0;
    }
    int style = 0;
    if (ControlAt(panel, x, y, &style) != control) return;  // released elsewhere: no commit
    ToggleAndCommit(panel, control);
}

void WheelTurned(int panel, int x, int y, int lines) {
    int style = 0;
    int control = ControlAt(panel, x, y, &style);
    if (style != CTRL_LIST_BOX) return;
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    Control *c = FindControl(p, control);
    if (c == nullptr) return;
    int count = static_cast<int>(c->items.size()), visible = ListVisibleLines(*c);
    p->view.listTop[control] = std::clamp(ListFirstVisible(*c, &p->view) - lines, 0, std::max(0, count - visible));
}

// ---- window ----

void WindowFocusChanged(int panel, bool hasFocus) {
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return;
        p->view.hasFocus = hasFocus;
        if (!hasFocus) p->view.selecting = 0;
    }
    if (!hasFocus) CloseRingPopup(panel, false);
}

void CloseByOperator(int panel) {
    int closeCtrl = 0;
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return;
        GetAttr(p, nullptr, ATTR_CLOSE_CTRL, &closeCtrl);
    }
    if (CallPanel(panel, EVENT_CLOSE, 0, 0) == 0 && closeCtrl > 0) CallCtrl(panel, closeCtrl, EVENT_COMMIT, 0, 0);
}

// ---- whole actions ----

int PressCtrl(int panel, int control) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    return OutOfMemoryGuard([&] {
        int y = 0, x = 0;
        {
            Lock hold(ModelLock());
            Control *c = FindControl(FindPanel(panel), control);
            y = c->top + c->height / 2;
            x = c->left + c->width / 2;
        }
        if (CallCtrl(panel, control, EVENT_LEFT_CLICK, y, x) != 0) return Finish();
        if (CanFocus(panel, control)) FocusByOperator(panel, control);
        ToggleAndCommit(panel, control);
        return Finish();
    });
}

int TypeIntoCtrl(int panel, int control, const std::string &text) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    {
        Lock hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (!IsEntry(*c)) return UIE_WRONG_ATTRIBUTE;
        if (!IsEditable(*c)) return UIE_BAD_VALUE;
    }
    return OutOfMemoryGuard([&] {
        FocusByOperator(panel, control);
        SelectAll(panel, control);
        TypeOver(panel, control, text);
        // Text that is no number is refused before Enter: the typed text gives way to the value.
        bool refused = false;
        {
            Lock hold(ModelLock());
            Panel *p = FindPanel(panel);
            Control *c = FindControl(p, control);
            if (c == nullptr) return Finish();
            if (c->style == CTRL_NUMERIC && p->view.numericCtrl == control) {
                Control trial = *c;
                refused = SetValueFromText(trial, p->view.numericEdit) < 0;
            }
        }
        if (refused) {
            BeginEdit(panel, control);
            Finish();
            return UIE_BAD_VALUE;
        }
        KeyDown(panel, control, VAL_ENTER_VKEY, false);
        return Finish();
    });
}

int SelectInCtrl(int panel, int control, const std::string &label) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    int found = -1;
    {
        Lock hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (!IsListStyle(c->style)) return UIE_NOT_LIST_CONTROL;
        if (c->mode == VAL_INDICATOR) return UIE_BAD_VALUE;
        for (size_t i = 0; i < c->items.size() && found < 0; ++i) {
            if (c->items[i].label == label) found = static_cast<int>(i);
        }
    }
    if (found < 0) return UIE_BAD_VALUE;
    return OutOfMemoryGuard([&] {
        FocusByOperator(panel, control);
        if (ChooseItem(panel, control, found, 0, false)) CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
        return Finish();
    });
}

int FocusCtrl(int panel, int control) {
    int rc = CheckOperable(panel, control, true);
    if (rc < 0) return rc;
    return OutOfMemoryGuard([&] {
        FocusByOperator(panel, control);
        return Finish();
    });
}

int KeystrokeOnCtrl(int panel, int control, int keyCode) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    return OutOfMemoryGuard([&] {
        Keystroke(panel, control, keyCode);
        return Finish();
    });
}

int TypeOnCtrl(int panel, int control, const std::string &text) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    return OutOfMemoryGuard([&] {
        TypeText(panel, control, text);
        return Finish();
    });
}

int ClosePanelByOperator(int panel) {
    {
        Lock hold(ModelLock());
        if (FindPanel(panel) == nullptr) return UIE_BAD_PANEL;
    }
    return OutOfMemoryGuard([&] {
        CloseByOperator(panel);
        return Finish();
    });
}

int DropFilesOnPanel(int panel, const std::vector<std::string> &paths) {
    {
        Lock hold(ModelLock());
        if (FindPanel(panel) == nullptr) return UIE_BAD_PANEL;
    }
    return OutOfMemoryGuard([&] {
        DeliverDroppedFiles(panel, paths);
        return Finish();
    });
}

}  // namespace rte::internal
