// toolbox/ui/progress_dialog.cpp - the progress dialog: its panel, indicator and cancel button,
// the reports and the discard (progress_dialog.h).
//
// The dialog's record is the panel's callback data, so the panel handle is the only handle the
// caller holds. The panel's callback frees the record when the panel is discarded, whichever way
// that happens (DiscardProgressDialog, DiscardPanel, the engine's end), so it never leaks. The
// record is read as the base data of the panel's callback chain: a tool tip on the button or a
// window-message callback chains a link of its own in front of the panel's callback.
#include <stdlib.h>

#include "rte/alloc.h"
#include "rte/ui.h"
#include "toolbox/numeric/fp_compare.h"
#include "toolbox/ui/bole_scope_internal.h"
#include "toolbox/ui/callback_chain.h"
#include "toolbox/ui/layout.h"
#include "toolbox/ui/progress_dialog.h"

namespace {

struct ProgressDialogInfo {
    int panel;
    int indicatorCtrl;
    int cancelRequested;  // set by the cancel button; cleared when a report returns it
    int cancelCtrl;       // 0 when there is none
};

constexpr int kEscapeKey = 0x300;  // VAL_ESC_VKEY, the cancelling button's key

int ProgressCancelCallback(int, int, int event, void *callbackData, int, int) {
    auto *info = static_cast<ProgressDialogInfo *>(callbackData);
    if (event == EVENT_COMMIT && info != nullptr) info->cancelRequested = 1;
    return 0;
}

int ProgressPanelCallback(int, int event, void *callbackData, int, int) {
    if (event == EVENT_DISCARD) free(callbackData);
    return 0;
}

// The dialog's record, whatever is chained in front of the panel's callback. 0 or the engine's
// code for a panel that does not exist.
int GetDialogInfo(int dialog, ProgressDialogInfo **info) {
    void *data = nullptr;
    int rc = GetChainedPanelCallbackData(dialog, "", &data);
    *info = static_cast<ProgressDialogInfo *>(data);
    return rc;
}

// The indicator as a progress bar: 0 to 100 in whole numbers, no arrows and no digital display,
// its label 14 pixels in from the top left, the bar below the label. The settings are made
// without checking, as the control was just made of the right kind.
void ConfigureIndicator(int panel, int indicator, int markerStyle) {
    SetCtrlAttribute(panel, indicator, ATTR_WIDTH, 300);
    SetCtrlAttribute(panel, indicator, ATTR_HEIGHT, 14);
    SetCtrlAttribute(panel, indicator, ATTR_DATA_TYPE, VAL_INTEGER);
    SetCtrlAttribute(panel, indicator, ATTR_MIN_VALUE, 0);
    SetCtrlAttribute(panel, indicator, ATTR_MAX_VALUE, 100);
    SetCtrlAttribute(panel, indicator, ATTR_CTRL_MODE, VAL_INDICATOR);  // shows; the operator cannot set it
    SetCtrlAttribute(panel, indicator, ATTR_SHOW_INCDEC_ARROWS, 0);
    SetCtrlAttribute(panel, indicator, ATTR_SHOW_DIGITAL_DISPLAY, 0);
    SetCtrlAttribute(panel, indicator, ATTR_MARKER_STYLE, markerStyle);
    if (markerStyle == 3) SetCtrlAttribute(panel, indicator, ATTR_TICK_STYLE, 3);
    SetCtrlAttribute(panel, indicator, ATTR_FILL_COLOR, VAL_TRANSPARENT);
    int labelHeight = 0;
    GetCtrlAttribute(panel, indicator, ATTR_LABEL_HEIGHT, &labelHeight);
    SetCtrlAttribute(panel, indicator, ATTR_TOP, labelHeight + 14 + 4);
    SetCtrlAttribute(panel, indicator, ATTR_LABEL_LEFT, 14);
    SetCtrlAttribute(panel, indicator, ATTR_LABEL_TOP, 14);
}

// The panel, its indicator and its button; a negative code when something could not be made.
int Build(ProgressDialogInfo *info, const char *label, int markerStyle, const char *cancelLabel) {
    info->indicatorCtrl = NewCtrl(info->panel, CTRL_HORIZONTAL_SLIDE, label, 0, 14);
    if (info->indicatorCtrl < 0) return info->indicatorCtrl;
    if (cancelLabel != nullptr) {
        info->cancelCtrl = NewCtrl(info->panel, CTRL_COMMAND_BUTTON, cancelLabel, -100, -100);
        if (info->cancelCtrl < 0) return info->cancelCtrl;
        int rc = InstallCtrlCallback(info->panel, info->cancelCtrl, ProgressCancelCallback, info);
        if (rc < 0) return rc;
        SetCtrlAttribute(info->panel, info->cancelCtrl, ATTR_SHORTCUT_KEY, kEscapeKey);
    }
    ConfigureIndicator(info->panel, info->indicatorCtrl, markerStyle);
    int boundHeight = 0;
    GetCtrlBoundingRect(info->panel, info->indicatorCtrl, nullptr, nullptr, &boundHeight, nullptr);
    int bottom = boundHeight + 28;
    int rc = CenterCtrl(info->panel, info->indicatorCtrl, 0, 0, bottom, PROGRESS_DIALOG_WIDTH);
    if (rc < 0) return rc;
    if (cancelLabel != nullptr && cancelLabel[0] != '\0') {
        int height = 0, width = 0;
        GetCtrlAttribute(info->panel, info->cancelCtrl, ATTR_HEIGHT, &height);
        GetCtrlAttribute(info->panel, info->cancelCtrl, ATTR_WIDTH, &width);
        SetCtrlAttribute(info->panel, info->cancelCtrl, ATTR_TOP, bottom);
        SetCtrlAttribute(info->panel, info->cancelCtrl, ATTR_LEFT, PROGRESS_DIALOG_WIDTH / 2 - width / 2);
        SetPanelAttribute(info->panel, ATTR_HEIGHT, bottom + 14 + height);
    } else {
        SetPanelAttribute(info->panel, ATTR_HEIGHT, boundHeight + 28);
    }
    return 0;
}

}  // namespace

