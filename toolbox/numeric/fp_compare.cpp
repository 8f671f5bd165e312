// Tolerant floating-point comparison and pinning. One tolerance, 1e-8, bounds both the absolute
// and the relative difference of two values.
#include "toolbox/numeric/fp_compare.h"

#include <cmath>

namespace {
const double kTolerance = 1e-8;
}

extern "C" int FP_EQ(double a, double b) {
    // Relative measure: against an exact zero the other value itself, else the ratio's
    // distance from 1. Both the relative and the absolute test must pass.
    double d;
    if (b == 0.0)
        d = a;
    else if (a == 0.0)
        d = b;
    else
        d = a / b - 1.0;
    if (!(d > -kTolerance && d < kTolerance)) return 0;  // also rejects NaN
    return std::fabs(a - b) < kTolerance ? 1 : 0;
}

extern "C" int FP_GT(double a, double b) {
    if (b == 0.0) return a > 0.0 ? 1 : 0;
    if (a == 0.0) return b < 0.0 ? 1 : 0;
    double q = a / b;
    if (q > 0.0 && std::fabs(a - b) <= kTolerance) {
        if (b > 0.0) return q - 1.0 >= kTolerance ? 1 : 0;
        return q - 1.0 <= -kTolerance ? 1 : 0;
    }
    return a > b ? 1 : 0;
}

extern "C" int FP_GE(double a, double b) {
    if (b == 0.0) return a >= 0.0 ? 1 : 0;
    if (a == 0.0) return b <= 0.0 ? 1 : 0;
    double q = a / b;
    if (q > 0.0 && std::fabs(a - b) <= kTolerance) {
        if (b > 0.0) return q - 1.0 > -kTolerance ? 1 : 0;
        return q - 1.0 < kTolerance ? 1 : 0;
    }
    return a > b ? 1 : 0;
}

extern "C" int FP_LT(double a, double b) { return FP_GT(b, a); }

extern "C" int FP_LE(double a, double b) { return FP_GE(b, a); }

extern "C" int FP_Compare(double a, double b) {
    if (FP_EQ(a, b)) return 0;
    return FP_GT(a, b) ? 1 : -1;
}

extern "C" double Pin(double value, double low, double high) {
    if (low > value) return low;
    if (high < value) return high;
    return value;
}
