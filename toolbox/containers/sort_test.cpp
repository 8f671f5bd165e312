// Tests of sorting and searching: the examples, the three sorts against each other and against
// std::stable_sort on random data of several element sizes, and the comparison functions.
#include "toolbox/containers/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
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

TEST(Sort, SearchingAndOrderedInsertion) {
    int a[3] = {10, 20, 30}, keys[6] = {20, 5, 25, 35, 10, 0};
    V found;
    for (int &k : keys) found.push_back(BinSearch(a, k ? 3 : 0, sizeof(int), &k, IntCompare));
    EXPECT_EQ(found, V({1, -1, -3, -4, 0, -1}));

    ListHandle list = IntList({10, 20, 30}), empty = ListCreate(sizeof(int));
    EXPECT_EQ(V({ListBinSearch(list, &keys[3], IntCompare), ListBinSearch(list, &a[2], IntCompare),
                 ListBinSearch(list, nullptr, IntCompare)}),
              V({0, 3, 0}));
    for (int k : {25, 35, 5}) ASSERT_EQ(ListInsertInOrder(list, &k, IntCompare), 1);
    ASSERT_EQ(ListInsertInOrder(list, ListGetPtrToItem(list, 3), IntCompare), 1);  // its own item
    EXPECT_EQ(Items(list), V({5, 10, 20, 20, 25, 30, 35}));
    ASSERT_EQ(ListInsertInOrder(empty, &a[0], IntCompare), 1);
    EXPECT_EQ(Items(empty), V({10}));
    EXPECT_EQ(ListInsertInOrder(nullptr, &a[0], IntCompare), 0);
    ListDispose(list);
    ListDispose(empty);

    rte::testing::ForEachAllocationFailure([](bool injected) {
        ListHandle l = ListCreate(sizeof(int));
        int k = 1;
        if (l == nullptr) return;  // the fault hit the set-up
        EXPECT_EQ(ListInsertInOrder(l, &k, IntCompare) + ListNumItems(l), injected ? 0 : 2);
        ListDispose(l);
    });
}

int g_comparisons = 0;
int CountingCompare(const void *a, const void *b) {
    ++g_comparisons;
    return IntCompare(a, b);
}

TEST(Sort, SmallCasesSortednessAndStability) {
    ListHandle two = IntList({2, 1}), three = IntList({3, 1, 2});
    ListQuickSort(two, CountingCompare);
    EXPECT_EQ(g_comparisons, 1);
    ListQuickSort(three, CountingCompare);
    EXPECT_EQ(g_comparisons, 4);  // the three of the median of three
    EXPECT_EQ(Items(three), V({1, 2, 3}));
    EXPECT_EQ(ListIsSorted(three, IntCompare) + ListIsSorted(two, IntCompare), 2);
    ListHandle dup = IntList({1, 1, 2}), down = IntList({2, 1});
    EXPECT_EQ(ListIsSorted(dup, IntCompare) * 10 + ListIsSorted(down, IntCompare), 10);
    EXPECT_EQ(ListIsSorted(nullptr, IntCompare), 0);
    for (ListHandle l : {two, three, dup, down}) ListDispose(l);

    struct Rec {
        int key;
        char tag;
    } recs[3] = {{2, 'a'}, {1, 'x'}, {2, 'b'}};
    InsertionSort(recs, 3, sizeof(Rec), IntCompare);  // compares the leading int key
    EXPECT_EQ(std::string({recs[0].tag, recs[1].tag, recs[2].tag}), "xab");
}

template <size_t N>
int FirstByteCompare(const void *a, const void *b) {
    return *static_cast<const unsigned char *>(a) - *static_cast<const unsigned char *>(b);
}

