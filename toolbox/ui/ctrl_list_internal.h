// toolbox/ui/ctrl_list_internal.h - lists of control IDs for the functions that take a group of
// controls, either as a list or as a count and the IDs after it (library-internal, C++).
#ifndef TOOLBOX_UI_CTRL_LIST_INTERNAL_H
#define TOOLBOX_UI_CTRL_LIST_INTERNAL_H

#include <stdarg.h>

#include "toolbox/containers/list.h"

// The control ID at a 1-based position of the list (0 past its end).
inline int CtrlAt(ListHandle list, int position) {
    int control = 0;
    ListGetItem(list, &control, position);
    return control;
}

// Reads numCtrls IDs from args (as GetIntListFromParmInfo does) into a list, gives it to use
// and disposes of it: use's result, or the reading's negative code when the IDs cannot be read.
// The caller brackets this with va_start and va_end.
template <typename Use>
int WithCtrlList(va_list args, int numCtrls, Use use) {
    ListHandle list = nullptr;
    int rc = GetIntListFromParmInfo(args, numCtrls, &list);
    if (rc < 0) return rc;
    rc = use(list);
    ListDispose(list);
    return rc;
}

#endif
