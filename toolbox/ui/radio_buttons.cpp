// toolbox/ui/radio_buttons.cpp - a group of controls used as radio buttons: one on, the others
// off (ctrl_helpers.h).
#include <stdarg.h>

#include "rte/ui.h"
#include "toolbox/containers/list.h"
#include "toolbox/core/check_internal.h"
#include "toolbox/ui/ctrl_helpers.h"

namespace {

int CtrlAt(ListHandle list, int position) {
    int control = 0;
    ListGetItem(list, &control, position);
    return control;
}

}  // namespace

// The loops run over the IDs read, never past them: a count larger than the IDs given would
// otherwise read controls that are not there.
extern "C" int SetSelectedRadioButtons(int panel, int selectedCtrl, int numCtrls, ...) {
    ListHandle list = nullptr;
    va_list args;
    va_start(args, numCtrls);
    int rc = GetIntListFromParmInfo(args, numCtrls, &list);
    va_end(args);
    if (rc < 0) return rc;
    int count = ListNumItems(list);
    for (int i = 1; i <= count && rc == 0; ++i) {
        int control = CtrlAt(list, i);
        rc = SetCtrlVal(panel, control, control == selectedCtrl ? 1 : 0);
    }
    ListDispose(list);
    return rc;
}

extern "C" int GetSelectedRadioButtons(int panel, int *selectedCtrl, int numCtrls, ...) {
    TOOLBOX_CHECK(selectedCtrl != nullptr, "Parameter 2 passed to GetSelectedRadioButtons was NULL.");
    *selectedCtrl = 0;
    ListHandle list = nullptr;
    va_list args;
    va_start(args, numCtrls);
    int rc = GetIntListFromParmInfo(args, numCtrls, &list);
    va_end(args);
    if (rc < 0) return rc;
    int count = ListNumItems(list);
    for (int i = 1; i <= count; ++i) {
        int control = CtrlAt(list, i), value = 0;
        rc = GetCtrlVal(panel, control, &value);
        if (rc < 0) break;
        if (value != 0) {
            *selectedCtrl = control;
            break;
        }
    }
    ListDispose(list);
    return rc;
}
