// toolbox/numeric/units.cpp - the constant table and the unit conversions of units.h.
// The factors are stored literals, never computed at run time, so every build gives the
// same bits.
#include "toolbox/numeric/units.h"

namespace {
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;
constexpr double kZeroCelsiusInKelvin = 273.15;
constexpr double kFahrenheitPerCelsius = 1.8;
constexpr double kCelsiusPerFahrenheit = 0.5555555555555556;
constexpr double kFahrenheitOffset = 32.0;
constexpr double kMetersPerFoot = 0.3048;
constexpr double kKilometersPerMile = 1.609344;
constexpr double kKilogramsPerPound = 0.453592;
constexpr double kLitersPerGallon = 3.7854;
}  // namespace

extern "C" {

double Pi(void) { return 3.141592653589793; }
double TwoPi(void) { return 6.283185307179586; }
double HalfPi(void) { return 1.5707963267948966; }
double ThreeHalvesPi(void) { return 4.71238898038469; }
double ReciprocalOfPi(void) { return 0.3183098861837907; }
double LnOfPi(void) { return 1.1447298858494002; }
double Log10OfPi(void) { return 0.49714987269413385; }
double Euler(void) { return 2.718281828459045; }
double ReciprocalOfEuler(void) { return 0.36787944117144233; }
double Log10OfEuler(void) { return 0.4342944819032518; }
double Ln10(void) { return 2.302585092994046; }
double Ln2(void) { return 0.6931471805599453; }

double PlanckConstant(void) { return 6.626176e-34; }
double ElementaryCharge(void) { return 1.6021892e-19; }
double SpeedOfLight(void) { return 299792458.0; }
double GravitationalConstant(void) { return 6.672e-11; }
double AvogadroConstant(void) { return 6.022045e+23; }
double RydbergConstant(void) { return 10973731.77; }
double MolarGasConstant(void) { return 8.31441; }

double DegToRad(double x) { return x * kDegToRad; }
double RadToDeg(double x) { return x * kRadToDeg; }
double CelsiusToKelvin(double x) { return x + kZeroCelsiusInKelvin; }
double KelvinToCelsius(double x) { return x - kZeroCelsiusInKelvin; }
double CelsiusToFahrenheit(double x) { return x * kFahrenheitPerCelsius + kFahrenheitOffset; }
double FahrenheitToCelsius(double x) { return (x - kFahrenheitOffset) * kCelsiusPerFahrenheit; }
double MetersToFeet(double x) { return x / kMetersPerFoot; }
double FeetToMeters(double x) { return x * kMetersPerFoot; }
double KilometersToMiles(double x) { return x / kKilometersPerMile; }
double MilesToKilometers(double x) { return x * kKilometersPerMile; }
double KilogramsToPounds(double x) { return x / kKilogramsPerPound; }
double PoundsToKilograms(double x) { return x * kKilogramsPerPound; }
double LitersToGallons(double x) { return x / kLitersPerGallon; }
double GallonsToLiters(double x) { return x * kLitersPerGallon; }

}  // extern "C"
