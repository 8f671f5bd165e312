// rte/events/operator_input.cpp - the one path of operator input: focus, keys, typing, the
// pointer and the panel's window (rte/events/operator_input.h), over the shared pieces of
// rte/events/editing.h.
#include "rte/events/operator_input.h"

#include <algorithm>
#include <cctype>

#include "rte/events/color_choice.h"
#include "rte/events/editing.h"
#include "rte/events/pointer.h"
#include "rte/events/window_input.h"
#include "rte/model/labels.h"
#include "rte/model/layout.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

// The panel that took the press of a button still held, and which buttons (1 left, 2 right):
// moves and the release go to it, also when the pointer has left it. Input to a thread's panels
// comes on that thread.
thread_local int t_capturePanel = 0;
thread_local int t_captureButtons = 0;

// The panel a pointer event reported for `panel` (as a display reports it: its window's panel)
// goes to, with the point turned into that panel's coordinates: the panel holding a button
// press, else the panel itself while it shows a ring's open list, else the child panel under
// the point.
int PointerTarget(int panel, int *x, int *y) {
    if (t_capturePanel != 0 && PointFromAncestor(panel, t_capturePanel, x, y)) return t_capturePanel;
    if (RingPopupOpen(panel)) return panel;
    return PanelAtPoint(panel, x, y);
}

// A click in an entry puts the caret there (a double click selects the whole text) and starts
// a selection that dragging extends.
void PlaceCaret(int panel, int control, int x, bool selectAll) {
    Lock hold(ModelLock());
    Control *c;
    Panel *p = EntryToEdit(panel, control, &c);
    if (p == nullptr) return;
    ViewState &v = p->view;
    const std::string &text = EditedText(v, *c);
    int at = EntryOffsetAt(*c, text, &v, x);
    v.selStart = selectAll ? 0 : at;
    v.selEnd = v.caret = selectAll ? static_cast<int>(text.size()) : at;
    v.selecting = selectAll ? 0 : control;
    KeepCaretInView(v, *c, text);
}

void DragSelection(Panel &p, int x) {
    ViewState &v = p.view;
    Control *c = FindControl(&p, v.selecting);
    if (c == nullptr || p.activeCtrl != c->id || !IsEntry(*c)) {
        v.selecting = 0;
        return;
    }
    EnsureEditing(p, *c);
    const std::string &text = EditedText(v, *c);
    v.selEnd = v.caret = EntryOffsetAt(*c, text, &v, x);
    KeepCaretInView(v, *c, text);
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

bool IsNumericEntry(int panel, int control) {
    Lock hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    return c != nullptr && c->style == CTRL_NUMERIC;
}

int ItemCount(int panel, int control) {
    Lock hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    return c == nullptr ? 0 : static_cast<int>(c->items.size());
}

// How far Page Up and Page Down move a list box's choice: a screenful less the line kept.
int PageOf(int panel, int control) {
    Lock hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    return c == nullptr ? 1 : std::max(1, ListVisibleLines(*c) - 1);
}

// The visible, undimmed control whose shortcut key (ATTR_SHORTCUT_KEY) is keyCode, or 0.
int ShortcutTarget(int panel, int keyCode) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr || keyCode == 0) return 0;
    for (auto &c : p->ctrls) {
        int shortcut = 0;
        if (!c->visible || c->dimmed || c->style == CTRL_TIMER) continue;
        if (GetAttr(p, c.get(), ATTR_SHORTCUT_KEY, &shortcut) == 0 && shortcut == keyCode) return c->id;
    }
    return 0;
}

// The character an accelerator escape marks in a control's label ("__Cancel": 'c'), lower
// case; 0 when it has none.
int AcceleratorOf(const Control &c) {
    int at;
    std::string text = StripAcceleratorEscape(c.label, &at);
    if (at < 0) return 0;
    unsigned char ch = static_cast<unsigned char>(text[static_cast<size_t>(at)]);
    return ch < 0x80 ? std::tolower(ch) : 0;
}

// The control that Alt and a character reach: the first visible, undimmed control after `from`
// in tab order, wrapping round, whose label marks that character; 0 when none does.
int AcceleratorTarget(int panel, int from, int ch) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr || ch <= 0 || ch >= 0x80) return 0;
    ch = std::tolower(ch);
    size_t n = p->ctrls.size(), at = n;
    for (size_t i = 0; i < n; ++i) {
        if (p->ctrls[i]->id == from) at = i;
    }
    for (size_t k = 1; k <= n; ++k) {
        Control &c = *p->ctrls[(at + k) % (n == 0 ? 1 : n)];
        if (c.visible && !c.dimmed && c.style != CTRL_TIMER && AcceleratorOf(c) == ch) return c.id;
    }
    return 0;
}

