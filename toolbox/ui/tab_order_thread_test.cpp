// Threads sorting control lists of different panels at the same time each get their own order:
// the panel being sorted is kept per thread.
#include "toolbox/ui/tab_order.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "rte/ui.h"

namespace {

// A panel whose tab order is the reverse of the order its controls were made in.
std::vector<int> ReversedPanel(int *panel) {
    *panel = NewPanel(0, "Sorted", 0, 0, 100, 100);
    std::vector<int> ids;
    for (int i = 0; i < 8; ++i) {
        int c = NewCtrl(*panel, CTRL_COMMAND_BUTTON, "", 0, 0);  // no label: nothing to measure
        SetCtrlAttribute(*panel, c, ATTR_CTRL_TAB_POSITION, 0);
        ids.insert(ids.begin(), c);
    }
    return ids;
}

TEST(TabOrderThreads, EachThreadSortsByItsOwnPanel) {
    int first = 0, second = 0;
    std::vector<int> firstOrder = ReversedPanel(&first);
    std::vector<int> secondOrder = ReversedPanel(&second);
    // The second panel's controls in the first panel's order of IDs: sorting by the wrong panel
    // would show.
    SetCtrlAttribute(second, secondOrder.back(), ATTR_CTRL_TAB_POSITION, 0);
    secondOrder.insert(secondOrder.begin(), secondOrder.back());
    secondOrder.pop_back();
    auto sorter = [](int panel, std::vector<int> expected, bool *ok) {
        *ok = true;
        for (int round = 0; round < 200; ++round) {
            ListHandle list = nullptr;
            for (int id : expected) {
                if (list == nullptr) list = ListCreate(sizeof(int));
                ListInsertItem(list, &id, LIST_FRONT);
            }
            SortCtrlListByTabOrder(panel, list);
            for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
                if (*static_cast<int *>(ListGetPtrToItem(list, i + 1)) != expected[static_cast<size_t>(i)]) *ok = false;
            }
            ListDispose(list);
        }
    };
    bool ok1 = false, ok2 = false;
    std::thread t1(sorter, first, firstOrder, &ok1), t2(sorter, second, secondOrder, &ok2);
    t1.join();
    t2.join();
    EXPECT_TRUE(ok1);
    EXPECT_TRUE(ok2);
    DiscardPanel(first);
    DiscardPanel(second);
}

}  // namespace
