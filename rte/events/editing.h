// rte/events/editing.h - the pieces of operator input that the keyboard, the pointer and the
// whole actions share (internal to the events layer, C++): an entry's caret, selection and
// typed numeric text (kept in the panel's ViewState), a list's or ring's choice, the ring's open
// list, and buttons. Functions taking handles lock the model themselves and call callbacks with
// it released; those taking a Panel or Control want ModelLock() held.
#ifndef RTE_EVENTS_EDITING_H
#define RTE_EVENTS_EDITING_H

#include <mutex>
#include <string>

#include "rte/model/ui_model.h"

namespace rte::internal {

using Lock = std::lock_guard<std::recursive_mutex>;

// Kinds of control as input sees them.
bool IsEntry(const Control &c);   // string or numeric entry
bool IsRing(const Control &c);    // a list control that is not a list box
bool IsButton(int style);         // command buttons
bool IsToggle(int style);         // toggle buttons
// A character key: a byte of text, without Ctrl or Alt.
bool IsCharacterKey(int keyCode);
// Input reaches a panel unless a modal popup other than it is up.
bool PanelTakesInput(int panel);
// Whether the control can take the focus now.
bool CanFocus(int panel, int control);

// ---- Entries ----
// The text the operator edits: a numeric entry's typed text while it is typed into, a string
// entry's value.
std::string &EditedText(ViewState &v, Control &c);
// Makes c the entry that the caret and the selection belong to (a numeric entry starts its
// typed text from its value); the caret goes to the end when c was not that entry already.
void EnsureEditing(Panel &p, Control &c);
// The panel with the entry `control` made the one being edited (EnsureEditing), and the entry
// through *entry; null when the control is no entry or is gone. Call with ModelLock() held.
Panel *EntryToEdit(int panel, int control, Control **entry);
// The caret and the selection [start, end) of an edited text, kept inside it.
struct TextSpan {
    int length, caret, start, end;
};
TextSpan SpanOf(const ViewState &v, const std::string &text);
// Selects an entry's whole text, the caret at its end.
void SelectAll(int panel, int control);
// An entry that got the focus starts afresh from its value with its whole text selected.
void BeginEdit(int panel, int control);
// Commits the text typed into the panel's numeric entry as its value (text that is no number
// keeps the value); EVENT_VAL_CHANGED when the value changed.
enum class Committed { kNothing, kUnchanged, kChanged, kBadText };
Committed CommitNumericEdit(int panel);
// Replaces an entry's selection with typed text, cut to what the maximum entry length leaves
// room for; EVENT_VAL_CHANGED when a string entry's value changed.
void InsertText(int panel, int control, const std::string &typed);
// The editing keys of an entry: Backspace, Delete, Left, Right, Home, End (Ctrl+Left and
// Ctrl+Right by words; Shift extends the selection), Ctrl+A, and the clipboard
// (rte/events/clipboard.h): Ctrl+C and Ctrl+Insert copy the selection, Ctrl+X and Shift+Delete
// cut it, Ctrl+V and Shift+Insert paste over it (as typed text, without key events; line ends
// and tabs become blanks). EVENT_VAL_CHANGED when a string entry's value changed.
void EditKey(int panel, int control, int key, bool shift, bool ctrl);
// Steps a numeric entry's value by whole increments within its range (text typed into it counts
// first): EVENT_VAL_CHANGED when it changed, then EVENT_COMMIT; its whole text is then selected.
void StepNumeric(int panel, int control, int steps);

// ---- Lists and rings ----
// Moves the choice by delta (wrapping or stopping at the ends), or to index when delta is 0;
// EVENT_VAL_CHANGED when it moved. False when the control cannot be changed now or the index is
// not one of its items.
bool ChooseItem(int panel, int control, int index, int delta, bool wrap);
// Keeps the chosen line of a list box in view after the keyboard moved it.
void ScrollToSelection(int panel, int control);
// The ring's open list of items: opened with its chosen item marked; closed, with choose its
// marked item chosen (EVENT_VAL_CHANGED when it differs, then EVENT_COMMIT); the item under a
// point (-1 when none); whether one is open on the panel; the keys while it is: Up, Down, Home,
// End mark, Enter and Space choose, Escape and Tab close.
void OpenRingPopup(int panel, int control);
void CloseRingPopup(int panel, bool choose);
int RingPopupItem(int panel, int x, int y);
bool RingPopupOpen(int panel);
void RingPopupKey(int panel, int keyCode);

// ---- Buttons ----
// A button released over itself: a toggle button toggles (EVENT_VAL_CHANGED), then EVENT_COMMIT.
void ToggleAndCommit(int panel, int control);

}  // namespace rte::internal

#endif
