// Tests of sorting and searching: the examples, the three sorts against each other and against
// std::stable_sort on random data of several element sizes, and the comparison functions.
#include "toolbox/containers/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "rte/alloc_testing.h"

namespace {

using V = std::vector<int>;

ListHandle IntList(const V &values) {
    ListHandle list = ListCreate(sizeof(int));
    ListInsertItems(list, values.data(), LIST_END, static_cast<int>(values.size()));
    return list;
}

V Items(ListHandle list) {
    const int *p = static_cast<const int *>(ListGetDataPtr(list));
    return V(p, p + ListNumItems(list));
}

TEST(Sort, BinarySearchAndOrderedInsertion) {
    int a[3] = {10, 20, 30};
    int key = 0;
    EXPECT_EQ(BinSearch(a, 0, 4, &key, IntCompare), -1);
    for (auto [k, expected] : std::vector<std::pair<int, int>>{{20, 1}, {5, -1}, {25, -3}, {35, -4}, {10, 0}})
        EXPECT_EQ(BinSearch(a, 3, 4, &k, IntCompare), expected) << k;

    ListHandle list = IntList({10, 20, 30});
    key = 30;
    EXPECT_EQ(ListBinSearch(list, &key, IntCompare), 3);
    key = 25;
    EXPECT_EQ(ListBinSearch(list, &key, IntCompare), 0);
    EXPECT_EQ(ListBinSearch(list, nullptr, IntCompare), 0);
    ASSERT_EQ(ListInsertInOrder(list, &key, IntCompare), 1);
    key = 35;
    ASSERT_EQ(ListInsertInOrder(list, &key, IntCompare), 1);
    key = 5;
    ASSERT_EQ(ListInsertInOrder(list, &key, IntCompare), 1);
    ASSERT_EQ(ListInsertInOrder(list, ListGetPtrToItem(list, 3), IntCompare), 1);  // its own item
    EXPECT_EQ(Items(list), V({5, 10, 20, 20, 25, 30, 35}));
    EXPECT_EQ(ListInsertInOrder(nullptr, &key, IntCompare), 0);
    ListDispose(list);

    ListHandle empty = ListCreate(sizeof(int));
    ASSERT_EQ(ListInsertInOrder(empty, &key, IntCompare), 1);
    EXPECT_EQ(Items(empty), V({5}));
    ListDispose(empty);

    rte::testing::ForEachAllocationFailure([](bool injected) {
        ListHandle l = ListCreate(sizeof(int));
        if (l == nullptr) return;
        int k = 1;
        EXPECT_EQ(ListInsertInOrder(l, &k, IntCompare), injected ? 0 : 1);
        EXPECT_EQ(ListNumItems(l), injected ? 0 : 1);
        ListDispose(l);
    });
}

TEST(Sort, SortednessAndStability) {
    for (auto [values, sorted] : std::vector<std::pair<V, int>>{{{1, 1, 2}, 1}, {{2, 1}, 0}, {{}, 1}, {{4}, 1}}) {
        ListHandle list = IntList(values);
        EXPECT_EQ(ListIsSorted(list, IntCompare), sorted);
        ListDispose(list);
    }
    EXPECT_EQ(ListIsSorted(nullptr, IntCompare), 0);

    struct Rec {
        int key;
        char tag;
    } recs[3] = {{2, 'a'}, {1, 'x'}, {2, 'b'}};
    InsertionSort(recs, 3, sizeof(Rec), IntCompare);  // compares the leading int key
    EXPECT_EQ(std::string({recs[0].tag, recs[1].tag, recs[2].tag}), "xab");
}

int g_comparisons = 0;
int CountingCompare(const void *a, const void *b) {
    ++g_comparisons;
    return IntCompare(a, b);
}

TEST(Sort, QuickSortOfTwoAndThree) {
    ListHandle two = IntList({2, 1}), three = IntList({3, 1, 2});
    g_comparisons = 0;
    ListQuickSort(two, CountingCompare);
    EXPECT_EQ(g_comparisons, 1);
    g_comparisons = 0;
    ListQuickSort(three, CountingCompare);
    EXPECT_EQ(g_comparisons, 3);
    EXPECT_EQ(Items(two), V({1, 2}));
    EXPECT_EQ(Items(three), V({1, 2, 3}));
    ListDispose(two);
    ListDispose(three);
}

// Elements of N bytes ordered by their first byte only, so that there are many equal keys.
template <size_t N>
int FirstByteCompare(const void *a, const void *b) {
    return *static_cast<const unsigned char *>(a) - *static_cast<const unsigned char *>(b);
}

// Sorts the same random data with the three list sorts and the array heap sort, ordered by the
// whole element (memcmp) and by a key with many duplicates, and checks each against
// std::stable_sort: the same elements in the same key order, and exactly the oracle's order
// where it is fixed (distinct elements, or the stable insertion sort).
template <size_t N>
void CheckSortsOnElementSize(int count, unsigned seed) {
    using E = std::array<unsigned char, N>;
    std::mt19937 rng(seed);
    std::vector<E> data(count);
    for (E &e : data)
        for (auto &b : e) b = static_cast<unsigned char>(rng() % 16);  // small range: duplicates
    for (CompareFunction compare : {static_cast<CompareFunction>(nullptr), &FirstByteCompare<N>}) {
        std::vector<E> oracle = data;
        std::stable_sort(oracle.begin(), oracle.end(), [&](const E &a, const E &b) {
            return compare ? compare(&a, &b) < 0 : memcmp(&a, &b, N) < 0;
        });
        auto key = [&](const E &e) { return compare ? e[0] : 0; };
        for (auto sort : {ListQuickSort, ListHeapSort, ListInsertionSort}) {
            ListHandle list = ListCreate(N);
            ASSERT_EQ(ListInsertItems(list, data.data(), LIST_END, count), count > 0 ? 1 : 0);
            rte::testing::ClearAllocationFault();
            sort(list, compare);
            EXPECT_EQ(rte::testing::AllocationCount(), 0) << "sorts must not allocate";
            std::vector<E> got(static_cast<E *>(ListGetDataPtr(list)), static_cast<E *>(ListGetDataPtr(list)) + count);
            ListDispose(list);
            if (compare == nullptr || sort == ListInsertionSort) {
                EXPECT_EQ(got, oracle) << "size " << N;
            } else {
                for (int i = 0; i < count; ++i) ASSERT_EQ(key(got[i]), key(oracle[i])) << "size " << N;
                std::sort(got.begin(), got.end());
                std::vector<E> all = data;
                std::sort(all.begin(), all.end());
                EXPECT_EQ(got, all) << "size " << N;
            }
        }
        std::vector<E> heap = data;
        HeapSort(heap.data(), count, N, nullptr);
        std::vector<E> full = data;
        std::sort(full.begin(), full.end());
        EXPECT_EQ(heap, full);
    }
}

TEST(Sort, AllSortsAgreeWithStableSortOnEveryElementSize) {
    for (int count : {0, 1, 5, 17, 600}) {
        CheckSortsOnElementSize<1>(count, 1);
        CheckSortsOnElementSize<2>(count, 2);
        CheckSortsOnElementSize<3>(count, 3);
        CheckSortsOnElementSize<4>(count, 4);
        CheckSortsOnElementSize<6>(count, 6);
        CheckSortsOnElementSize<8>(count, 8);
        CheckSortsOnElementSize<24>(count, 24);
    }
}

TEST(Sort, QuickSortOnOrderedAndEqualRuns) {
    V up(5000), down(5000), same(5000, 7);
    for (int i = 0; i < 5000; ++i) up[i] = i, down[i] = 5000 - i;
    for (const V &values : {up, down, same}) {
        ListHandle list = IntList(values);
        ListQuickSort(list, IntCompare);
        V expected = values;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Items(list), expected);
        ListDispose(list);
    }
}

