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

#include "rte/events/clipboard.h"
#include "rte/mbs.h"
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
// text from its value); when c was not that entry already, its whole text is selected with the
// caret at the end, as for an entry that gets the focus, so typing replaces it.
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
    v.textScroll = 0;
    int length = static_cast<int>(EditedText(v, c).size());
    v.caret = length;
    v.selStart = 0;
    v.selEnd = length;
    KeepCaretInView(v, c, EditedText(v, c));
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
    KeepCaretInView(p->view, *c, EditedText(p->view, *c));
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
        KeepCaretInView(v, *c, text);
    }
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
}

namespace {

// The byte offsets of the characters before and after `at`: whole characters of a double-byte
// code page, else of UTF-8 (the text that is drawn), never half of one.
int CharBefore(const std::string &text, int at) {
    if (at <= 0) return 0;
    if (RteSystemCodePage != 0) {
        const char *start = text.c_str();
        const char *before = Rte_mbsdec(start, start + at);
        return before != nullptr ? static_cast<int>(before - start) : 0;
    }
    do --at;
    while (at > 0 && (static_cast<unsigned char>(text[static_cast<size_t>(at)]) & 0xC0) == 0x80);
    return at;
}

int CharAfter(const std::string &text, int at) {
    int length = static_cast<int>(text.size());
    if (at >= length) return length;
    if (RteSystemCodePage != 0) return static_cast<int>(Rte_mbsinc(text.c_str() + at) - text.c_str());
    do ++at;
    while (at < length && (static_cast<unsigned char>(text[static_cast<size_t>(at)]) & 0xC0) == 0x80);
    return at;
}

bool IsBlank(const std::string &text, int at) { return text[static_cast<size_t>(at)] == ' ' || text[static_cast<size_t>(at)] == '\t'; }

// Ctrl+Left and Ctrl+Right: to the start of the word before the caret, or of the next word.
int WordBefore(const std::string &text, int at) {
    while (at > 0 && IsBlank(text, CharBefore(text, at))) at = CharBefore(text, at);
    while (at > 0 && !IsBlank(text, CharBefore(text, at))) at = CharBefore(text, at);
    return at;
}

int WordAfter(const std::string &text, int at) {
    int length = static_cast<int>(text.size());
    while (at < length && !IsBlank(text, at)) at = CharAfter(text, at);
    while (at < length && IsBlank(text, at)) at = CharAfter(text, at);
    return at;
}

// Text from the clipboard as one line of an entry: line ends at its end dropped, other control
// characters (line ends, tabs) made blanks.
std::string OneLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    for (char &ch : text) {
        if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
    }
    return text;
}

enum class ClipAction { kNone, kCopy, kCut, kPaste };

ClipAction ClipboardKey(int key, bool shift, bool ctrl) {
    if (ctrl && !shift && (key == 'c' || key == 'C' || key == VAL_INSERT_VKEY)) return ClipAction::kCopy;
    if (ctrl && !shift && (key == 'x' || key == 'X')) return ClipAction::kCut;
    if (ctrl && !shift && (key == 'v' || key == 'V')) return ClipAction::kPaste;
    if (shift && !ctrl && key == VAL_FWD_DELETE_VKEY) return ClipAction::kCut;
    if (shift && !ctrl && key == VAL_INSERT_VKEY) return ClipAction::kPaste;
    return ClipAction::kNone;
}

}  // namespace

// The editing keys of an entry: Backspace, Delete, Left, Right, Home, End (Ctrl+Left and
// Ctrl+Right by words; Shift extends the selection), Ctrl+A, and the clipboard's Ctrl+C,
// Ctrl+X, Ctrl+V (Ctrl+Insert, Shift+Delete, Shift+Insert). EVENT_VAL_CHANGED when a string
// entry's value changed.
void EditKey(int panel, int control, int key, bool shift, bool ctrl) {
    bool changed = false;
    ClipAction clip = ClipboardKey(key, shift, ctrl);
    std::string copied;
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
        if (clip != ClipAction::kNone) {
            if (clip == ClipAction::kPaste) {
                if (!editable) return;
            } else {
                if (e == s) return;  // nothing selected: the clipboard keeps what it has
                copied = text.substr(static_cast<size_t>(s), static_cast<size_t>(e - s));
                if (clip == ClipAction::kCopy || !editable) {
                    clip = ClipAction::kCopy;
                } else {
                    text.erase(static_cast<size_t>(s), static_cast<size_t>(e - s));
                    v.caret = v.selStart = v.selEnd = s;
                    KeepCaretInView(v, *c, text);
                    changed = c->style == CTRL_STRING;
                }
            }
        } else {
            switch (key) {
            case VAL_BACKSPACE_VKEY: case VAL_FWD_DELETE_VKEY:
                if (!editable) return;
                if (e > s) {
                    text.erase(static_cast<size_t>(s), static_cast<size_t>(e - s));
                    caret = s;
                } else if (key == VAL_BACKSPACE_VKEY && caret > 0) {
                    int before = CharBefore(text, caret);
                    text.erase(static_cast<size_t>(before), static_cast<size_t>(caret - before));
                    caret = before;
                } else if (key == VAL_FWD_DELETE_VKEY && caret < length) {
                    text.erase(static_cast<size_t>(caret), static_cast<size_t>(CharAfter(text, caret) - caret));
                } else {
                    return;
                }
                changed = c->style == CTRL_STRING;
                anchor = caret;
                break;
            // Without Shift, Left and Right first put the caret at their end of a selection.
            case VAL_LEFT_ARROW_VKEY:
                caret = ctrl ? WordBefore(text, caret) : (!shift && e > s) ? s : CharBefore(text, caret);
                break;
            case VAL_RIGHT_ARROW_VKEY:
                caret = ctrl ? WordAfter(text, caret) : (!shift && e > s) ? e : CharAfter(text, caret);
                break;
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
            KeepCaretInView(v, *c, text);
        }
    }
    if (clip == ClipAction::kCopy || clip == ClipAction::kCut) SetClipboardText(copied);
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
    if (clip == ClipAction::kPaste) {
        std::string pasted = OneLine(ClipboardText());
        if (!pasted.empty()) InsertText(panel, control, pasted);
    }
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
    if (c != nullptr) ScrollListTo(p->view, *c, c->index);
}

// Steps a numeric entry's value by whole increments within its range, as its arrows do: text
// typed into it counts first (text that is no number gives way to the value); EVENT_VAL_CHANGED
// when the value changed, then EVENT_COMMIT; the entry then shows its value, all selected.
void StepNumeric(int panel, int control, int steps) {
    bool changed;
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        Control *c = FindControl(p, control);
        if (c == nullptr || c->style != CTRL_NUMERIC || !IsEditable(*c)) return;
        double base = c->number;
        if (p->view.numericCtrl == control) {
            Control trial = *c;
            if (SetValueFromText(trial, p->view.numericEdit) == 0) base = trial.number;
            p->view.numericCtrl = 0;
        }
        double next = CoerceNumber(*c, base + steps);
        changed = next != c->number;
        c->number = next;
        NoteModelChange();
    }
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
    CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
    BeginEdit(panel, control);
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