// Alt and a control's accelerator: a button is pressed (with the focus, when it can take it),
// a control that can take the focus gets it, and a label of its own (a text message, a frame)
// gives the focus to the control after it in tab order.
void UseAccelerator(int panel, int control) {
    int style;
    {
        Lock hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (c == nullptr) return;
        style = c->style;
    }
    bool focusable = CanFocus(panel, control);
    if (IsButton(style) || IsToggle(style)) {
        if (focusable) FocusByOperator(panel, control);
        ToggleAndCommit(panel, control);
    } else if (focusable) {
        FocusByOperator(panel, control);
    } else if (int next = TabNeighbour(panel, control, false)) {
        FocusByOperator(panel, next);
    }
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
    case CTRL_COLOR_NUMERIC:
        OpenColorChoice(panel, control);
        break;
    case CTRL_STRING:
        PlaceCaret(panel, control, x, clicks >= 2);
        break;
    case CTRL_NUMERIC: {
        int arrow = 0;
        {
            Lock hold(ModelLock());
            Control *c = FindControl(FindPanel(panel), control);
            if (c == nullptr) return;
            if (IsEditable(*c)) arrow = NumericArrowAt(*c, x, y);
        }
        if (arrow != 0) StepNumeric(panel, control, arrow);
        else PlaceCaret(panel, control, x, clicks >= 2);
        break;
    }
    default: break;
    }
}

// Input of one kind for the window layer (rte/events/window_input.h).
RteWindowInput Input(int kind, int x = 0, int y = 0) {
    RteWindowInput in{};
    in.kind = kind;
    in.x = x;
    in.y = y;
    return in;
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
    RteWindowInput in = Input(RTE_INPUT_KEY_DOWN);
    in.keyCode = keyCode;
    in.autoRepeat = autoRepeat;
    if (!PassWindowInput(panel, in)) return;
    if (RingPopupOpen(panel)) {
        RingPopupKey(panel, keyCode);
        return;
    }
    if (ColorChoiceOpen(panel)) {
        ColorChoiceKey(panel, keyCode);
        return;
    }
    int key = keyCode & 0xFFFF;
    bool character = IsCharacterKey(keyCode);
    bool ring = false, button = false, list = false, colour = false;
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr || p->dimmed) return;
        if (Control *c = FindControl(p, control)) {
            ring = IsRing(*c);
            button = IsButton(c->style);
            list = IsListStyle(c->style);
            colour = c->style == CTRL_COLOR_NUMERIC;
        }
    }
    // Space, F4 and Alt+Down open the list of a ring.
    if (ring && ((key == ' ' && character) || key == VAL_F4_VKEY ||
                 (key == VAL_DOWN_ARROW_VKEY && (keyCode & VAL_ALT_MODIFIER)))) {
        OpenRingPopup(panel, control);
        return;
    }
    // Space, Enter, F4 and Alt+Down open the colour choice of a colour numeric.
    if (colour && ((key == ' ' && character) || key == VAL_ENTER_VKEY || key == VAL_F4_VKEY ||
                   (key == VAL_DOWN_ARROW_VKEY && (keyCode & VAL_ALT_MODIFIER)))) {
        OpenColorChoice(panel, control);
        return;
    }
    // Space presses a button; the key's text then gives the button its EVENT_KEYPRESS.
    if (button && key == ' ' && character) {
        if (!autoRepeat) CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
        return;
    }
    if (character) return;  // its text comes as TypeText
    if (control > 0 && CallCtrl(panel, control, EVENT_KEYPRESS, keyCode, 0) != 0) return;
    // A control's shortcut key presses it wherever the focus is (a dialog's Enter and Escape),
    // except that Enter on a focused button presses that button.
    if (!(button && key == VAL_ENTER_VKEY)) {
        if (int target = ShortcutTarget(panel, keyCode)) {
            bool typing;
            {
                Lock hold(ModelLock());
                Panel *p = FindPanel(panel);
                typing = p != nullptr && control > 0 && p->view.numericCtrl == control;
            }
            if (typing) {
                CommitNumericEdit(panel);  // the typed number counts before the dialog acts
                BeginEdit(panel, control);
            }
            ToggleAndCommit(panel, target);
            return;
        }
    }
    bool shift = (keyCode & VAL_SHIFT_MODIFIER) != 0, ctrl = (keyCode & VAL_MENUKEY_MODIFIER) != 0;
    // Alt and the character a label marks ("__Cancel") reach that control.
    if ((keyCode & VAL_ALT_MODIFIER) && !ctrl && key < 0x80) {
        if (int target = AcceleratorTarget(panel, control, key)) {
            UseAccelerator(panel, target);
            return;
        }
    }
    bool numeric = control > 0 && IsNumericEntry(panel, control);
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
    case VAL_UP_ARROW_VKEY: case VAL_DOWN_ARROW_VKEY: case VAL_PAGE_UP_VKEY: case VAL_PAGE_DOWN_VKEY: {
        bool up = key == VAL_UP_ARROW_VKEY || key == VAL_PAGE_UP_VKEY;
        bool page = key == VAL_PAGE_UP_VKEY || key == VAL_PAGE_DOWN_VKEY;
        if (numeric) {
            StepNumeric(panel, control, (up ? 1 : -1) * (page ? 10 : 1));
        } else if (list && (!page || !ring)) {
            ChooseItem(panel, control, 0, (up ? -1 : 1) * (page ? PageOf(panel, control) : 1), false);
            ScrollToSelection(panel, control);
        }
        return;
    }
    case VAL_HOME_VKEY: case VAL_END_VKEY:
        if (list) {
            ChooseItem(panel, control, key == VAL_HOME_VKEY ? 0 : ItemCount(panel, control) - 1, 0, false);
            ScrollToSelection(panel, control);
            return;
        }
        if (control > 0) EditKey(panel, control, key, shift, ctrl);
        return;
    default:
        if (control > 0) EditKey(panel, control, key, shift, ctrl);
    }
}