extern "C" int CreateProgressDialog(const char *title, const char *indicatorLabel, int popup, int markerStyle,
                                    const char *cancelLabel) {
    auto *info = static_cast<ProgressDialogInfo *>(RteCalloc(1, sizeof(ProgressDialogInfo)));
    if (info == nullptr) return UIE_OUT_OF_MEMORY;
    info->panel = NewPanel(0, title, 0, 0, 10, PROGRESS_DIALOG_WIDTH);
    if (info->panel < 0) {
        int rc = info->panel;
        free(info);
        return rc;
    }
    int panel = info->panel;
    SetPanelAttribute(panel, ATTR_HAS_TASKBAR_BUTTON_OFF, 1);
    SetPanelAttribute(panel, ATTR_CLOSE_ITEM_VISIBLE, 0);
    int rc = InstallPanelCallback(panel, ProgressPanelCallback, info);  // the record goes with the panel
    if (rc < 0) {
        DiscardPanel(panel);
        free(info);
        return rc;
    }
    rc = Build(info, indicatorLabel, markerStyle, cancelLabel);
    if (rc < 0) {
        DiscardPanel(panel);  // frees the record
        return rc;
    }
    SetPanelPos(panel, VAL_AUTO_CENTER, VAL_AUTO_CENTER);
    if (popup) InstallPopup(panel);
    else DisplayPanel(panel);
    return panel;
}

extern "C" int UpdateProgressDialog(int dialog, int percent, int processEvents) {
    toolbox::internal::BoleOff bole;
    if (dialog <= 0) return 0;
    ProgressDialogInfo *info = nullptr;
    int rc = GetDialogInfo(dialog, &info);
    if (rc < 0) return rc;
    if (info == nullptr) return 0;
    rc = SetCtrlVal(dialog, info->indicatorCtrl, static_cast<int>(Pin(percent, 0, 100)));
    if (rc < 0) return rc;
    if (processEvents) {
        ProcessSystemEvents();
        // The events may have discarded the dialog (and its record): look again.
        ProgressDialogInfo *still = nullptr;
        if (GetDialogInfo(dialog, &still) < 0 || still != info) return 0;
    }
    int cancelled = info->cancelRequested;
    info->cancelRequested = 0;
    return cancelled;
}

extern "C" void DiscardProgressDialog(int dialog) {
    toolbox::internal::BoleOff bole;
    if (dialog <= 0) return;
    ProgressDialogInfo *info = nullptr;
    if (GetDialogInfo(dialog, &info) < 0) return;
    DiscardPanel(dialog);  // its callback frees the record
}
