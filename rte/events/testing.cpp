// rte/events/testing.cpp - the test interface (rte/testing.h): a thin layer over the engine's own
// calls, so that a test does what the operator (rte/events/operator_input.h), the clock and a
// display do, by the same path.
#include "rte/testing.h"

#include "rte/core/clock.h"
#include "rte/core/thread_queue.h"
#include "rte/events/operator_input.h"
#include "rte/events/pointer.h"
#include "rte/model/ui_model.h"
#include "rte/ui.h"

namespace rte::testing {

using namespace rte::internal;

// ---- Clock: moving it wakes every waiting event loop, so due timers fire ----

void UseManualClock(double startSeconds) {
    SetManualClock(startSeconds);
    WakeAllThreads();
}

void UseRealClock() {
    SetRealClock();
    WakeAllThreads();
}

void AdvanceClock(double seconds) {
    AdvanceManualClock(seconds);
    WakeAllThreads();
}

// ---- Finding things ----

int FindCtrl(int panel, const std::string &constantName) { return FindCtrlByName(panel, constantName); }

bool FindCtrlAnywhere(const std::string &constantName, int *panel, int *control) {
    return FindCtrlByNameAnywhere(constantName, panel, control);
}

std::vector<int> AllPanels() { return PanelHandles(); }
std::vector<int> PanelCtrls(int panel) { return PanelCtrlIDs(panel); }

// ---- Operator input ----

int Press(int panel, int control) { return PressCtrl(panel, control); }
int Type(int panel, int control, const std::string &text) { return TypeIntoCtrl(panel, control, text); }
int Select(int panel, int control, const std::string &label) { return SelectInCtrl(panel, control, label); }
int Focus(int panel, int control) { return FocusCtrl(panel, control); }
int KeyPress(int panel, int control, int keyCode) { return KeystrokeOnCtrl(panel, control, keyCode); }
int ClosePanel(int panel) { return ClosePanelByOperator(panel); }

int MoveMouse(int panel, int x, int y) {
    bool left = false, right = false;
    if (!PointerOnPanel(panel, nullptr, nullptr, &left, &right)) return UIE_BAD_PANEL;
    PointerMoved(panel, x, y, left, right);
    ProcessSystemEvents();
    return 0;
}

int MouseButton(int panel, bool right, bool down) {
    int x = 0, y = 0;
    if (!PointerOnPanel(panel, &x, &y, nullptr, nullptr)) return UIE_BAD_PANEL;
    if (down) ButtonDown(panel, x, y, right, 1);
    else ButtonUp(panel, x, y, right);
    ProcessSystemEvents();
    return 0;
}

// ---- Simple hooks ----

void SetMouseState(int panel, int x, int y, bool leftDown, bool rightDown) {
    SetPointer(panel, x, y, leftDown, rightDown);
}

int DropFiles(int panel, const std::vector<std::string> &paths) { return DropFilesOnPanel(panel, paths); }

int RecreateWindow(int panel) {
    int rc = RecreatePanelWindow(panel);
    if (rc == 0) ProcessSystemEvents();
    return rc;
}

void SetWindowRecreatedHook(void (*hook)(int panel, void *oldWindow, void *newWindow)) {
    rte::internal::SetWindowRecreatedHook(hook);
}

// ---- What a display shows ----

std::string ValueText(int panel, int control) { return CtrlValueText(panel, control); }
std::vector<std::string> ItemLabels(int panel, int control) { return CtrlItemLabels(panel, control); }
bool IsPanelVisible(int panel) { return PanelShown(panel); }
int ActivePanel() { return ActivePanelHandle(); }
void DiscardAllPanels() { DiscardAllPanelsNow(); }

}  // namespace rte::testing
