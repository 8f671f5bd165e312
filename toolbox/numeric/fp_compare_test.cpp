// Tests of the tolerant comparisons and Pin, on the values where tolerance and exactness meet.
#include "toolbox/numeric/fp_compare.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(FpCompare, EqualityNeedsBothAbsoluteAndRelativeCloseness) {
    EXPECT_EQ(FP_EQ(1.0, 1.0 + 5e-9), 1);
    EXPECT_EQ(FP_EQ(1.0, 1.0 + 2e-8), 0);
    EXPECT_EQ(FP_EQ(1e10, 1e10 + 1), 0);  // relative difference 1e-10, absolute 1
    EXPECT_EQ(FP_EQ(-3.5, -3.5), 1);
    EXPECT_EQ(FP_EQ(5e-9, 0), 1);
    EXPECT_EQ(FP_EQ(0, -5e-9), 1);
    EXPECT_EQ(FP_EQ(2e-8, 0), 0);
}

TEST(FpCompare, ZeroIsExactForOrderingButTolerantForEquality) {
    EXPECT_EQ(FP_GT(5e-9, 0), 1);
    EXPECT_EQ(FP_GE(-5e-9, 0), 0);
    EXPECT_EQ(FP_GT(0, -1e-12), 1);
    EXPECT_EQ(FP_Compare(5e-9, 0), 0);  // equality is tested first
    EXPECT_EQ(FP_Compare(2.0, 1.0), 1);
    EXPECT_EQ(FP_Compare(1.0, 2.0), -1);
}

TEST(FpCompare, CloseValuesOfTheSameSignCompareRelatively) {
    EXPECT_EQ(FP_GT(2e-9, 1e-9), 1);  // close, but the ratio is 2
    EXPECT_EQ(FP_GT(1.0 + 5e-9, 1.0), 0);
    EXPECT_EQ(FP_GE(1.0 - 5e-9, 1.0), 1);
    EXPECT_EQ(FP_GT(-1.0, -1.0 - 5e-9), 0);
    EXPECT_EQ(FP_GE(-1.0 - 5e-9, -1.0), 1);
    EXPECT_EQ(FP_GT(-1.0, -2.0), 1);
    EXPECT_EQ(FP_GE(-2.0, -1.0), 0);
}

TEST(FpCompare, LessThanMirrorsGreaterThan) {
    const double values[] = {0.0, 1e-9, -1e-9, 5e-9, 1.0, 1.0 + 5e-9, -1.0, 1e10, -1e10 - 1};
    for (double a : values) {
        for (double b : values) {
            EXPECT_EQ(FP_LT(a, b), FP_GT(b, a)) << a << " " << b;
            EXPECT_EQ(FP_LE(a, b), FP_GE(b, a)) << a << " " << b;
        }
    }
}

TEST(FpCompare, NaNComparesWithNothing) {
    double nan = std::nan("");
    EXPECT_EQ(FP_EQ(nan, nan), 0);
    EXPECT_EQ(FP_GT(nan, 1.0), 0);
    EXPECT_EQ(FP_GE(1.0, nan), 0);
    EXPECT_EQ(FP_Compare(nan, 0.0), -1);
    EXPECT_TRUE(std::isnan(Pin(nan, 0, 1)));
}

TEST(Pin, ClampsIntoTheRange) {
    EXPECT_EQ(Pin(5, 0, 10), 5);
    EXPECT_EQ(Pin(-1, 0, 10), 0);
    EXPECT_EQ(Pin(11, 0, 10), 10);
    EXPECT_EQ(Pin(3, 5, 1), 5);  // inverted range: below low gives low,
    EXPECT_EQ(Pin(7, 5, 1), 1);  // everything else gives high
}
