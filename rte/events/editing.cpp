// rte/events/editing.cpp - the pieces of operator input that keys, the pointer and whole
// actions share: an entry's caret, selection and typed numeric text, a list's or ring's choice,
// the ring's open list, buttons (rte/events/editing.h).
//
// The model is read and changed under ModelLock(); callbacks are called with it released, and
// every step looks its panel and control up again afterwards, since a callback may have
// discarded them. Edits of a value are made whole (the new text is built, then swapped in), so
// running out of memory leaves the old value or the new one, never a part.
#include "rte/events/editing.h"

#include <algorithm>

#include "rte/model/layout.h"
#include "rte/ui.h"

namespace rte::internal {

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

Panel *EntryToEdit(int panel, int control, Control **entry) {
    Panel *p = FindPanel(panel);
    Control *c = FindControl(p, control);
    if (c == nullptr || !IsEntry(*c)) return nullptr;
    EnsureEditing(*p, *c);
    *entry = c;
    return p;
}

TextSpan SpanOf(const ViewState &v, const std::string &text) {
    TextSpan t;
    t.length = static_cast<int>(text.size());
    t.caret = v.caret < 0 ? t.length : std::min(v.caret, t.length);
    t.start = std::clamp(std::min(v.selStart, v.selEnd), 0, t.length);
    t.end = std::clamp(std::max(v.selStart, v.selEnd), 0, t.length);
    return t;
}

// Selects an entry's whole text, the caret at its end.
void SelectAll(int panel, int control) {
    Lock hold(ModelLock());
    Control *c;
    Panel *p = EntryToEdit(panel, control, &c);
    if (p == nullptr) return;
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
        Control *c;
        Panel *p = EntryToEdit(panel, control, &c);
        if (p == nullptr || !IsEditable(*c)) return;
        ViewState &v = p->view;
        std::string &text = EditedText(v, *c);
        TextSpan t = SpanOf(v, text);
        int length = t.length, s = t.start, e = t.end;
        if (e == s) s = e = t.caret;
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
        Control *c;
        Panel *p = EntryToEdit(panel, control, &c);
        if (p == nullptr) return;
        ViewState &v = p->view;
        std::string &text = EditedText(v, *c);
        TextSpan t = SpanOf(v, text);
        int length = t.length, caret = t.caret, s = t.start, e = t.end;
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

}  // namespace rte::internal
