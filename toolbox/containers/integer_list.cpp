// Integer lists: lists of int built from variable argument lists, as used for lists of control
// IDs. A value of 1 or less ends the arguments (control IDs are at least 2).
#include <cstdarg>

#include "toolbox/containers/list.h"
#include "toolbox/core/check_internal.h"

namespace {

constexpr int kOutOfMemory = -12;  // the engine's out-of-memory code

}  // namespace

extern "C" int GetIntListFromParmInfo(va_list args, int numIntegers, ListHandle *list) {
    TOOLBOX_CHECK_ARG(list, "Parameter 3 to GetIntListFromParmInfo was NULL.");
    *list = ListCreate(sizeof(int));
    if (*list == nullptr) return kOutOfMemory;
    for (int stored = 0; numIntegers == 0 || stored < numIntegers; ++stored) {
        int value = va_arg(args, int);
        if (value <= 1) break;
        if (!ListInsertItem(*list, &value, LIST_END)) {
            ListDispose(*list);
            *list = nullptr;
            return kOutOfMemory;
        }
    }
    return 0;
}

extern "C" ListHandle BuildIntegerList(int numIntegers, ...) {
    ListHandle list = nullptr;
    va_list args;
    va_start(args, numIntegers);
    GetIntListFromParmInfo(args, numIntegers, &list);
    va_end(args);
    return list;
}

extern "C" int AppendToIntegerList(ListHandle list, int numIntegers, ...) {
    ListHandle values = nullptr;
    va_list args;
    va_start(args, numIntegers);
    int error = GetIntListFromParmInfo(args, numIntegers, &values);
    va_end(args);
    if (error == 0 && !ListAppend(list, values)) error = kOutOfMemory;
    ListDispose(values);
    return error == 0;
}
