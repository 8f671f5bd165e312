// Tests of list output: the decorations, the item printers and failing writes.
#include "toolbox/containers/list_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Runs OutputList into a memory stream; returns what was written and stores the result.
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

TEST(ListOutput, Decorations) {
    ListHandle ints = BuildIntegerList(0, 2, 3, 4, 0);
    int result = 0;
    EXPECT_EQ(Output(ints, "[", "]", nullptr, ", ", OutputIntegerItem, &result), "[2, 3, 4]");
    EXPECT_EQ(result, 9);
    EXPECT_EQ(Output(ints, "", " (%d items)", "#%d=", nullptr, OutputIntegerItem, &result), "#1=2#2=3#3=4 (3 items)");
    EXPECT_EQ(result, 22);
    EXPECT_EQ(Output(ints, "100%% ", nullptr, nullptr, "%d|", OutputIntegerItem, &result), "100% 21|32|4");

    ListHandle strings = ListCreate(sizeof(char *));
    const char *a = "a", *b = "b";
    ListInsertItem(strings, &a, LIST_END);
    ListInsertItem(strings, &b, LIST_END);
    EXPECT_EQ(Output(strings, nullptr, nullptr, "%d: ", "\n", OutputStringItem, &result), "1: a\n2: b");
    b = nullptr;
    ListReplaceItem(strings, &b, 2);
    EXPECT_EQ(Output(strings, nullptr, nullptr, nullptr, " ", OutputStringItem, &result), "a (null)");

    ListHandle empty = ListCreate(sizeof(int));
    EXPECT_EQ(Output(empty, "<", "> %d", "x", ",", OutputIntegerItem, &result), "<> 0");
    EXPECT_EQ(Output(nullptr, "<", ">", "x", ",", OutputIntegerItem, &result), "<>");
    EXPECT_EQ(Output(ints, "<", ">", "x", ",", nullptr, &result), "Error, no output function specified\n");
    EXPECT_EQ(result, 36);
    for (ListHandle l : {ints, strings, empty}) ListDispose(l);
}

TEST(ListOutput, ItemPrinters) {
    ListHandle shorts = ListCreate(sizeof(short)), doubles = ListCreate(sizeof(double));
    short s = -32768;
    double d = 2.5;
    ListInsertItem(shorts, &s, LIST_END);
    ListInsertItem(doubles, &d, LIST_END);
    int result = 0;
    EXPECT_EQ(Output(shorts, nullptr, nullptr, nullptr, nullptr, OutputShortItem, &result), "-32768");
    EXPECT_EQ(Output(doubles, nullptr, nullptr, nullptr, nullptr, OutputDoubleItem, &result), "2.500000");
    EXPECT_EQ(result, 8);
    ListDispose(shorts);
    ListDispose(doubles);
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
    ASSERT_NE(readOnly, nullptr);
    EXPECT_LT(OutputList(ints, readOnly, "[", nullptr, nullptr, nullptr, OutputIntegerItem), 0);
    EXPECT_LT(OutputList(ints, readOnly, nullptr, nullptr, nullptr, nullptr, OutputIntegerItem), 0);
    fclose(readOnly);
    ListDispose(ints);
}

}  // namespace