TEST(Sort, ComparisonFunctionsAndSwapBlock) {
    float one = 1.0f, nan = std::nanf("");
    EXPECT_EQ(FloatCompare(&one, &nan), 1);
    EXPECT_EQ(FloatCompare(&nan, &one), 1);
    double d1 = -2.5, d2 = 3;
    EXPECT_EQ(DoubleCompare(&d1, &d2), -1);
    short s1 = -300, s2 = 300;
    EXPECT_EQ(ShortCompare(&s2, &s1), 1);
    int i1 = INT32_MIN, i2 = 1;
    EXPECT_EQ(IntCompare(&i1, &i2), -1);

    const char *words[] = {"pear", "Apple", "apple", nullptr, "banana"};
    std::vector<const char *> w(words, words + 5);
    ListHandle list = ListCreate(sizeof(char *));
    ListInsertItems(list, w.data(), LIST_END, 5);  // the items are the pointers
    ListInsertionSort(list, CStringCompare);
    const char **p = static_cast<const char **>(ListGetDataPtr(list));
    EXPECT_EQ(p[0], nullptr);
    EXPECT_STREQ(p[1], "Apple");
    EXPECT_STREQ(p[2], "apple");
    EXPECT_LT(CStringCompare(&p[1], &p[2]), 0);
    EXPECT_EQ(CStringNoCaseCompare(&p[1], &p[2]), 0);
    EXPECT_GT(CStringNoCaseCompare(&words[0], &words[4]), 0);
    ListDispose(list);

    alignas(4) char a[9] = "abcdefgh", b[9] = "ABCDEFGH";
    SwapBlock(a, b, 6);  // not a multiple of 4: bytes
    EXPECT_STREQ(a, "ABCDEFgh");
    SwapBlock(a, b, 8);  // two words
    EXPECT_STREQ(a, "abcdefGH");
    SwapBlock(a + 1, b + 1, 4);  // unaligned: bytes
    EXPECT_STREQ(a, "aBCDEfGH");
    SwapBlock(a, b, 0);
    EXPECT_STREQ(b, "AbcdeFgh");
}

TEST(SortDeathTest, NullArguments) {
    int a[2] = {1, 2};
    EXPECT_DEATH(BinSearch(a, 2, 4, nullptr, IntCompare), "Parameter 4 to BinSearch was NULL");
    EXPECT_DEATH(HeapSort(nullptr, 2, 4, IntCompare), "Parameter 1 to HeapSort was NULL");
}

}  // namespace