// Sorts the same random data with each list sort, ordered by the whole element (memcmp) and by
// its first byte (many equal keys), against std::stable_sort: the same order where it is fixed
// (whole elements, or the stable insertion sort), else the same keys and the same elements.
template <size_t N>
void CheckSorts(int count) {
    using E = std::array<unsigned char, N>;
    std::mt19937 rng(N * 1000 + count);
    std::vector<E> data(count);
    for (E &e : data) std::generate(e.begin(), e.end(), [&] { return rng() % 16; });
    std::vector<E> all = data;
    std::sort(all.begin(), all.end());
    for (CompareFunction compare : {CompareFunction(nullptr), CompareFunction(FirstByteCompare<N>)}) {
        std::vector<E> oracle = data;
        std::stable_sort(oracle.begin(), oracle.end(),
                         [&](const E &a, const E &b) { return compare ? compare(&a, &b) < 0 : a < b; });
        for (auto sort : {ListQuickSort, ListHeapSort, ListInsertionSort}) {
            ListHandle list = ListCreate(N);
            ListInsertItems(list, data.data(), LIST_END, count);
            rte::testing::ClearAllocationFault();
            sort(list, compare);
            EXPECT_EQ(rte::testing::AllocationCount(), 0) << "sorts must not allocate";
            const E *p = static_cast<const E *>(ListGetDataPtr(list));
            std::vector<E> got(p, p + count);
            ListDispose(list);
            if (compare == nullptr || sort == ListInsertionSort) {
                EXPECT_EQ(got, oracle) << "size " << N;
                continue;
            }
            for (int i = 0; i < count; ++i) ASSERT_EQ(got[i][0], oracle[i][0]) << "size " << N;
            std::sort(got.begin(), got.end());
            EXPECT_EQ(got, all) << "size " << N;
        }
    }
}

TEST(Sort, AllSortsAgreeWithStableSortOnEveryElementSize) {
    for (int count : {0, 1, 5, 17, 600}) {
        CheckSorts<1>(count), CheckSorts<2>(count), CheckSorts<3>(count), CheckSorts<4>(count);
        CheckSorts<6>(count), CheckSorts<8>(count), CheckSorts<24>(count);
    }
    V up(5000), down(5000), same(5000, 7);  // the quick sort's awkward inputs
    for (int i = 0; i < 5000; ++i) up[i] = i, down[i] = 5000 - i;
    for (V values : {up, down, same}) {
        ListHandle list = IntList(values);
        ListQuickSort(list, IntCompare);
        V got = Items(list);
        ListDispose(list);
        EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
    }
}

TEST(Sort, ComparisonFunctionsAndSwapBlock) {
    float one = 1.0f, nan = std::nanf("");
    double d1 = -2.5, d2 = 3;
    short s1 = -300, s2 = 300;
    int i1 = INT32_MIN, i2 = 1;
    EXPECT_EQ(V({FloatCompare(&one, &nan), FloatCompare(&nan, &one), DoubleCompare(&d1, &d2),
                 ShortCompare(&s2, &s1), IntCompare(&i1, &i2), IntCompare(&i2, &i2)}),
              V({1, 1, -1, 1, -1, 0}));

    const char *words[] = {"pear", "Apple", "apple", nullptr, "banana"};  // the elements are pointers
    InsertionSort(words, 5, sizeof(char *), CStringCompare);
    EXPECT_EQ(words[0], nullptr);
    EXPECT_STREQ(words[4], "pear");
    EXPECT_LT(CStringCompare(&words[1], &words[2]), 0);
    EXPECT_EQ(CStringNoCaseCompare(&words[1], &words[2]), 0);
    EXPECT_GT(CStringNoCaseCompare(&words[4], &words[3]), 0);

    alignas(4) char a[9] = "abcdefgh", b[9] = "ABCDEFGH";
    SwapBlock(a, b, 6);  // not a multiple of 4: bytes
    EXPECT_STREQ(a, "ABCDEFgh");
    SwapBlock(a, b, 8);  // two words
    EXPECT_STREQ(a, "abcdefGH");
    SwapBlock(a + 1, b + 1, 4);  // unaligned: bytes
    SwapBlock(a, b, 0);
    EXPECT_STREQ(a, "aBCDEfGH");
}

TEST(SortDeathTest, NullArguments) {
    int a[2] = {1, 2};
    EXPECT_DEATH(BinSearch(a, 2, 4, nullptr, IntCompare), "Parameter 4 to BinSearch was NULL");
    EXPECT_DEATH(HeapSort(nullptr, 2, 4, IntCompare), "Parameter 1 to HeapSort was NULL");
}

}  // namespace
