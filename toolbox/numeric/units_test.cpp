// Tests of the constants and unit conversions: the stored values and the round trips.
#include "toolbox/numeric/units.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Units, ConstantsAreTheOlderRecommendedValues) {
    EXPECT_EQ(Pi(), M_PI);
    EXPECT_EQ(TwoPi(), 2 * M_PI);
    EXPECT_EQ(HalfPi(), M_PI_2);
    EXPECT_EQ(ReciprocalOfPi(), M_1_PI);
    EXPECT_EQ(Euler(), M_E);
    EXPECT_EQ(Ln10(), M_LN10);
    EXPECT_EQ(Ln2(), M_LN2);
    EXPECT_EQ(Log10OfEuler(), M_LOG10E);
    EXPECT_EQ(ThreeHalvesPi(), 4.71238898038469);
    EXPECT_DOUBLE_EQ(LnOfPi(), std::log(M_PI));
    EXPECT_DOUBLE_EQ(Log10OfPi(), std::log10(M_PI));
    EXPECT_DOUBLE_EQ(ReciprocalOfEuler(), 1 / M_E);
    EXPECT_EQ(PlanckConstant(), 6.626176e-34);  // not the 2019 value 6.62607015e-34
    EXPECT_EQ(ElementaryCharge(), 1.6021892e-19);
    EXPECT_EQ(SpeedOfLight(), 299792458.0);
    EXPECT_EQ(GravitationalConstant(), 6.672e-11);
    EXPECT_EQ(AvogadroConstant(), 6.022045e+23);
    EXPECT_EQ(RydbergConstant(), 10973731.77);
    EXPECT_EQ(MolarGasConstant(), 8.31441);
}

TEST(Units, ConversionsUseTheirStoredFactors) {
    EXPECT_DOUBLE_EQ(CelsiusToFahrenheit(100), 212);
    EXPECT_DOUBLE_EQ(FahrenheitToCelsius(212), 100);
    EXPECT_EQ(CelsiusToKelvin(-273.15), 0);
    EXPECT_EQ(KelvinToCelsius(0), -273.15);
    EXPECT_EQ(MilesToKilometers(1), 1.609344);
    EXPECT_DOUBLE_EQ(KilometersToMiles(1.609344), 1);
    EXPECT_DOUBLE_EQ(KilogramsToPounds(0.453592), 1);
    EXPECT_EQ(PoundsToKilograms(1), 0.453592);
    EXPECT_DOUBLE_EQ(RadToDeg(Pi()), 180);
    EXPECT_DOUBLE_EQ(DegToRad(180), Pi());
    EXPECT_EQ(FeetToMeters(1), 0.3048);
    EXPECT_DOUBLE_EQ(MetersToFeet(0.3048), 1);
    EXPECT_EQ(GallonsToLiters(1), 3.7854);
    EXPECT_DOUBLE_EQ(LitersToGallons(3.7854), 1);
}

}  // namespace
