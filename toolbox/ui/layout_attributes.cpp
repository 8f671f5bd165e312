// toolbox/ui/layout_attributes.cpp - one attribute across a group of controls (largest and
// smallest value, one value for all, the group's extreme for all) and the sides of a control's
// bounding rectangle as attributes (layout.h).
#include "rte/ui.h"
#include "toolbox/core/check_internal.h"
#include "toolbox/ui/ctrl_list_internal.h"
#include "toolbox/ui/layout.h"

namespace {

bool IsBoundRectAttribute(int attribute) { return attribute >= ATTR_BOUND_TOP && attribute <= ATTR_BOUND_WIDTH; }

int ReadAttribute(int panel, int control, int attribute, int *value) {
    if (IsBoundRectAttribute(attribute)) return GetCtrlBoundRectAttribute(panel, control, attribute, value);
    return GetCtrlAttribute(panel, control, attribute, value);
}

int WriteAttribute(int panel, int control, int attribute, int value) {
    if (attribute == ATTR_BOUND_TOP || attribute == ATTR_BOUND_LEFT) {
        return SetCtrlBoundRectAttribute(panel, control, attribute, value);
    }
    return SetCtrlAttribute(panel, control, attribute, value);
}

}  // namespace

extern "C" int GetCtrlBoundRectAttribute(int panel, int control, int attribute, int *value) {
    int top, left, height, width;
    int rc = GetCtrlBoundingRect(panel, control, &top, &left, &height, &width);
    if (rc < 0) return rc;
    switch (attribute) {
    case ATTR_LEFT: case ATTR_BOUND_LEFT: *value = left; break;
    case ATTR_TOP: case ATTR_BOUND_TOP: *value = top; break;
    case ATTR_WIDTH: case ATTR_BOUND_WIDTH: *value = width; break;
    case ATTR_HEIGHT: case ATTR_BOUND_HEIGHT: *value = height; break;
    default: TOOLBOX_CHECK(0, "Bad attribute passed to GetCtrlBoundRectAttribute()"); break;
    }
    return 0;
}

extern "C" int SetCtrlBoundRectAttribute(int panel, int control, int attribute, int value) {
    int own;
    switch (attribute) {
    case ATTR_LEFT: case ATTR_BOUND_LEFT: own = ATTR_LEFT; break;
    case ATTR_TOP: case ATTR_BOUND_TOP: own = ATTR_TOP; break;
    case ATTR_WIDTH: case ATTR_HEIGHT: case ATTR_BOUND_WIDTH: case ATTR_BOUND_HEIGHT: return UIE_OPERATION_NOT_VALID;
    default: TOOLBOX_CHECK(0, "Bad attribute passed to SetCtrlBoundRectAttribute()"); return UIE_OPERATION_NOT_VALID;
    }
    int bound = 0, current = 0;
    int rc = GetCtrlBoundRectAttribute(panel, control, own, &bound);
    if (rc < 0) return rc;
    rc = GetCtrlAttribute(panel, control, own, &current);
    if (rc < 0) return rc;
    // The control moves by as much as its bounding edge must move.
    return SetCtrlAttribute(panel, control, own, value - bound + current);
}

extern "C" int AttrMaxAndMinForList(int panel, ListHandle ctrlList, int attribute, int *maxValue, int *maxCtrl,
                                    int *minValue, int *minCtrl) {
    int hi = 0, hiCtrl = 0, lo = 0, loCtrl = 0;
    int count = ListNumItems(ctrlList);
    for (int i = 1; i <= count; ++i) {
        int control = CtrlAt(ctrlList, i), value = 0;
        int rc = ReadAttribute(panel, control, attribute, &value);
        if (rc < 0) return rc;
        if (i == 1 || value > hi) {
            hi = value;
            hiCtrl = control;
        }
        if (i == 1 || value < lo) {
            lo = value;
            loCtrl = control;
        }
    }
    if (maxValue) *maxValue = hi;
    if (maxCtrl) *maxCtrl = hiCtrl;
    if (minValue) *minValue = lo;
    if (minCtrl) *minCtrl = loCtrl;
    return 0;
}

extern "C" int AttributeMaxAndMin(int panel, int attribute, int numCtrls, int *maxValue, int *maxCtrl, int *minValue,
                                  int *minCtrl, ...) {
    va_list args;
    va_start(args, minCtrl);
    int rc = WithCtrlList(args, numCtrls, [&](ListHandle list) { return AttrMaxAndMinForList(panel, list, attribute, maxValue, maxCtrl, minValue, minCtrl); });
    va_end(args);
    return rc;
}

extern "C" int SetAttributeForList(int panel, ListHandle ctrlList, int attribute, int value) {
    int count = ListNumItems(ctrlList);
    for (int i = 1; i <= count; ++i) {
        int rc = WriteAttribute(panel, CtrlAt(ctrlList, i), attribute, value);
        if (rc < 0) return rc;
    }
    return 0;
}

extern "C" int SetAttributeForCtrls(int panel, int attribute, int value, int numCtrls, ...) {
    va_list args;
    va_start(args, numCtrls);
    int rc = WithCtrlList(args, numCtrls, [&](ListHandle list) { return SetAttributeForList(panel, list, attribute, value); });
    va_end(args);
    return rc;
}

extern "C" int SetAttributeToExtremeForList(int panel, ListHandle ctrlList, int attribute, int useMinimum) {
    int hi = 0, lo = 0;
    int rc = AttrMaxAndMinForList(panel, ctrlList, attribute, &hi, nullptr, &lo, nullptr);
    if (rc < 0) return rc;
    return SetAttributeForList(panel, ctrlList, attribute, useMinimum ? lo : hi);
}

extern "C" int SetCtrlsToAttributeExtreme(int panel, int attribute, int useMinimum, int numCtrls, ...) {
    va_list args;
    va_start(args, numCtrls);
    int rc = WithCtrlList(args, numCtrls, [&](ListHandle list) { return SetAttributeToExtremeForList(panel, list, attribute, useMinimum); });
    va_end(args);
    return rc;
}
