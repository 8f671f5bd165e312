// Tests of the list container: growth, position rules, failures and the integer lists.
#include "toolbox/containers/list.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <vector>

#include "rte/alloc_testing.h"

namespace {

using V = std::vector<int>;

const ListHeader *Head(ListHandle list) { return static_cast<const ListHeader *>(list->data); }

// A list of ints appended one at a time (3 to 5 values give capacity 5); NULL on failure.
ListHandle IntList(V values) {
    ListHandle list = ListCreate(sizeof(int));
    for (int &v : values) {
        if (list != nullptr && !ListInsertItem(list, &v, LIST_END)) {
            ListDispose(list);
            return nullptr;
        }
    }
    return list;
}

V Items(ListHandle list) {
    V out(ListNumItems(list));
    ListGetItems(list, out.data(), 1, ListNumItems(list));
    return out;
}

TEST(List, NewListAndGrowthByPolicy) {
    ListHandle list = ListCreate(sizeof(int));
    const ListHeader *h = Head(list);
    EXPECT_EQ(V({h->signature, h->growthPercent, h->minGrowth, h->capacity, h->itemSize, h->numItems}),
              V({0x4C495354, 10, 4, 0, 4, 0}));
    EXPECT_NE(ListGetDataPtr(list), nullptr);
    EXPECT_EQ(ListGetPtrToItem(list, LIST_FRONT), nullptr);
    V capacities;
    for (int i = 1; i <= 52; ++i) {
        ASSERT_EQ(ListInsertItem(list, &i, LIST_END), 1);
        if (i == 1 || i == 6 || i == 12 || i == 25 || i == 52) capacities.push_back(Head(list)->capacity);
    }
    EXPECT_EQ(capacities, V({5, 11, 24, 51, 108}));
    ListDispose(list);

    ListHandle four = IntList({1, 2, 3, 4});
    ASSERT_EQ(ListInsertItems(four, nullptr, LIST_END, 5), 1);
    EXPECT_EQ(Head(four)->capacity, 15);  // 5 + 5 + max(5 * 110 / 100, 4)
    ListSetAllocationPolicy(four, -3, -200);  // a nonsensical policy still adds what is needed
    ASSERT_EQ(ListInsertItems(four, nullptr, LIST_END, 7), 1);
    EXPECT_EQ(Head(four)->capacity, 22);
    EXPECT_EQ(ListPreAllocate(four, 10), 1);
    EXPECT_EQ(Head(four)->capacity, 26);  // grown by exactly the shortfall of 4
    ListCompact(four);
    EXPECT_EQ(Head(four)->capacity, 16);
    ListDispose(four);
}

TEST(List, PositionRules) {
    ListHandle list = ListCreate(sizeof(int));
    int x = 7, y = 8, z = 9;
    // Into an empty list at the front, n + 1 appends, in front of item 1 and of item 2.
    const struct { int *item; int position; } inserts[] = {{&x, LIST_FRONT}, {&y, 2}, {&z, LIST_FRONT}, {&x, 2}};
    for (const auto &insert : inserts) ASSERT_EQ(ListInsertItem(list, insert.item, insert.position), 1);
    ASSERT_EQ(ListInsertItems(list, nullptr, LIST_END, 3), 1);  // zero-filled
    EXPECT_EQ(ListInsertItem(list, &z, 9) + ListInsertItem(list, &z, -2) + ListInsertItems(list, &z, 1, 0), 0);
    EXPECT_EQ(Items(list), V({9, 7, 7, 8, 0, 0, 0}));

    int buf[3] = {0, 0, 0}, r[2] = {20, 30};
    ListGetItems(list, buf, LIST_END, 2);  // would run past the end: nothing
    ListGetItem(list, buf, 8);
    ListGetItem(list, buf + 1, LIST_FRONT);
    ListGetItem(list, buf + 2, LIST_END);
    EXPECT_EQ(V(buf, buf + 3), V({0, 9, 0}));
    EXPECT_EQ(ListGetPtrToItem(list, 8), nullptr);
    EXPECT_EQ(*static_cast<int *>(ListGetPtrToItem(list, 4)), 8);
    ListReplaceItems(list, r, 2, 2);
    ListReplaceItems(list, r, 7, 2);  // out of range
    ListReplaceItem(list, r + 1, LIST_END);
    EXPECT_EQ(Items(list), V({9, 20, 30, 8, 0, 0, 30}));
    ListRemoveItem(list, nullptr, LIST_FRONT);
    ListRemoveItems(list, buf, 2, 2);
    ListRemoveItems(list, nullptr, 5, 2);
    ListRemoveItem(list, nullptr, -5);
    EXPECT_EQ(V(buf, buf + 2), V({30, 8}));
    EXPECT_EQ(Items(list), V({20, 0, 0, 30}));
    ListClear(list);
    EXPECT_EQ(ListNumItems(list), 0);
    EXPECT_EQ(Head(list)->capacity, 13);  // storage kept

    // Items taken from the list itself, while the insertion grows and shifts the storage.
    ListHandle own = IntList({1, 2, 3, 4, 5});
    ASSERT_EQ(ListInsertItems(own, ListGetPtrToItem(own, 2), 2, 3), 1);
    EXPECT_EQ(Items(own), V({1, 2, 3, 4, 2, 3, 4, 5}));
    ASSERT_EQ(ListInsertItem(own, ListGetPtrToItem(own, LIST_END), LIST_FRONT), 1);
    EXPECT_EQ(Items(own), V({5, 1, 2, 3, 4, 2, 3, 4, 5}));
    ListDispose(own);
    ListDispose(list);

    // A null list: nothing happens, results are 0 and null.
    EXPECT_EQ(ListInsertItem(nullptr, &x, LIST_END) + ListNumItems(nullptr) + ListFindItem(nullptr, &x, 1, nullptr) +
                  ListPreAllocate(nullptr, 1) + ListGetItemSize(nullptr),
              0);
    EXPECT_EQ(ListGetPtrToItem(nullptr, 1), ListGetDataPtr(nullptr));
    EXPECT_EQ(ListCopy(nullptr), nullptr);
    ListRemoveItem(nullptr, &x, 1);
    ListDispose(nullptr);
}

TEST(List, WholeListOperations) {
    ListHandle a = IntList({1, 2, 3}), shorts = ListCreate(sizeof(short));
    ASSERT_EQ(ListAppend(a, a), 1);
    EXPECT_EQ(Items(a), V({1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(Head(a)->capacity, 6);
    EXPECT_EQ(ListAppend(a, shorts) + ListAppend(nullptr, a), 0);
    EXPECT_EQ(ListAppend(a, nullptr), 1);

    ListHandle copy = ListCopy(a), e1 = ListCreate(sizeof(int)), e2 = ListCreate(sizeof(int));
    EXPECT_EQ(ListEqual(a, copy), 1);
    int key = 5;
    ListReplaceItem(copy, &key, 1);
    EXPECT_EQ(ListEqual(a, copy) + ListEqual(e1, shorts) + ListEqual(a, nullptr), 0);
    EXPECT_EQ(ListEqual(e1, e2), 1);

    key = 3;
    EXPECT_EQ(V({ListFindItem(a, &key, LIST_FRONT, nullptr), ListFindItem(a, &key, 4, nullptr),
                 ListFindItem(a, &key, LIST_END, nullptr)}),
              V({3, 6, 6}));
    key = 1;
    EXPECT_EQ(ListFindItem(a, &key, LIST_END, nullptr), 0);  // only the last item is looked at
    int two = 2, nine = 9, ten = 10, absent = 42;
    ASSERT_EQ(ListInsertAfterItem(a, &nine, &two, nullptr), 1);
    ASSERT_EQ(ListInsertBeforeItem(a, &ten, &two, nullptr), 1);
    ASSERT_EQ(ListInsertBeforeItem(a, &ten, &absent, nullptr), 1);
    ASSERT_EQ(ListInsertAfterItem(a, &absent, &absent, nullptr), 1);
    EXPECT_EQ(Items(a), V({10, 1, 10, 2, 9, 3, 1, 2, 3, 42}));
    ListRemoveDuplicates(a, nullptr);
    EXPECT_EQ(Items(a), V({10, 1, 2, 9, 3, 42}));
    for (ListHandle l : {a, copy, e1, e2, shorts}) ListDispose(l);

    ListHandle ptrs = ListCreate(sizeof(char *));
    for (const char *s : {"a", "b"}) {
        char *heap = strdup(s);
        ListInsertItem(ptrs, &heap, LIST_END);
    }
    ListDisposePtrList(ptrs);  // LeakSanitizer checks that the strings went too
}

TEST(List, ApplyToEach) {
    ListHandle list = IntList({1, 2, 3});
    V seen;
    auto record = [](int position, void *item, void *data) {
        static_cast<V *>(data)->push_back(position * 10 + *static_cast<int *>(item));
        return position == 2 ? -7 : position;
    };
    EXPECT_EQ(ListApplyToEach(list, 1, record, &seen), -7);
    EXPECT_EQ(ListApplyToEach(list, 0, record, &seen), -7);
    EXPECT_EQ(seen, V({11, 22, 33, 22}));
    // A descending walk whose callback removes items stops once its position is gone.
    auto removeTwo = [](int, void *, void *data) {
        ListRemoveItems(static_cast<ListHandle>(data), nullptr, 1, 2);
        return 5;
    };
    EXPECT_EQ(ListApplyToEach(list, 0, removeTwo, list), 5);
    EXPECT_EQ(ListNumItems(list), 1);
    ListClear(list);
    EXPECT_EQ(ListApplyToEach(list, 1, record, &seen), 0);
    EXPECT_EQ(seen.size(), 4u);
    ListDispose(list);
}

TEST(List, IntegerLists) {
    ListHandle a = BuildIntegerList(0, 5, 7, 9, 0), b = BuildIntegerList(2, 5, 7, 9, 0),
               c = BuildIntegerList(0, 5, 1, 9, 0);
    EXPECT_EQ(V({ListNumItems(a), ListNumItems(b), ListNumItems(c)}), V({3, 2, 1}));
    EXPECT_EQ(Items(a), V({5, 7, 9}));
    EXPECT_EQ(AppendToIntegerList(c, 0, 6, 8, -1), 1);
    EXPECT_EQ(Items(c), V({5, 6, 8}));
    EXPECT_EQ(AppendToIntegerList(nullptr, 0, 6, 0), 0);
    for (ListHandle l : {a, b, c}) ListDispose(l);
}

// Runs `op` on a fresh list 1, 2, 3 (capacity 5) with each allocation of the set-up and of `op`
// failing in turn. When the fault hit `op`, it must report 0 and leave the list as it was.
void ExpectUnchangedOnFailure(const std::function<int(ListHandle)> &op) {
    rte::testing::ForEachAllocationFailure([&](bool) {
        ListHandle list = IntList({1, 2, 3});
        if (list == nullptr) return;  // the fault hit the set-up
        int ok = op(list);
        bool failed = rte::testing::AllocationFaultFired();
        EXPECT_EQ(ok, failed ? 0 : 1);
        if (failed) {
            EXPECT_EQ(Head(list)->capacity, 5);
            EXPECT_EQ(Items(list), V({1, 2, 3}));
        }
        ListDispose(list);
    });
}

TEST(List, OutOfMemory) {
    rte::testing::ForEachAllocationFailure([](bool injected) {
        ListHandle list = BuildIntegerList(0, 2, 3, 4, 5, 6, 0);
        EXPECT_EQ(list == nullptr, injected);
        ListDispose(list);
    });
    ExpectUnchangedOnFailure([](ListHandle l) { return ListInsertItems(l, ListGetDataPtr(l), 2, 3); });
    ExpectUnchangedOnFailure([](ListHandle l) { return ListAppend(l, l); });
    ExpectUnchangedOnFailure([](ListHandle l) { return ListPreAllocate(l, 10); });
    ExpectUnchangedOnFailure([](ListHandle l) { return AppendToIntegerList(l, 0, 7, 8, 0); });
    ExpectUnchangedOnFailure([](ListHandle l) {
        ListCompact(l);
        return Head(l)->capacity == 3 ? 1 : 0;
    });
    ExpectUnchangedOnFailure([](ListHandle l) {
        ListHandle copy = ListCopy(l);
        int ok = ListEqual(copy, l);
        ListDispose(copy);
        return ok;
    });
}

TEST(List, CountsTooLargeForABlockFailCleanly) {
    ListHandle list = IntList({1, 2, 3});
    EXPECT_EQ(ListInsertItems(list, nullptr, LIST_END, 1 << 30) + ListPreAllocate(list, INT_MAX - 2), 0);
    EXPECT_EQ(ListInsertItems(list, nullptr, LIST_END, INT_MAX), 0);
    EXPECT_EQ(Head(list)->capacity, 5);
    EXPECT_EQ(Items(list), V({1, 2, 3}));
    ListDispose(list);
}

TEST(ListDeathTest, ProgrammingErrors) {
    ListHandle list = IntList({1});
    EXPECT_DEATH(ListDisposePtrList(list), "ListDisposePtrList is not a list of pointers");
    EXPECT_DEATH(GetIntListFromParmInfo(nullptr, 0, nullptr), "Parameter 3 to GetIntListFromParmInfo was NULL");
    ListDispose(list);
}

}  // namespace
