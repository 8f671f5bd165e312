// Recessed frames: a recessed frame control placed behind a frame control, 1 pixel inside it,
// with the frame's own line made transparent.
#include "toolbox/ui/ui_services.h"

#include "rte/graphics.h"
#include "rte/ui.h"
#include "toolbox/core/errors.h"
#include "toolbox/ui/callback_chain.h"

#include <cstdint>

namespace {

const char kRecessedType[] = "RecessedFrame";

bool IsFrame(int style) { return style == CTRL_RAISED_FRAME || style == CTRL_FLAT_FRAME; }

}  // namespace

extern "C" int RecessCtrlFrame(int panel, int control) {
    Rect r = MakeRect(0, 0, 0, 0);
    int controls = 0, status;
    if ((status = GetCtrlAttribute(panel, control, ATTR_LEFT, &r.left)) < 0 ||
        (status = GetCtrlAttribute(panel, control, ATTR_TOP, &r.top)) < 0 ||
        (status = GetCtrlAttribute(panel, control, ATTR_WIDTH, &r.width)) < 0 ||
        (status = GetCtrlAttribute(panel, control, ATTR_HEIGHT, &r.height)) < 0)
        return status;
    RectGrow(&r, -1, -1);
    if ((status = GetPanelAttribute(panel, ATTR_NUM_CTRLS, &controls)) < 0) return status;
    int companion = NewCtrl(panel, CTRL_RECESSED_FRAME, "", r.top, r.left);
    if (companion < 0) return companion;
    status = ChainCtrlCallback(panel, control, nullptr, reinterpret_cast<void *>(static_cast<intptr_t>(companion)),
                               kRecessedType);
    if (status < 0) {
        // A companion without its link would be a second, unknown frame: it goes again.
        DiscardCtrl(panel, companion);
        return status;
    }
    // Behind everything made before it but the last control, and the frame at the front.
    if ((status = SetCtrlAttribute(panel, companion, ATTR_ZPLANE_POSITION, controls - 1 < 0 ? 0 : controls - 1)) < 0 ||
        (status = SetCtrlAttribute(panel, control, ATTR_ZPLANE_POSITION, 0)) < 0 ||
        (status = SetCtrlAttribute(panel, control, ATTR_FRAME_COLOR, VAL_TRANSPARENT)) < 0 ||
        (status = SetCtrlAttribute(panel, companion, ATTR_WIDTH, r.width)) < 0 ||
        (status = SetCtrlAttribute(panel, companion, ATTR_HEIGHT, r.height)) < 0)
        return status;
    return 0;
}

extern "C" int RecessAllCtrlFrames(int panel) {
    int control = 0, status;
    if ((status = GetPanelAttribute(panel, ATTR_PANEL_FIRST_CTRL, &control)) < 0) return status;
    while (control > 0) {
        int style = 0;
        if ((status = GetCtrlAttribute(panel, control, ATTR_CTRL_STYLE, &style)) < 0) return status;
        if (IsFrame(style) && (status = RecessCtrlFrame(panel, control)) < 0) return status;
        if ((status = GetCtrlAttribute(panel, control, ATTR_NEXT_CTRL, &control)) < 0) return status;
    }
    int child = 0;
    if ((status = GetPanelAttribute(panel, ATTR_FIRST_CHILD, &child)) < 0) return status;
    while (child > 0) {
        if ((status = RecessAllCtrlFrames(child)) < 0) return status;
        if ((status = GetPanelAttribute(child, ATTR_NEXT_PANEL, &child)) < 0) return status;
    }
    return 0;
}
