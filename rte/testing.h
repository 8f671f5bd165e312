// rte/testing.h - drives the engine from tests in-process (C++): operator input, the manual
// clock, and what a display would show. Test-only: never installed, and nothing of the engine
// depends on it.
//
// A thin layer over the engine's own calls: the input functions go through the one path of
// operator input (rte/events/operator_input.h) that the screen display and operator scripts use,
// so a test sees what a key or a click does on the screen. They act as the operator would and
// then process the events they cause on the calling thread (which should be the panel's
// thread), so the panel's callbacks have run when they return:
//
//     int panel = LoadPanel(0, "QM7300_Test.uir", 1);
//     int list = rte::testing::FindCtrl(panel, "PANEL_LIST");
//     EXPECT_EQ(rte::testing::Press(panel, list), 0);
//     EXPECT_EQ(rte::testing::ValueText(panel, rte::testing::FindCtrl(panel, "PANEL_STATUS")), "");
//
// They return 0, or a negative engine code: UIE_BAD_PANEL / UIE_BAD_CONTROL, UIE_WRONG_ATTRIBUTE
// when the control cannot take that input (typing into a button), UIE_BAD_VALUE when the
// operator could not do it (a dimmed or indicator control, a label not in the list, text that
// is not a number for a numeric control).
#ifndef RTE_TESTING_H
#define RTE_TESTING_H

#include <string>
#include <vector>

namespace rte::testing {

// ---- Clock ----
void UseManualClock(double startSeconds = 1000.0);  // Timer() stands still until advanced
void UseRealClock();                                // back to the monotonic clock
// Moves the manual clock forward and wakes every waiting event loop; due timers fire when
// their thread next processes events.
void AdvanceClock(double seconds);

// ---- Finding things ----
int FindCtrl(int panel, const std::string &constantName);   // control ID, or 0 when none
// Searches every panel (lowest handle first); stores panel and control, returns false if none.
bool FindCtrlAnywhere(const std::string &constantName, int *panel, int *control);
std::vector<int> AllPanels();                               // handles, lowest first
std::vector<int> PanelCtrls(int panel);                     // control IDs in tab order

// ---- Operator input (processes the resulting events before returning) ----
// Mouse click on the control: EVENT_LEFT_CLICK, then (unless swallowed) the focus moves to it
// (EVENT_LOST_FOCUS / EVENT_GOT_FOCUS) and EVENT_COMMIT follows (a colour numeric opens its
// colour choice instead). A commit of a control without callback is reported to GetUserEvent.
int Press(int panel, int control);
// Select-all, type the text (cut to ATTR_MAX_ENTRY_LENGTH; one EVENT_KEYPRESS per character,
// a swallowed key is dropped; the selection is replaced by what was accepted), then Enter. A
// string entry: EVENT_VAL_CHANGED when the value changed, EVENT_KEYPRESS of Enter, EVENT_COMMIT.
// A numeric entry: text that is no number gives UIE_BAD_VALUE before Enter (the value stays);
// otherwise EVENT_KEYPRESS of Enter, then (unless swallowed) the text becomes the value
// (EVENT_VAL_CHANGED when it changed) and EVENT_COMMIT. The focus first moves to the control as
// a click would. A colour numeric takes a colour ("#RRGGBB", "0xRRGGBB", "RRGGBB") as its colour
// choice's custom entry does: EVENT_VAL_CHANGED when it changed, EVENT_COMMIT; UIE_BAD_VALUE for
// text that is no colour.
int Type(int panel, int control, const std::string &text);
// Chooses the first item with this label in a list control: focus, EVENT_VAL_CHANGED if the
// index changed, EVENT_COMMIT.
int Select(int panel, int control, const std::string &label);
// Moves the focus as the operator would (a click or Tab): EVENT_LOST_FOCUS to the old control,
// EVENT_GOT_FOCUS to the new one. Focusing the active control again sends nothing.
int Focus(int panel, int control);
// One key stroke on the control, as the keyboard makes it on the screen (see KeyDown and
// TypeText in rte/events/operator_input.h): EVENT_KEYPRESS, then unless swallowed the key acts:
// a character is typed at the caret of an entry, Tab and Shift+Tab move the focus, Enter
// commits, Up and Down move a list's choice or step a numeric, Alt and a label's marked letter
// reach its control, Backspace, Delete, Left, Right, Home, End and the clipboard's keys edit.
int KeyPress(int panel, int control, int keyCode);
// The operator closes the panel's window: EVENT_CLOSE to the panel callback, and EVENT_COMMIT
// to its ATTR_CLOSE_CTRL when set; a panel that shows no close item gets no EVENT_CLOSE, and its
// close control, or else its Escape button, is pressed (rte/events/operator_input.h).
int ClosePanel(int panel);

// The mouse, as the screen display reports it for a panel's window (panel: a top-level panel;
// coordinates: its client area). MoveMouse moves the pointer there with the buttons as they
// are; MouseButton presses or releases a button where the pointer is: a press sends
// EVENT_LEFT_CLICK / EVENT_RIGHT_CLICK (data1 = y, data2 = x) to the control under it (to the
// panel when none) and acts as a click does; a release over a pressed button commits it. A
// visible child panel under the pointer takes the input in its own coordinates, and the panel
// that took a press keeps the input until the buttons are up. 0 or UIE_BAD_PANEL.
int MoveMouse(int panel, int x, int y);
int MouseButton(int panel, bool right, bool down);

// ---- Simple hooks ----
// Sets the pointer position (panel coordinates) and buttons that GetRelativeMouseState reports,
// without any input event.
void SetMouseState(int panel, int x, int y, bool leftDown, bool rightDown);
// Drops files on the middle of a panel: EVENT_DROP to its callback with the paths readable
// through RteGetDroppedFile during the callback; on a window that accepts files
// (RteSetWindowAcceptsFiles) the window layer sees the drop first. DropFilesAt drops at (x, y)
// of the panel, which may lie outside it.
int DropFiles(int panel, const std::vector<std::string> &paths);
int DropFilesAt(int panel, const std::vector<std::string> &paths, int x, int y);
// Re-creates a top-level panel's window: its ATTR_SYSTEM_WINDOW_HANDLE changes.
int RecreateWindow(int panel);
// Called after each window re-creation with the panel, the old and the new window handle.
void SetWindowRecreatedHook(void (*hook)(int panel, void *oldWindow, void *newWindow));

// ---- Popup menus (RteTrackPopupMenu) ----
struct MenuLineView {
    std::string label;
    int command = 0;
    bool separator = false, checked = false, dimmed = false, isDefault = false;
};
// The open menu's lines (empty when none is open) and its top-left corner on the screen.
std::vector<MenuLineView> OpenMenuLines(int *left = nullptr, int *top = nullptr);
// Answers every popup menu that opens from now on: answer runs while the menu is open (it may
// read OpenMenuLines) and returns the command to choose, 0 to dismiss. Null: no longer.
void SetMenuAnswer(int (*answer)(void *context), void *context);

// ---- What a display shows ----
// The value as text: strings as they are, numbers by their data type (integers in decimal,
// floating point with up to 15 significant digits), list controls the selected label, buttons
// and decorations their label, toggles 0/1. Empty for a bad panel or control.
std::string ValueText(int panel, int control);
std::vector<std::string> ItemLabels(int panel, int control);  // list controls; empty otherwise
bool IsPanelVisible(int panel);
int ActivePanel();                                            // GetActivePanel()

// Discards every panel and clears the engine's per-test state (popups, quit flags, the clock
// stays as it is). For test fixtures.
void DiscardAllPanels();

}  // namespace rte::testing

#endif
