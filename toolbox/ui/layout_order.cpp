// toolbox/ui/layout_order.cpp - z-plane and tab order of one control next to another, and the
// keys of a dialog (layout.h).
//
// The engine renumbers the other controls when one control's position changes (setting a
// position takes the control out and puts it back in at that place), so giving the moved
// control the reference's position, or the one after it, leaves it right beside the reference.
#include "rte/ui.h"
#include "toolbox/ui/layout.h"

namespace {

constexpr int kEnterKey = 0x500;   // VAL_ENTER_VKEY: the confirming button's shortcut
constexpr int kEscapeKey = 0x300;  // VAL_ESC_VKEY: the cancelling button's shortcut

// Moves control next to reference in the order the attribute keeps: behind (after) it, or in
// front of (before) it.
int Reorder(int panel, int reference, int control, int attribute, bool after) {
    int a = 0, b = 0;
    int rc = GetCtrlAttribute(panel, reference, attribute, &a);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, attribute, &b);
    if (rc < 0) return rc;
    int target;
    if (after) target = a <= b ? a + 1 : a;  // taking control out first moves the reference up
    else target = a <= b ? a : a - 1;
    return SetCtrlAttribute(panel, control, attribute, target);
}

}  // namespace

extern "C" int MoveBehind(int panel, int referenceCtrl, int control) {
    return Reorder(panel, referenceCtrl, control, ATTR_ZPLANE_POSITION, true);
}

extern "C" int MoveInFront(int panel, int referenceCtrl, int control) {
    return Reorder(panel, referenceCtrl, control, ATTR_ZPLANE_POSITION, false);
}

extern "C" int PlaceAfter(int panel, int referenceCtrl, int control) {
    return Reorder(panel, referenceCtrl, control, ATTR_CTRL_TAB_POSITION, true);
}

extern "C" int PlaceBefore(int panel, int referenceCtrl, int control) {
    return Reorder(panel, referenceCtrl, control, ATTR_CTRL_TAB_POSITION, false);
}

extern "C" int SetCommonDialogShortcutKeys(int panel, int confirmCtrl, int cancelCtrl, int closeCtrl) {
    int rc = 0;
    if (confirmCtrl > 0) rc = SetCtrlAttribute(panel, confirmCtrl, ATTR_SHORTCUT_KEY, kEnterKey);
    if (rc == 0 && cancelCtrl > 0) rc = SetCtrlAttribute(panel, cancelCtrl, ATTR_SHORTCUT_KEY, kEscapeKey);
    if (rc == 0 && closeCtrl > 0) rc = SetPanelAttribute(panel, ATTR_CLOSE_CTRL, closeCtrl);
    return rc;
}
