// toolbox/ui/radio_buttons.cpp - a group of controls used as radio buttons: one on, the others
// off (ctrl_helpers.h).
#include "rte/ui.h"
#include "toolbox/core/check_internal.h"
#include "toolbox/ui/ctrl_helpers.h"
#include "toolbox/ui/ctrl_list_internal.h"

// The loops run over the IDs read, never past them: a count larger than the IDs given would
// otherwise read controls that are not there.
extern "C" int SetSelectedRadioButtons(int panel, int selectedCtrl, int numCtrls, ...) {
    va_list args;
    va_start(args, numCtrls);
    int rc = WithCtrlList(args, numCtrls, [&](ListHandle list) {
        int status = 0;
        for (int i = 1; i <= ListNumItems(list) && status == 0; ++i) {
            int control = CtrlAt(list, i);
            status = SetCtrlVal(panel, control, control == selectedCtrl ? 1 : 0);
        }
        return status;
    });
    va_end(args);
    return rc;
}

extern "C" int GetSelectedRadioButtons(int panel, int *selectedCtrl, int numCtrls, ...) {
    TOOLBOX_CHECK(selectedCtrl != nullptr, "Parameter 2 passed to GetSelectedRadioButtons was NULL.");
    *selectedCtrl = 0;
    va_list args;
    va_start(args, numCtrls);
    int rc = WithCtrlList(args, numCtrls, [&](ListHandle list) {
        for (int i = 1; i <= ListNumItems(list); ++i) {
            int control = CtrlAt(list, i), value = 0;
            int status = GetCtrlVal(panel, control, &value);
            if (status < 0) return status;
            if (value != 0) {
                *selectedCtrl = control;
                break;
            }
        }
        return 0;
    });
    va_end(args);
    return rc;
}
