// Tests of finding the closest colour of a table.
#include "toolbox/ui/ui_services.h"

#include "rte/ui.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ClosestColor, TheFirstOfTheClosestEntriesIsChosenWithHueWeighedAboveBrightness) {
    struct {
        int color;
        std::vector<int> table;
        int expected;
    } cases[] = {
        {0xFF0000, {0x000000, 0xFF0000, 0xFF0000}, 1},     // exact, occurring twice: the first
        {0x123456, {0x123456}, 0},
        {0xF01010, {0x000000, 0xFFFFFF, 0xC00000}, 2},
        // A brighter grey is nearer than a bluish one although the blue differs less.
        {0x808080, {0x808096, 0x909090}, 1},
        {0x808080, {0x909090, 0x909090}, 0},               // ties keep the earlier entry
        {0x000000, {0x010101, 0x000001}, 1},
        {VAL_TRANSPARENT, {0xFFFFFF, 0x000000}, 1},        // bits above the colour are ignored
    };
    for (const auto &k : cases) {
        EXPECT_EQ(FindClosestColorInTable(k.color, k.table.data(), static_cast<int>(k.table.size())), k.expected)
            << std::hex << k.color;
    }
}

TEST(ClosestColor, AnEmptyTableHasNoClosestColor) {
    int one = 0x112233;
    EXPECT_EQ(FindClosestColorInTable(0x112233, &one, 0), -1);
    EXPECT_EQ(FindClosestColorInTable(0x112233, &one, -3), -1);
    EXPECT_EQ(FindClosestColorInTable(0x112233, nullptr, 4), -1);
}

}  // namespace
