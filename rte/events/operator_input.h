// rte/events/operator_input.h - the one path of operator input (internal, C++): what the operator
// does to panels, with the keyboard, the pointer and the window, and what follows from it.
//
// Every source of input comes through here: the screen display translates window-system events
// into these calls and only draws; operator scripts and the test interface (rte/testing.h) call
// them too. So a key typed on the screen and the same key in a script do the same thing: focus
// order, entry editing (caret, selection, the text of a numeric entry until it is committed),
// ring and list keys, the ring's open list, buttons, the pointer and dropped files all live
// here. What the operator sees beyond the values is kept in each panel's ViewState
// (rte/model/view_state.h).
//
// Callbacks run on the calling thread, in the order an operator's input causes them, with no
// lock held; a callback may discard what it was called for. The functions of the first groups
// do one piece of input and return; the whole actions at the end check that the operator can
// do it, act, and process the events it caused (ProcessSystemEvents) before returning.
#ifndef RTE_EVENTS_OPERATOR_INPUT_H
#define RTE_EVENTS_OPERATOR_INPUT_H

#include <string>
#include <vector>

namespace rte::internal {

// ---- Reach -------------------------------------------------------------------------------
// Whether the operator can reach the control: its panel is shown and not behind a modal popup,
// and the control is visible and not dimmed (with needFocus: and can take the focus). 0, or
// UIE_BAD_PANEL, UIE_BAD_CONTROL, UIE_BAD_VALUE.
int CheckOperable(int panel, int control, bool needFocus);
// The panel's active control (0 when none, or for a panel that is gone).
int ActiveControl(int panel);

// ---- Focus ---------------------------------------------------------------------------------
// The operator's focus move (a click, or Tab): a numeric entry being typed into is committed,
// EVENT_LOST_FOCUS and EVENT_GOT_FOCUS follow, and an entry that gets the focus has its whole
// text selected, so typing replaces it.
void FocusByOperator(int panel, int control);
// The next (or previous) control in tab order after `from` that can take the focus, wrapping
// round; from 0: the first (last). 0 when none can.
int TabNeighbour(int panel, int from, bool backwards);

// ---- Keyboard -------------------------------------------------------------------------------
// A key goes down on `control` (the panel's active control; 0 when none). keyCode is a VAL_..._VKEY
// or a character, or'ed with VAL_SHIFT_MODIFIER, VAL_MENUKEY_MODIFIER (Ctrl), VAL_ALT_MODIFIER.
//   - While a ring's list is open, the keys are its own: Up, Down, Home, End mark an item, Enter
//     or Space chooses it (EVENT_VAL_CHANGED when it differs, EVENT_COMMIT), Esc and Tab close it.
//   - Space, F4 and Alt+Down open the list of a ring; Space presses a command button
//     (EVENT_COMMIT; not again while the key repeats). Space, Enter, F4 and Alt+Down open the
//     colour choice of a colour numeric, whose keys are then its own (rte/events/color_choice.h).
//   - A character without Ctrl or Alt does nothing more here: its text comes as TypeText.
//   - Any other key: EVENT_KEYPRESS to the control; unless swallowed, a key that is a visible,
//     undimmed control's ATTR_SHORTCUT_KEY presses that control (toggle, EVENT_COMMIT; a numeric
//     entry's typed text is committed first), except Enter on a focused command button, which
//     presses that button. Alt and a character that a visible, undimmed control's label marks
//     ("__Cancel": Alt+C) reach the next such control in tab order: a button is pressed (and
//     focused), another control is focused, a label of its own (a text message, a frame) focuses
//     the control after it. Otherwise Tab and Shift+Tab move the focus, Enter commits a numeric
//     entry's typed text and sends EVENT_COMMIT; Up and Down move a list's or ring's choice,
//     Home and End to its first and last item, Page Up and Page Down a list box's by a screenful;
//     Up and Down step a numeric entry's value by one, Page Up and Page Down by ten, within its
//     range (StepNumeric in rte/events/editing.h); the editing keys of an entry (EditKey there:
//     the caret, the selection, words, the clipboard) edit it. EVENT_VAL_CHANGED follows each
//     change of a string entry's value; a numeric entry's value changes when its text is
//     committed.
void KeyDown(int panel, int control, int keyCode, bool autoRepeat);
// Characters typed on `control`: one EVENT_KEYPRESS per byte. For an entry the bytes whose key
// was not swallowed replace its selection at the caret, cut to what ATTR_MAX_ENTRY_LENGTH
// leaves room for; nothing accepted leaves the text as it was. While a ring's list is open the
// keys are its own and the text is dropped.
void TypeText(int panel, int control, const std::string &text);
// A key stroke as a keyboard makes it: KeyDown, then for a character without Ctrl or Alt its
// text (TypeText).
void Keystroke(int panel, int control, int keyCode);

// ---- Pointer (panel coordinates) -----------------------------------------------------------
// `panel` is the panel whose window reports the input. A visible child panel takes the input
// over its client area (the deepest one under the point, in its own coordinates); the panel
// that took a button's press keeps the moves and the release until the buttons are up.
// The pointer moved: GetRelativeMouseState reports it; over an open ring list it marks the item
// under it; with the left button held in an entry it extends the selection.
void PointerMoved(int panel, int x, int y, bool leftDown, bool rightDown);
// A button went down (clicks: 2 for a double click). An open ring list is closed (a left click
// on an item chooses it). Otherwise EVENT_LEFT_CLICK / EVENT_LEFT_DOUBLE_CLICK /
// EVENT_RIGHT_CLICK / EVENT_RIGHT_DOUBLE_CLICK (data1 = y, data2 = x) to the control under the
// pointer (to the panel when none); unless swallowed, a left click moves the focus to it and
// acts: a button is held (it commits when released over it), a list box chooses the line (or
// pages by its scroll bar), a ring opens its list, an entry places the caret (a double click
// selects the whole text; dragging selects), a numeric's arrows step its value.
void ButtonDown(int panel, int x, int y, bool right, int clicks);
// A button went up: a button held down and released over itself toggles (toggle buttons:
// EVENT_VAL_CHANGED) and commits (EVENT_COMMIT).
void ButtonUp(int panel, int x, int y, bool right);
// The wheel turned by lines (positive: up) over a list box, which scrolls.
void WheelTurned(int panel, int x, int y, int lines);

// ---- The panel's window ---------------------------------------------------------------------
// The window got or lost the keyboard; losing it closes an open ring list unchosen.
void WindowFocusChanged(int panel, bool hasFocus);
// The operator closes the panel's window: EVENT_CLOSE to the panel callback, and, unless that
// swallows it, EVENT_COMMIT to its ATTR_CLOSE_CTRL when set. A panel that shows no close item
// (ATTR_CLOSE_ITEM_VISIBLE 0) gets no EVENT_CLOSE: its close control, or else the control whose
// shortcut key is Escape (a dialog's Cancel), is pressed; with neither nothing happens. Nothing
// happens for a panel behind a modal popup.
void CloseByOperator(int panel);
// The panel's window moved on the screen (the operator dragged it, or the window system placed
// it): the panel takes the place (ATTR_TOP, ATTR_LEFT) and its callback gets EVENT_PANEL_MOVE.
void WindowMovedTo(int panel, int top, int left);

// ---- Whole actions (operator scripts, tests): 0 or a negative code -------------------------
// The codes: those of CheckOperable, and UIE_WRONG_ATTRIBUTE when the control does not take that
// input (typing into a button), UIE_NOT_LIST_CONTROL, UIE_BAD_VALUE (an indicator, a label not
// in the list, text that is no number), UIE_OUT_OF_MEMORY (what the action caused so far is
// still processed).

// A click on the control and its release over it: EVENT_LEFT_CLICK at its centre; unless
// swallowed the focus moves to it (when it can take the focus), a toggle button toggles
// (EVENT_VAL_CHANGED), and EVENT_COMMIT follows; a colour numeric opens its colour choice
// instead (rte/events/color_choice.h), whose choice commits.
int PressCtrl(int panel, int control);
// Focus as a click would, select the whole text, type text over it (one EVENT_KEYPRESS per byte,
// cut to the maximum entry length; the selection is replaced by what was accepted, also by
// nothing when every key was swallowed), then Enter (KeyDown). A string or numeric entry, or a
// colour numeric, whose text is a colour ("#RRGGBB", "0xRRGGBB", "RRGGBB") chosen as its colour
// choice's custom entry chooses it (UIE_BAD_VALUE for text that is no colour).
int TypeIntoCtrl(int panel, int control, const std::string &text);
// Focus as a click would, choose the first item with this label (EVENT_VAL_CHANGED when the
// choice changed), then EVENT_COMMIT.
int SelectInCtrl(int panel, int control, const std::string &label);
// The operator's focus move (FocusByOperator) to a control that can take the focus.
int FocusCtrl(int panel, int control);
// One key stroke (Keystroke) on the control.
int KeystrokeOnCtrl(int panel, int control, int keyCode);
// Keys typed at the control as they are: text (TypeText), nothing selected first, no Enter.
int TypeOnCtrl(int panel, int control, const std::string &text);
// CloseByOperator; UIE_BAD_PANEL.
int ClosePanelByOperator(int panel);
// Files dropped on the panel at (x, y) of the panel (kPanelCentre: its centre), through the
// panel's window first (rte/events/window_input.h); UIE_BAD_PANEL.
constexpr int kPanelCentre = -0x7FFFFFFF;
int DropFilesOnPanel(int panel, const std::vector<std::string> &paths, int x = kPanelCentre, int y = kPanelCentre);

}  // namespace rte::internal

#endif
