// toolbox/ui/layout_position.cpp - placing controls: labels on the left, even spacing, one
// control relative to another, a right edge, centring in an area (layout.h).
#include "rte/ui.h"
#include "toolbox/ui/ctrl_list_internal.h"
#include "toolbox/ui/layout.h"

namespace {

struct Box {
    int top = 0, left = 0, height = 0, width = 0;
};

// The control's bounding rectangle, or its own rectangle.
int ReadBox(int panel, int control, bool bounding, Box *b) {
    if (bounding) return GetCtrlBoundingRect(panel, control, &b->top, &b->left, &b->height, &b->width);
    int rc = GetCtrlAttribute(panel, control, ATTR_TOP, &b->top);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_LEFT, &b->left);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_HEIGHT, &b->height);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_WIDTH, &b->width);
    return rc;
}

// Where the control's near edge goes on one axis: before the reference (0), lined up with it
// by the alignment (1), after it (2). False when the alignment names no place.
bool Place(int part, int alignment, int refStart, int refSize, int size, int gap, int *start) {
    switch (part) {
    case 0: *start = refStart - size - gap; return true;
    case 2: *start = refStart + refSize + gap; return true;
    default:
        switch (alignment) {
        case 0: *start = refStart; return true;
        case 1: *start = refStart + (refSize - size) / 2; return true;
        case 2: *start = refStart + refSize - size; return true;
        default: return false;
        }
    }
}

}  // namespace

extern "C" int PutLabelOnLeft(int panel, int control, int gap) {
    int left = 0, labelWidth = 0;
    int rc = GetCtrlAttribute(panel, control, ATTR_LEFT, &left);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_LABEL_WIDTH, &labelWidth);
    if (rc == 0) rc = SetCtrlAttribute(panel, control, ATTR_LABEL_LEFT, left - labelWidth - 1);
    if (rc == 0) rc = SetCtrlAttribute(panel, control, ATTR_LABEL_TOP, VAL_AUTO_CENTER);
    if (rc == 0) rc = SetCtrlAttribute(panel, control, ATTR_LABEL_LEFT, left - labelWidth - gap);
    return rc;
}

extern "C" int PutLabelsOnLeftForList(int panel, ListHandle ctrlList, int gap) {
    int count = ListNumItems(ctrlList);
    for (int i = 1; i <= count; ++i) {
        int rc = PutLabelOnLeft(panel, CtrlAt(ctrlList, i), gap);
        if (rc < 0) return rc;
    }
    return 0;
}

extern "C" int PutLabelsOnLeft(int panel, int gap, int numCtrls, ...) {
    va_list args;
    va_start(args, numCtrls);
    int rc = WithCtrlList(args, numCtrls, [&](ListHandle list) { return PutLabelsOnLeftForList(panel, list, gap); });
    va_end(args);
    return rc;
}

extern "C" int DistributeCtrlsInList(int panel, ListHandle ctrlList, int direction, int mode, int *position, int value) {
    if (position == nullptr) return UIE_NULL_POINTER;
    bool vertical = direction == VAL_TB_DIRECTION;
    int place = vertical ? ATTR_TOP : ATTR_LEFT, extent = vertical ? ATTR_HEIGHT : ATTR_WIDTH;
    int count = ListNumItems(ctrlList);
    int gap = 2;
    if (mode == VAL_FIXED_GAP) {
        gap = value;
    } else if (count >= 2) {
        int total = 0;
        for (int i = 1; i <= count; ++i) {
            int size = 0;
            int rc = GetCtrlBoundRectAttribute(panel, CtrlAt(ctrlList, i), extent, &size);
            if (rc < 0) return rc;
            total += size;
        }
        gap = (value - total) / (count - 1);
    }
    for (int i = 1; i <= count; ++i) {
        int control = CtrlAt(ctrlList, i), size = 0;
        int rc = GetCtrlBoundRectAttribute(panel, control, extent, &size);
        if (rc == 0) rc = SetCtrlBoundRectAttribute(panel, control, place, *position);
        if (rc < 0) return rc;
        *position += size;
        if (i < count) *position += gap;
    }
    return 0;
}

extern "C" int DistributeCtrls(int panel, int direction, int mode, int *position, int value, int numCtrls, ...) {
    va_list args;
    va_start(args, numCtrls);
    int rc = WithCtrlList(args, numCtrls, [&](ListHandle list) { return DistributeCtrlsInList(panel, list, direction, mode, position, value); });
    va_end(args);
    return rc;
}

extern "C" int PositionCtrlRelativeToCtrl(int panel, int referenceCtrl, int referenceBounding, int control,
                                          int controlBounding, int gap, int position, int alignment) {
    Box ref, box;
    int ownTop = 0, ownLeft = 0;
    int rc = ReadBox(panel, referenceCtrl, referenceBounding != 0, &ref);
    if (rc == 0) rc = ReadBox(panel, control, controlBounding != 0, &box);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_TOP, &ownTop);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_LEFT, &ownLeft);
    if (rc < 0) return rc;
    // A position outside the keypad, or an alignment that names no place, decides nothing on
    // its axis: the control keeps its place there.
    int top = box.top, left = box.left;
    if (position >= 0 && position <= 8) {
        Place(position % 3, alignment, ref.left, ref.width, box.width, gap, &left);
        Place(position / 3, alignment, ref.top, ref.height, box.height, gap, &top);
    }
    // The rectangle placed is moved as the control's own position moves.
    rc = SetCtrlAttribute(panel, control, ATTR_TOP, ownTop + (top - box.top));
    if (rc < 0) return rc;
    return SetCtrlAttribute(panel, control, ATTR_LEFT, ownLeft + (left - box.left));
}

extern "C" int SetCtrlRightPosition(int panel, int control, int right) {
    int width = 0;
    int rc = GetCtrlAttribute(panel, control, ATTR_WIDTH, &width);
    if (rc < 0) return rc;
    return SetCtrlAttribute(panel, control, ATTR_LEFT, right - width);
}

extern "C" int CenterCtrl(int panel, int control, int areaTop, int areaLeft, int areaHeight, int areaWidth) {
    Box bound;
    int top = 0, left = 0;
    int rc = ReadBox(panel, control, true, &bound);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_TOP, &top);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_LEFT, &left);
    if (rc < 0) return rc;
    int targetTop = areaTop + (areaHeight - bound.height) / 2;
    int targetLeft = areaLeft + (areaWidth - bound.width) / 2;
    rc = SetCtrlAttribute(panel, control, ATTR_TOP, top + (targetTop - bound.top));
    if (rc < 0) return rc;
    return SetCtrlAttribute(panel, control, ATTR_LEFT, left + (targetLeft - bound.left));
}