void TypeText(int panel, int control, const std::string &typed) {
    if (!PanelTakesInput(panel) || RingPopupOpen(panel)) return;  // the keys of an open list are its own
    // Each byte reaches the window first; what it takes is not typed.
    std::string text;
    for (char ch : typed) {
        RteWindowInput in = Input(RTE_INPUT_CHARACTER);
        in.keyCode = static_cast<unsigned char>(ch);
        if (PassWindowInput(panel, in)) text += ch;
    }
    if (text.empty()) return;
    if (ColorChoiceOpen(panel)) {
        ColorChoiceText(panel, text);  // hex digits for its custom entry
        return;
    }
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
    RteWindowInput in = Input(RTE_INPUT_POINTER_MOVED, x, y);
    in.leftDown = leftDown;
    in.rightDown = rightDown;
    if (!PassWindowInput(panel, in)) return;
    if (!leftDown && !rightDown) t_captureButtons = t_capturePanel = 0;  // released out of sight
    panel = PointerTarget(panel, &x, &y);
    ColorChoicePointer(panel, x, y);
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
    RteWindowInput in = Input(RTE_INPUT_BUTTON_DOWN, x, y);
    in.right = right;
    in.clicks = clicks;
    in.leftDown = !right;
    in.rightDown = right;
    if (!PassWindowInput(panel, in)) return;
    panel = PointerTarget(panel, &x, &y);
    t_capturePanel = panel;
    t_captureButtons |= right ? 2 : 1;
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
    if (ColorChoiceOpen(panel)) {
        if (right) CloseColorChoice(panel);
        else ColorChoiceClick(panel, x, y);
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
    RteWindowInput in = Input(RTE_INPUT_BUTTON_UP, x, y);
    in.right = right;
    bool engine = PassWindowInput(panel, in);
    panel = PointerTarget(panel, &x, &y);
    if ((t_captureButtons &= right ? ~2 : ~1) == 0) t_capturePanel = 0;
    if (!engine || right) return;
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
    if (!PanelTakesInput(panel)) return;
    RteWindowInput in = Input(RTE_INPUT_WHEEL, x, y);
    in.wheelLines = lines;
    if (!PassWindowInput(panel, in)) return;
    panel = PanelAtPoint(panel, &x, &y);
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
    if (!hasFocus) {
        CloseRingPopup(panel, false);
        CloseColorChoice(panel);
    }
}

void CloseByOperator(int panel) {
    if (!PanelTakesInput(panel)) return;
    if (!PassWindowInput(panel, Input(RTE_INPUT_CLOSE))) return;
    int closeCtrl = 0, closeItem = 1;
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return;
        GetAttr(p, nullptr, ATTR_CLOSE_CTRL, &closeCtrl);
        GetAttr(p, nullptr, ATTR_CLOSE_ITEM_VISIBLE, &closeItem);
    }
    if (closeItem == 0) {
        // A panel that offers no close item of its own (a progress dialog) takes the window's
        // close button as its close control or, lacking one, as Escape: the control whose
        // shortcut key is Escape (its Cancel). With neither, nothing happens.
        if (closeCtrl <= 0) closeCtrl = ShortcutTarget(panel, VAL_ESC_VKEY);
        if (closeCtrl > 0) ToggleAndCommit(panel, closeCtrl);
        return;
    }
    if (CallPanel(panel, EVENT_CLOSE, 0, 0) == 0 && closeCtrl > 0) CallCtrl(panel, closeCtrl, EVENT_COMMIT, 0, 0);
}

void WindowMovedTo(int panel, int top, int left) {
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr || (p->top == top && p->left == left)) return;
        p->top = top;
        p->left = left;
    }
    CallPanel(panel, EVENT_PANEL_MOVE, 0, 0);
}

}  // namespace rte::internal
