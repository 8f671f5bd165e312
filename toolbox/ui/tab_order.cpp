// toolbox/ui/tab_order.cpp - walking a panel's control sequence with wrap-around, tab stops, the
// first focusable control, lists of controls sorted by tab position (tab_order.h).
//
// Engine reads here may fail in ordinary use (a control without a mode, a control that was
// discarded), so they run with break-on-library-errors off, and a failed read leaves its value
// at 0, which ends a walk.
#include "rte/ui.h"
#include "toolbox/containers/sort.h"
#include "toolbox/core/thread_locals_internal.h"
#include "toolbox/ui/bole_scope_internal.h"
#include "toolbox/ui/tab_order.h"

namespace {

using toolbox::internal::BoleOff;

int FirstCtrl(int panel) {
    int first = 0;
    GetPanelAttribute(panel, ATTR_PANEL_FIRST_CTRL, &first);
    return first;
}

int NextCtrl(int panel, int control, bool wrap) {
    int next = 0;
    GetCtrlAttribute(panel, control, ATTR_NEXT_CTRL, &next);
    if (wrap && next < 1) next = FirstCtrl(panel);
    return next;
}

int LastCtrl(int panel) {
    int control = FirstCtrl(panel);
    for (int next = control; next >= 1; next = NextCtrl(panel, control, false)) control = next;
    return control;
}

// The most steps a walk can take before it has seen every control.
int StepLimit(int panel) {
    int count = 0;
    GetPanelAttribute(panel, ATTR_NUM_CTRLS, &count);
    return count + 1;
}

int PreviousOf(int panel, int control, bool wrap) {
    int first = FirstCtrl(panel);
    if (wrap && control == first) return LastCtrl(panel);
    for (int c = first; c >= 1;) {
        int next = NextCtrl(panel, c, false);
        if (next == control) return c;
        c = next;
    }
    return 0;
}

int CompareCtrlTabPositions(const void *a, const void *b) {
    int panel = GetThreadLocalBlock()->tabOrderSortPanel;
    int pa = -1, pb = -1;
    GetCtrlAttribute(panel, *static_cast<const int *>(a), ATTR_CTRL_TAB_POSITION, &pa);
    GetCtrlAttribute(panel, *static_cast<const int *>(b), ATTR_CTRL_TAB_POSITION, &pb);
    return pa < pb ? -1 : (pa > pb ? 1 : 0);
}

}  // namespace

extern "C" int PreviousCtrl(int panel, int control, int wrap) {
    BoleOff bole;
    return PreviousOf(panel, control, wrap != 0);
}

extern "C" int CtrlCanBeTabStop(int panel, int control) {
    BoleOff bole;
    int visible = 0, dimmed = 1, mode = VAL_INDICATOR;
    if (GetCtrlAttribute(panel, control, ATTR_VISIBLE, &visible) < 0) return 0;
    GetCtrlAttribute(panel, control, ATTR_DIMMED, &dimmed);
    if (GetCtrlAttribute(panel, control, ATTR_CTRL_MODE, &mode) == UIE_WRONG_ATTRIBUTE) {
        // No mode: the controls without a value. Buttons are pressed by the operator; the
        // decorations never take the focus.
        int style = 0;
        GetCtrlAttribute(panel, control, ATTR_CTRL_STYLE, &style);
        mode = style == CTRL_COMMAND_BUTTON || style == CTRL_PICTURE_COMMAND_BUTTON ? VAL_NORMAL : VAL_INDICATOR;
    }
    return mode != VAL_INDICATOR && dimmed == 0 && visible != 0 ? 1 : 0;
}

extern "C" int NextCtrlInTabOrder(int panel, int control, int forward, int wrap) {
    BoleOff bole;
    int limit = StepLimit(panel);
    int c = control;
    for (int step = 0; step < limit; ++step) {
        c = forward ? NextCtrl(panel, c, wrap != 0) : PreviousOf(panel, c, wrap != 0);
        if (c < 1 || c == control) return 0;
        if (CtrlCanBeTabStop(panel, c)) return c;
    }
    return 0;
}

extern "C" int ActivateFirstCtrl(int panel) {
    BoleOff bole;
    int limit = StepLimit(panel);
    int c = FirstCtrl(panel);
    for (int step = 0; step < limit && c >= 1; ++step) {
        if (CtrlCanBeTabStop(panel, c)) return SetActiveCtrl(panel, c) == 0 ? 1 : 0;
        c = NextCtrl(panel, c, false);
    }
    return 0;
}

extern "C" int GetCtrlList(int panel, ListHandle *ctrlList) {
    int first = 0;
    int rc = GetPanelAttribute(panel, ATTR_PANEL_FIRST_CTRL, &first);
    if (rc < 0) return rc;
    ListHandle list = ListCreate(sizeof(int));
    if (list == nullptr) return UIE_OUT_OF_MEMORY;
    BoleOff bole;
    int limit = StepLimit(panel);
    for (int c = first, step = 0; c >= 1 && step < limit; c = NextCtrl(panel, c, false), ++step) {
        if (!ListInsertItem(list, &c, LIST_END)) {
            ListDispose(list);
            return UIE_OUT_OF_MEMORY;
        }
    }
    *ctrlList = list;
    return 0;
}

extern "C" void SortCtrlListByTabOrder(int panel, ListHandle ctrlList) {
    BoleOff bole;
    GetThreadLocalBlock()->tabOrderSortPanel = panel;
    ListQuickSort(ctrlList, CompareCtrlTabPositions);
}
