// rte/model/ui_model.h - the engine's in-memory model of panels and controls (internal, C++).
//
// Every panel and control lives in one table guarded by ModelLock(). Callbacks are never called
// while that lock is held: code copies the callback and its data out, unlocks, calls, and looks
// the object up again afterwards (a callback may discard it).
#ifndef RTE_MODEL_UI_MODEL_H
#define RTE_MODEL_UI_MODEL_H

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "rte/core/errors.h"
#include "rte/model/view_state.h"
#include "rte/ui.h"

namespace rte::internal {

struct ListItem {
    std::string label;
    std::string text;   // value of a VAL_STRING list
    double number = 0;  // value of a numeric list
};

// A stored attribute value of the generic kind (attributes without special handling).
struct AttrValue {
    int i = 0;
    double d = 0;
    std::string s;
};

struct Control {
    int id = 0;
    int style = 0;
    std::string constName;
    std::string label;
    std::string callbackName;
    CtrlCallbackPtr callback = nullptr;
    void *callbackData = nullptr;
    int top = 0, left = 0, width = 0, height = 0;
    int labelTop = 0, labelLeft = 0;  // panel coordinates (or VAL_AUTO_CENTER)
    int dataType = VAL_STRING;
    int mode = VAL_NORMAL;
    bool visible = true, dimmed = false;
    std::string text;                 // string and text-message value
    double number = 0;                // numeric, colour, toggle value
    double minValue = 0, maxValue = 0;
    int maxEntryLength = -1;
    std::vector<ListItem> items;      // list controls
    int index = -1;                   // selected item, -1 while empty
    double interval = 1.0;            // timers
    bool enabled = true;
    double nextDue = 0, lastTick = -1;
    std::map<int, AttrValue> attrs;   // generic attributes that were set
};

struct Panel {
    int handle = 0;
    int parent = 0;
    unsigned thread = 0;              // owner thread id
    std::string constName;
    std::string title;
    std::string callbackName;
    PanelCallbackPtr callback = nullptr;
    void *callbackData = nullptr;
    int top = 0, left = 0, height = 0, width = 0;
    bool visible = false, dimmed = false;
    bool displayedBefore = false;     // shown once: its starting focus was given
    void *window = nullptr;           // display's window handle (top-level panels)
    int activeCtrl = 0;
    ViewState view;                   // what the operator sees beyond the values
    std::vector<std::unique_ptr<Control>> ctrls;  // in tab order
    std::vector<int> zOrder;          // control IDs, front first
    long zKey = 0;                    // z-order among its siblings: lower is further in front
    std::map<int, AttrValue> attrs;
};

std::recursive_mutex &ModelLock();

// Lookups; call with ModelLock() held. Null when not found.
Panel *FindPanel(int handle);
Control *FindControl(Panel *panel, int id);
std::vector<int> PanelHandles();      // all panels, lowest handle first

// Panels in z-order among their siblings (the children of one parent; the top-level panels),
// front first; a new panel comes in front. Call with ModelLock() held.
std::vector<Panel *> ChildPanels(int parent);  // front first; parent 0: the top-level panels
int PanelZPosition(const Panel &p);          // 0 = frontmost
void MovePanelZ(Panel &p, int position);     // beyond the back: to the back
int FirstChildPanel(const Panel &p);         // the frontmost child, 0 when none
int NextSiblingPanel(const Panel &p);        // the sibling right behind p, 0 when none

// Style families.
bool IsListStyle(int style);
bool IsNumericStyle(int style);       // numeric entry and slides
bool IsStringStyle(int style);        // string entry and text message
bool HasValue(int style);
bool IsValidStyle(int style);
bool IsDecoration(int style);        // frames, pictures, timers, text messages: never focused
bool LabelOutside(int style);        // label drawn beside the body (entries, lists, pictures)
bool CanTakeFocus(const Control &c);
bool IsEditable(const Control &c);    // operator may change the value

// Display state.
bool PanelShown(int handle);         // the panel and all its parents are visible
int TopPopup();                      // newest modal popup, 0 when none
int ActivePanelHandle();             // popup, else newest visible top-level panel, else 0
void DiscardAllPanelsNow();          // DiscardPanel on every top-level panel

// Creation without events or locking concerns (they lock themselves).
int CreatePanel(int parent, const char *title, int top, int left, int height, int width);
int CreateCtrl(int panel, int style, const char *label, int top, int left, int id);
// Removes a panel and its children without sending EVENT_DISCARD (loader clean-up).
void RemovePanelSilently(int handle);

// Operator events: call the control's or panel's callback with the model unlocked (a callback
// may call back into the engine). 0 when the object or its callback is gone.
int CallCtrl(int panel, int control, int event, int data1, int data2);
int CallPanel(int panel, int event, int data1, int data2);
// The operator's focus move: EVENT_LOST_FOCUS to the old control (data1 = the new one), then
// EVENT_GOT_FOCUS to the new one (data1 = the old one). `leaving`, when set, runs first with
// the old control's ID (0 when none). False when the focus did not move (already there, or the
// panel or control went away).
bool MoveOperatorFocus(int panel, int control, const std::function<void(int old)> &leaving);

// Typed attribute access used by the public functions and the loader. kind: 'i', 'd', 's',
// 'p'; the value travels in the matching field.
struct AttrArg {
    int i = 0;
    double d = 0;
    const char *s = nullptr;
    void *p = nullptr;
};
// The type in which an attribute is passed for this object (ctrl null: the panel), or a
// negative code when the attribute is unknown or does not apply.
int AttrKind(Panel *panel, Control *ctrl, int attribute, char *kind);
int SetAttr(Panel *panel, Control *ctrl, int attribute, const AttrArg &value);
int GetAttr(Panel *panel, Control *ctrl, int attribute, void *out);

// Values as text (what a display shows) and setting a value from operator text.
std::string ValueAsText(const Control &c);
int SetValueFromText(Control &c, const std::string &text);  // numerics parse the text

// Clamps a numeric value into the control's range and its data type's range.
double CoerceNumber(const Control &c, double value);

// Changes of what a display would draw. Every call that may change a panel, a control, a value,
// an image or the panel table counts one (before it knows whether it succeeds); a timer's
// interval and enabled state do not count (timers are not drawn), so a hidden timer re-armed
// again and again makes no screen redraw. A display redraws when the count has moved since it
// last drew. Safe on any thread.
void NoteModelChange();
unsigned long ModelChangeCount();

// The area in which SetPanelPos centres a top-level panel, in panel pixels: the screen of the
// display in use (set by it; false or no hook: the headless display's 1024 x 768 at 0, 0).
using ScreenAreaHook = bool (*)(int *top, int *left, int *height, int *width);
void SetScreenAreaHook(ScreenAreaHook hook);

// The display in use learns here when a top-level panel is shown or hidden (it sets the hooks
// when it starts; null hooks do nothing, as on the headless display). Hooks run with
// ModelLock() held and call no callback.
using PanelVisibilityHook = void (*)(int panel);
void SetPanelDisplayHooks(PanelVisibilityHook shown, PanelVisibilityHook hidden);
// The display opens when a panel is first shown: DisplayPanel and InstallPopup call the opener
// (when set) with no lock of theirs held, and fail with its code when it returns one < 0.
using DisplayOpener = int (*)();
void SetDisplayOpener(DisplayOpener opener);
// What DisplayPanel and InstallPopup call first (rte/model/display_opener.cpp): UIE_BAD_PANEL
// for a panel that does not exist, else the opener's result (0 without an opener).
int OpenDisplayForPanel(int panel);

// A new, unique token for a top-level panel's window (ATTR_SYSTEM_WINDOW_HANDLE).
void *NewWindowToken();
// Re-creates a top-level panel's window: its ATTR_SYSTEM_WINDOW_HANDLE changes, and the hook
// (when set) is called with the panel, the old and the new window handle, with no lock held.
// 0, UIE_BAD_PANEL, UIE_NOT_TOP_LEVEL.
using WindowRecreatedHook = void (*)(int panel, void *oldWindow, void *newWindow);
int RecreatePanelWindow(int panel);
void SetWindowRecreatedHook(WindowRecreatedHook hook);

// Controls by the constant names of the panel resource (what operator scripts and tests name;
// they lock the model themselves). FindCtrlByName: the control ID, 0 when none.
// FindCtrlByNameAnywhere searches shown panels first, then hidden ones, lowest handle first.
int FindCtrlByName(int panel, const std::string &constantName);
bool FindCtrlByNameAnywhere(const std::string &constantName, int *panel, int *control);
// A control without a constant name whose label, as the operator reads it (the accelerator
// escape removed, blanks around it ignored), is label: on the topmost popup first, then the
// active panel, the other shown panels and the hidden ones (rte/model/label_lookup.cpp).
bool FindCtrlByLabel(const std::string &label, int *panel, int *control);
std::vector<int> PanelCtrlIDs(int panel);  // in tab order
// What a display shows of a control: its value as text (ValueAsText; empty for a bad panel or
// control), whether it is a list control, and its items' labels.
std::string CtrlValueText(int panel, int control);
bool IsListCtrl(int panel, int control);
std::vector<std::string> CtrlItemLabels(int panel, int control);

}  // namespace rte::internal

#endif
