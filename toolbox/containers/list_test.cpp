// Tests of the list container: growth, position rules, failures and the integer lists.
#include "toolbox/containers/list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "rte/alloc_testing.h"

namespace {

const ListHeader *Head(ListHandle list) { return static_cast<const ListHeader *>(list->data); }

// A list of ints with the given values, appended one at a time (so 3 to 5 values give
// capacity 5).
ListHandle IntList(std::vector<int> values) {
    ListHandle list = ListCreate(sizeof(int));
    for (int &v : values) {
        if (list != nullptr && !ListInsertItem(list, &v, LIST_END)) {
            ListDispose(list);
            return nullptr;
        }
    }
    return list;
}

std::vector<int> Items(ListHandle list) {
    std::vector<int> out(ListNumItems(list));
    ListGetItems(list, out.data(), 1, ListNumItems(list));
    return out;
}

using V = std::vector<int>;

TEST(List, NewListAndGrowthByPolicy) {
    ListHandle list = ListCreate(sizeof(int));
    ASSERT_NE(list, nullptr);
    const ListHeader *h = Head(list);
    EXPECT_EQ(h->signature, 0x4C495354);
    EXPECT_EQ(h->growthPercent, 10);
    EXPECT_EQ(h->minGrowth, 4);
    EXPECT_EQ(h->capacity, 0);
    EXPECT_EQ(h->numItems, 0);
    EXPECT_EQ(ListGetItemSize(list), 4);
    EXPECT_NE(ListGetDataPtr(list), nullptr);
    EXPECT_EQ(ListGetPtrToItem(list, LIST_FRONT), nullptr);

    std::vector<int> capacities;
    for (int i = 1; i <= 52; ++i) {
        ASSERT_EQ(ListInsertItem(list, &i, LIST_END), 1);
        if (i == 1 || i == 6 || i == 12 || i == 25 || i == 52) capacities.push_back(Head(list)->capacity);
    }
    EXPECT_EQ(capacities, V({5, 11, 24, 51, 108}));
    ListDispose(list);

    ListHandle four = IntList({1, 2, 3, 4});  // capacity 5 after one policy growth
    ASSERT_EQ(Head(four)->capacity, 5);
    int five[5] = {5, 6, 7, 8, 9};
    ASSERT_EQ(ListInsertItems(four, five, LIST_END, 5), 1);
    EXPECT_EQ(Head(four)->capacity, 15);

    ListSetAllocationPolicy(four, -3, -200);  // a nonsensical policy still adds what is needed
    ASSERT_EQ(ListInsertItems(four, nullptr, LIST_END, 7), 1);
    EXPECT_EQ(Head(four)->capacity, 22);  // 15 + 7
    ListDispose(four);
}

TEST(List, InsertionPositions) {
    ListHandle list = ListCreate(sizeof(int));
    int x = 7, y = 8, z = 9;
    ASSERT_EQ(ListInsertItem(list, &x, LIST_FRONT), 1);  // empty list: becomes the only item
    ASSERT_EQ(ListInsertItem(list, &y, 2), 1);           // n + 1 appends
    EXPECT_EQ(ListInsertItem(list, &z, 4), 0);           // n + 2 fails
    EXPECT_EQ(ListInsertItem(list, &z, -2), 0);
    EXPECT_EQ(ListInsertItems(list, &z, 1, 0), 0);
    EXPECT_EQ(Items(list), V({7, 8}));
    ASSERT_EQ(ListInsertItem(list, &z, LIST_FRONT), 1);
    ASSERT_EQ(ListInsertItem(list, &x, 2), 1);  // in front of item 2
    ASSERT_EQ(ListInsertItems(list, nullptr, LIST_END, 3), 1);
    EXPECT_EQ(Items(list), V({9, 7, 7, 8, 0, 0, 0}));

    // An item taken from the list itself, while the insertion grows and shifts the storage.
    ListHandle own = IntList({1, 2, 3, 4, 5});
    ASSERT_EQ(ListInsertItems(own, ListGetPtrToItem(own, 2), 2, 3), 1);
    EXPECT_EQ(Items(own), V({1, 2, 3, 4, 2, 3, 4, 5}));
    ASSERT_EQ(ListInsertItem(own, ListGetPtrToItem(own, LIST_END), LIST_FRONT), 1);
    EXPECT_EQ(Items(own), V({5, 1, 2, 3, 4, 2, 3, 4, 5}));
    ListDispose(own);
    ListDispose(list);
}

TEST(List, RunsOfExistingItems) {
    ListHandle list = IntList({1, 2, 3, 4, 5});
    int buf[5] = {0};
    ListGetItems(list, buf, LIST_END, 2);  // would run past the end: nothing copied
    EXPECT_EQ(buf[0], 0);
    ListGetItem(list, buf, LIST_END);
    ListGetItem(list, buf + 1, LIST_FRONT);
    ListGetItem(list, buf + 2, 6);
    EXPECT_EQ(V(buf, buf + 3), V({5, 1, 0}));
    EXPECT_EQ(ListGetPtrToItem(list, 6), nullptr);
    EXPECT_EQ(*static_cast<int *>(ListGetPtrToItem(list, 3)), 3);

    int r[2] = {20, 30};
    ListReplaceItems(list, r, 2, 2);
    ListReplaceItems(list, r, 5, 2);  // out of range
    ListReplaceItem(list, r, LIST_END);
    EXPECT_EQ(Items(list), V({1, 20, 30, 4, 20}));

    ListRemoveItem(list, nullptr, LIST_FRONT);
    ListRemoveItems(list, buf, 2, 2);
    EXPECT_EQ(V(buf, buf + 2), V({30, 4}));
    ListRemoveItems(list, nullptr, 1, 3);  // more than there are
    ListRemoveItem(list, nullptr, -5);
    EXPECT_EQ(Items(list), V({20, 20}));
    int capacity = Head(list)->capacity;
    ListClear(list);
    EXPECT_EQ(ListNumItems(list), 0);
    EXPECT_EQ(Head(list)->capacity, capacity);
    ListDispose(list);
}

TEST(List, NullListIsAccepted) {
    int x = 1;
    EXPECT_EQ(ListInsertItem(nullptr, &x, LIST_END), 0);
    EXPECT_EQ(ListPreAllocate(nullptr, 1), 0);
    EXPECT_EQ(ListCopy(nullptr), nullptr);
    EXPECT_EQ(ListGetDataPtr(nullptr), nullptr);
    EXPECT_EQ(ListGetPtrToItem(nullptr, 1), nullptr);
    EXPECT_EQ(ListNumItems(nullptr) + ListGetItemSize(nullptr), 0);
    EXPECT_EQ(ListFindItem(nullptr, &x, 1, nullptr), 0);
    EXPECT_EQ(ListApplyToEach(nullptr, 1, [](int, void *, void *) { return 1; }, nullptr), 0);
    EXPECT_EQ(ListAppend(nullptr, nullptr), 1);
    ListRemoveItem(nullptr, &x, 1);
    ListCompact(nullptr);
    ListClear(nullptr);
    ListRemoveDuplicates(nullptr, nullptr);
    ListDispose(nullptr);
    ListDisposePtrList(nullptr);
}

TEST(List, WholeListOperations) {
    ListHandle a = IntList({1, 2, 3});
    ASSERT_EQ(ListAppend(a, a), 1);
    EXPECT_EQ(Items(a), V({1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(Head(a)->capacity, 6);
    ListHandle shorts = ListCreate(sizeof(short));
    EXPECT_EQ(ListAppend(a, shorts), 0);
    EXPECT_EQ(ListAppend(nullptr, a), 0);

    int key = 5;
    ListHandle copy = ListCopy(a);
    EXPECT_EQ(ListEqual(a, copy), 1);
    ListReplaceItem(copy, &key, 1);
    EXPECT_EQ(ListEqual(a, copy), 0);
    ListHandle empty1 = ListCreate(sizeof(int)), empty2 = ListCreate(sizeof(int));
    EXPECT_EQ(ListEqual(empty1, empty2), 1);
    EXPECT_EQ(ListEqual(empty1, shorts), 0);
    EXPECT_EQ(ListEqual(a, nullptr), 0);

    key = 3;
    EXPECT_EQ(ListFindItem(a, &key, LIST_FRONT, nullptr), 3);
    EXPECT_EQ(ListFindItem(a, &key, 4, nullptr), 6);
    EXPECT_EQ(ListFindItem(a, &key, LIST_END, nullptr), 6);
    key = 1;
    EXPECT_EQ(ListFindItem(a, &key, LIST_END, nullptr), 0);  // only the last item is looked at
    int two = 2, nine = 9, ten = 10;
    ASSERT_EQ(ListInsertAfterItem(a, &nine, &two, nullptr), 1);
    ASSERT_EQ(ListInsertBeforeItem(a, &ten, &two, nullptr), 1);
    int absent = 42;
    ASSERT_EQ(ListInsertBeforeItem(a, &ten, &absent, nullptr), 1);
    EXPECT_EQ(Items(a), V({10, 1, 10, 2, 9, 3, 1, 2, 3}));

    EXPECT_EQ(ListPreAllocate(empty1, 10), 1);
    EXPECT_EQ(Head(empty1)->capacity, 10);
    EXPECT_EQ(ListPreAllocate(empty1, 10), 1);
    EXPECT_EQ(Head(empty1)->capacity, 10);
    ListCompact(empty1);
    EXPECT_EQ(Head(empty1)->capacity, 0);
    for (ListHandle l : {a, copy, empty1, empty2, shorts}) ListDispose(l);
}

TEST(List, RemoveDuplicatesAndApplyToEach) {
    ListHandle list = IntList({1, 2, 1, 3, 2, 1});
    ListRemoveDuplicates(list, nullptr);
    EXPECT_EQ(Items(list), V({1, 2, 3}));

    struct Walk {
        std::vector<int> seen;
    } walk;
    auto record = [](int position, void *item, void *data) {
        static_cast<Walk *>(data)->seen.push_back(position * 100 + *static_cast<int *>(item));
        return position == 2 ? -7 : position;
    };
    EXPECT_EQ(ListApplyToEach(list, 1, record, &walk), -7);
    EXPECT_EQ(walk.seen, V({101, 202}));
    walk.seen.clear();
    EXPECT_EQ(ListApplyToEach(list, 0, record, &walk), -7);
    EXPECT_EQ(walk.seen, V({303, 202}));
    // A descending walk whose callback removes items stops once its position is gone.
    auto removeAll = [](int, void *, void *data) {
        ListRemoveItems(static_cast<ListHandle>(data), nullptr, 1, 2);
        return 5;
    };
    EXPECT_EQ(ListApplyToEach(list, 0, removeAll, list), 5);
    EXPECT_EQ(ListNumItems(list), 1);
    ListClear(list);
    EXPECT_EQ(ListApplyToEach(list, 1, record, &walk), 0);

    ListHandle ptrs = ListCreate(sizeof(char *));
    for (const char *s : {"a", "b"}) {
        char *copy = strdup(s);
        ListInsertItem(ptrs, &copy, LIST_END);
    }
    ListDisposePtrList(ptrs);  // LeakSanitizer checks that the strings went too
    ListDispose(list);
}

TEST(List, IntegerLists) {
    ListHandle a = BuildIntegerList(0, 5, 7, 9, 0);
    ListHandle b = BuildIntegerList(2, 5, 7, 9, 0);
    ListHandle c = BuildIntegerList(0, 5, 1, 9, 0);
    EXPECT_EQ(Items(a), V({5, 7, 9}));
    EXPECT_EQ(Items(b), V({5, 7}));
    EXPECT_EQ(Items(c), V({5}));
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
        if (rte::testing::AllocationFaultFired()) {
            EXPECT_EQ(ok, 0);
            EXPECT_EQ(Items(list), V({1, 2, 3}));
            EXPECT_EQ(Head(list)->capacity, 5);
        } else {
            EXPECT_EQ(ok, 1);
        }
        ListDispose(list);
    });
}

TEST(List, OutOfMemory) {
    rte::testing::ForEachAllocationFailure([](bool injected) {
        ListHandle list = ListCreate(8);
        EXPECT_EQ(list == nullptr, injected);
        ListDispose(list);
    });
    rte::testing::ForEachAllocationFailure([](bool injected) {
        ListHandle list = BuildIntegerList(0, 2, 3, 4, 5, 6, 0);
        EXPECT_EQ(list == nullptr, injected);
        ListDispose(list);
    });
    ExpectUnchangedOnFailure([](ListHandle l) {
        int x[3] = {7, 8, 9};
        return ListInsertItems(l, x, 2, 3);
    });
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

TEST(ListDeathTest, ProgrammingErrors) {
    ListHandle list = IntList({1});
    EXPECT_DEATH(ListDisposePtrList(list), "ListDisposePtrList is not a list of pointers");
    EXPECT_DEATH(GetIntListFromParmInfo(nullptr, 0, nullptr), "Parameter 3 to GetIntListFromParmInfo was NULL");
    ListDispose(list);
}

}  // namespace
