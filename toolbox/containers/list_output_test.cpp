// Tests of list output: the decorations, the item printers and failing writes.
#include "toolbox/containers/list_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// OutputList into a memory stream: what was written, and the result in *result.
std::string Output(ListHandle list, const char *listPrefix, const char *listSuffix, const char *itemPrefix,
                   const char *itemSeparator, ItemOutputFunction fn, int *result) {
    char *text = nullptr;
    size_t size = 0;
    FILE *stream = open_memstream(&text, &size);
    *result = OutputList(list, stream, listPrefix, listSuffix, itemPrefix, itemSeparator, fn);
    fclose(stream);
    std::string out(text, size);
    free(text);
    return out;
}

TEST(ListOutput, DecorationsAndItemPrinters) {
    ListHandle ints = BuildIntegerList(0, 2, 3, 4, 0), strings = ListCreate(sizeof(char *));
    int result = 0;
    EXPECT_EQ(Output(ints, "[", "]", nullptr, ", ", OutputIntegerItem, &result), "[2, 3, 4]");
    EXPECT_EQ(result, 9);
    EXPECT_EQ(Output(ints, "", " (%d items)", "#%d=", nullptr, OutputIntegerItem, &result), "#1=2#2=3#3=4 (3 items)");
    EXPECT_EQ(Output(ints, "100%% ", nullptr, nullptr, "%d|", OutputIntegerItem, &result), "100% 21|32|4");
    EXPECT_EQ(Output(ints, "<", ">", "x", ",", nullptr, &result), "Error, no output function specified\n");
    EXPECT_EQ(result, 36);

    const char *items[2] = {"a", "b"};
    ListInsertItems(strings, items, LIST_END, 2);
    EXPECT_EQ(Output(strings, nullptr, nullptr, "%d: ", "\n", OutputStringItem, &result), "1: a\n2: b");
    items[0] = nullptr;
    ListReplaceItem(strings, items, 2);
    EXPECT_EQ(Output(strings, nullptr, nullptr, nullptr, " ", OutputStringItem, &result), "a (null)");
    ListClear(strings);
    EXPECT_EQ(Output(strings, "<", "> %d", "x", ",", OutputStringItem, &result), "<> 0");
    EXPECT_EQ(Output(nullptr, "<", ">", "x", ",", OutputIntegerItem, &result), "<>");

    short s = -32768;
    double d = 2.5;
    FILE *sink = fopen("/dev/null", "w");
    EXPECT_EQ(OutputShortItem(sink, &s) * 10 + OutputDoubleItem(sink, &d), 68);  // "-32768", "2.500000"
    fclose(sink);
    ListDispose(ints);
    ListDispose(strings);
}

TEST(ListOutput, FirstFailureEndsTheOutput) {
    ListHandle ints = BuildIntegerList(0, 2, 3, 4, 0);
    int result = 0;
    auto failAtThree = [](FILE *stream, const void *item) {
        return *static_cast<const int *>(item) == 3 ? -5 : OutputIntegerItem(stream, item);
    };
    EXPECT_EQ(Output(ints, "[", "]", nullptr, ",", failAtThree, &result), "[2,");
    EXPECT_EQ(result, -5);
    FILE *readOnly = fopen("/dev/null", "r");  // every write to it fails
    EXPECT_LT(OutputList(ints, readOnly, "[", nullptr, nullptr, nullptr, OutputIntegerItem), 0);
    EXPECT_LT(OutputList(ints, readOnly, nullptr, nullptr, nullptr, nullptr, OutputIntegerItem), 0);
    fclose(readOnly);
    ListDispose(ints);
}

}  // namespace
