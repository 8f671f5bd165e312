// Tests of the constants and unit conversions: the older constant values and the round trips.
#include "toolbox/numeric/units.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Units, ConstantsAndConversions) {
    EXPECT_EQ(Pi(), M_PI);
    EXPECT_EQ(Ln2(), M_LN2);
    EXPECT_DOUBLE_EQ(LnOfPi(), std::log(M_PI));
    EXPECT_EQ(PlanckConstant(), 6.626176e-34);  // not the 2019 value 6.62607015e-34
    EXPECT_DOUBLE_EQ(CelsiusToFahrenheit(100), 212);
    EXPECT_DOUBLE_EQ(FahrenheitToCelsius(212), 100);
    EXPECT_EQ(CelsiusToKelvin(-273.15), 0);
    EXPECT_EQ(MilesToKilometers(1), 1.609344);
    EXPECT_EQ(KilogramsToPounds(0.453592), 1);  // one stored factor both ways
    EXPECT_DOUBLE_EQ(RadToDeg(Pi()), 180);
    EXPECT_DOUBLE_EQ(LitersToGallons(GallonsToLiters(2.5)), 2.5);
}
