// toolbox/ui/ctrl_strings.cpp - string values of controls of any length: their length, and a
// heap copy (ctrl_helpers.h).
#include <stdlib.h>

#include "rte/alloc.h"
#include "rte/ui.h"
#include "toolbox/core/check_internal.h"
#include "toolbox/ui/bole_scope_internal.h"
#include "toolbox/ui/ctrl_helpers.h"

extern "C" int GetCtrlValStringLength(int panel, int control, int *length) {
    TOOLBOX_CHECK(length != nullptr, "Parameter 3 passed to GetCtrlValStringLength was NULL.");
    int type = 0;
    int rc = GetCtrlAttribute(panel, control, ATTR_DATA_TYPE, &type);
    if (rc < 0) return rc;
    if (type != VAL_STRING) return UIE_WRONG_DATA_TYPE;
    {
        // String and text controls know their length; list controls do not have it.
        toolbox::internal::BoleOff bole;
        if (GetCtrlAttribute(panel, control, ATTR_STRING_TEXT_LENGTH, length) == 0) return 0;
    }
    int index = -1;
    rc = GetCtrlIndex(panel, control, &index);
    if (rc < 0) return rc;
    if (index < 0) return UIE_NO_CURRENT_ITEM;
    return GetValueLengthFromIndex(panel, control, index, length);
}

extern "C" int AllocateCtrlValString(int panel, int control, char **string) {
    TOOLBOX_CHECK(string != nullptr, "Parameter 3 passed to AllocateCtrlValString was NULL.");
    *string = nullptr;
    int length = 0;
    int rc = GetCtrlValStringLength(panel, control, &length);
    if (rc < 0) return rc;
    char *block = static_cast<char *>(RteMalloc(static_cast<size_t>(length) + 1));
    if (block == nullptr) return UIE_OUT_OF_MEMORY;
    block[0] = '\0';
    *string = block;
    return GetCtrlVal(panel, control, block);
}
