// Death tests of the library's argument checks: a wrong call names the function, what was wrong
// with its arguments and the source file of the check, before the message of old.
#include "toolbox/core/check_internal.h"

#include "toolbox/toolbox.h"

#include <gtest/gtest.h>

namespace {

int CompareInts(const void *a, const void *b) { return *static_cast<const int *>(a) - *static_cast<const int *>(b); }

TEST(ToolboxCheckDeathTest, NamesTheFunctionTheArgumentAndTheSourceFile) {
    char out[32];
    int item = 1;
    ListHandle ints = ListCreate(sizeof(int));
    ListInsertItem(ints, &item, LIST_END);
    struct Case {
        void (*call)(ListHandle ints, char *out, int *item);
        const char *shown;
    } cases[] = {
        {[](ListHandle, char *, int *) { FindFileName(nullptr); },
         "Assert!\n\nFindFileName: path is NULL\nNull pathString parameter passed to FindFileName\n\n"
         "The error was detected on line [0-9]+ of file 'toolbox/files/paths\\.cpp'\\."},
        {[](ListHandle, char *out, int *) { ChangeBaseFileName("a/b", out, nullptr); },
         "ChangeBaseFileName: newFileName is NULL\nNull parameters passed to ChangeBaseFileName\n"},
        {[](ListHandle, char *, int *) { GetHandleSize(nullptr); },
         "GetHandleSize: h is NULL\nParameter 1 to GetHandleSize was NULL\\.\n\n"
         "The error was detected on line [0-9]+ of file 'toolbox/containers/handles\\.cpp'"},
        {[](ListHandle, char *, int *item) { BinSearch(nullptr, 2, sizeof(int), item, CompareInts); },
         "BinSearch: array is NULL\nParameter 1 to BinSearch was NULL\\."},
        {[](ListHandle, char *, int *) { GetDataTypeSize(9); },
         "GetDataTypeSize: invalid argument\nParameter 1 passed to GetDataTypeSize was not a valid data type\\."},
        {[](ListHandle ints, char *, int *) { ListDisposePtrList(ints); },
         "ListDisposePtrList: itemSize == kPointerSize does not hold\n"
         "Parameter 1 to ListDisposePtrList is not a list of pointers\\."},
    };
    for (const Case &c : cases) EXPECT_DEATH(c.call(ints, out, &item), c.shown) << c.shown;
    ListDispose(ints);
}

// The checks are expressions, as the DoAssert calls they stand for were.
TEST(ToolboxCheckDeathTest, PassingChecksDoNothingAndFailingOnesStop) {
    int value = 1;
    int *pointer = &value;
    (void)(TOOLBOX_CHECK(value == 1, "never shown"), TOOLBOX_CHECK_ARG(pointer, "never shown"));
    pointer = nullptr;
    EXPECT_DEATH(TOOLBOX_CHECK_ARG(pointer, "gone"), "TestBody: pointer is NULL\ngone\n");
    EXPECT_DEATH(TOOLBOX_CHECK(value > 2, nullptr), "TestBody: value > 2 does not hold\nProgramming error detected\\.\n");
}

}  // namespace
