/* toolbox/numeric/fp_compare.h - tolerant comparison of doubles and pinning into a range.
 *
 * The comparisons treat values as equal when they agree within 1e-8, both absolutely and
 * relatively. Comparisons with exactly 0 are exact in FP_GT/FP_GE but tolerant in FP_EQ, so a
 * value of magnitude below 1e-8 equals 0 and is also greater than 0; FP_Compare tests
 * equality first. Any NaN argument makes every comparison answer 0 (FP_Compare: -1).
 * All functions are pure and safe on any thread.
 */
#ifndef TOOLBOX_NUMERIC_FP_COMPARE_H
#define TOOLBOX_NUMERIC_FP_COMPARE_H

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Comparisons within 1e-8 ------------------------------------------------------------- */

int FP_Compare(double a, double b);  /* 0 if FP_EQ(a, b), else 1 if FP_GT(a, b), else -1 */
int FP_EQ(double a, double b);       /* 1 when a and b agree within 1e-8 absolutely and relatively */
int FP_GT(double a, double b);       /* 1 when a is greater than b by more than the tolerance */
int FP_GE(double a, double b);       /* 1 when a is greater than b or within the tolerance of it */
int FP_LT(double a, double b);       /* FP_GT(b, a) */
int FP_LE(double a, double b);       /* FP_GE(b, a) */

/* ---- Pinning ----------------------------------------------------------------------------- */

/* low if value < low, else high if value > high, else value. low <= high is not checked: with
 * low > high, values below low give low and all others give high. A NaN value is returned as is. */
double Pin(double value, double low, double high);

#ifdef __cplusplus
}
#endif

#endif
