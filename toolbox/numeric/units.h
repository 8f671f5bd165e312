/* toolbox/numeric/units.h - mathematical and physical constants, and unit conversions.
 *
 * The constants are functions without arguments, each returning exactly the double written
 * beside it. The physical constants are an older set of recommended values, kept as they are
 * for results that callers have stored (the Planck constant is 6.626176e-34, not the later
 * 6.62607015e-34). Each conversion pair uses one stored factor, multiplying one way and
 * dividing the other. None of these functions has side effects or can fail.
 */
#ifndef TOOLBOX_NUMERIC_UNITS_H
#define TOOLBOX_NUMERIC_UNITS_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Mathematical constants ---------------------------------------------------------- */

double Pi(void);                /* 3.141592653589793 */
double TwoPi(void);             /* 6.283185307179586 */
double HalfPi(void);            /* 1.5707963267948966 */
double ThreeHalvesPi(void);     /* 4.71238898038469 */
double ReciprocalOfPi(void);    /* 0.3183098861837907, 1/pi */
double LnOfPi(void);            /* 1.1447298858494002, natural logarithm of pi */
double Log10OfPi(void);         /* 0.49714987269413385, decimal logarithm of pi */
double Euler(void);             /* 2.718281828459045, e */
double ReciprocalOfEuler(void); /* 0.36787944117144233, 1/e */
double Log10OfEuler(void);      /* 0.4342944819032518, decimal logarithm of e */
double Ln10(void);              /* 2.302585092994046, natural logarithm of 10 */
double Ln2(void);               /* 0.6931471805599453, natural logarithm of 2 */

/* ---- Physical constants (SI units) --------------------------------------------------- */

double PlanckConstant(void);        /* 6.626176e-34 J s */
double ElementaryCharge(void);      /* 1.6021892e-19 C */
double SpeedOfLight(void);          /* 299792458.0 m/s */
double GravitationalConstant(void); /* 6.672e-11 m^3/(kg s^2) */
double AvogadroConstant(void);      /* 6.022045e+23 1/mol */
double RydbergConstant(void);       /* 10973731.77 1/m */
double MolarGasConstant(void);      /* 8.31441 J/(mol K) */

/* ---- Unit conversions ---------------------------------------------------------------- */

double DegToRad(double degrees);             /* x * 0.017453292519943295 */
double RadToDeg(double radians);             /* x * 57.29577951308232 */
double CelsiusToKelvin(double celsius);      /* x + 273.15 */
double KelvinToCelsius(double kelvin);       /* x - 273.15 */
double CelsiusToFahrenheit(double celsius);  /* x * 1.8 + 32.0 */
double FahrenheitToCelsius(double fahrenheit); /* (x - 32.0) * 0.5555555555555556 */
double MetersToFeet(double meters);          /* x / 0.3048 */
double FeetToMeters(double feet);            /* x * 0.3048 */
double KilometersToMiles(double kilometers); /* x / 1.609344 */
double MilesToKilometers(double miles);      /* x * 1.609344 */
double KilogramsToPounds(double kilograms);  /* x / 0.453592 (six-decimal pound) */
double PoundsToKilograms(double pounds);     /* x * 0.453592 */
double LitersToGallons(double liters);       /* x / 3.7854 (US liquid gallon, four decimals) */
double GallonsToLiters(double gallons);      /* x * 3.7854 */

#ifdef __cplusplus
}
#endif

#endif
