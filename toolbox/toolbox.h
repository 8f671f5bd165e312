/* toolbox/toolbox.h - the utility library's public interface (plain C, usable from C and C++).
 *
 * Every exported function of the library, grouped by family; each family's header lists its
 * functions with their contracts. Include this header and link toolbox::toolbox (CMake) or
 * `pkg-config --libs toolbox`.
 *
 *   toolbox/text/int_parse.h    strict whole-string integer parsers (StrToInt, StrToUInt)
 *   toolbox/text/text_data.h    binary data as six-bit printable text (ConvertDataToText, ...)
 *   toolbox/text/mbstrings.h    double-byte-safe character helpers (Cmb...)
 *   toolbox/text/number_locale.h  decimal point <-> user's separator (LocalizeNumberString, ...)
 *   toolbox/numeric/array_convert.h  type-code arrays: conversion, transposition, sizes
 *   toolbox/numeric/units.h          mathematical and physical constants, unit conversions
 *   toolbox/numeric/array_convert.h  type-code arrays: conversion, transposition, sizes
 *   toolbox/numeric/units.h          mathematical and physical constants, unit conversions
 */
#ifndef TOOLBOX_TOOLBOX_H
#define TOOLBOX_TOOLBOX_H

#include "rte/rte.h"
#include "toolbox/text/int_parse.h"
#include "toolbox/text/text_data.h"
#include "toolbox/text/mbstrings.h"
#include "toolbox/text/number_locale.h"
#include "toolbox/numeric/array_convert.h"
#include "toolbox/numeric/units.h"
#include "toolbox/numeric/array_convert.h"
#include "toolbox/numeric/units.h"

#endif
