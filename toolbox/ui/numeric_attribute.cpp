// toolbox/ui/numeric_attribute.cpp - an attribute of a control's data type read and stored in
// another numeric type (ctrl_helpers.h).
//
// Narrowing keeps the low bits that fit, as a two's-complement machine would, but is worked out
// in unsigned arithmetic on the value's residue modulo 2^64, so no conversion that C and C++
// leave undefined (a double out of an integer type's range) is ever made.
#include <math.h>
#include <stdint.h>
#include <string.h>

#include "rte/ui.h"
#include "toolbox/core/check_internal.h"
#include "toolbox/ui/ctrl_helpers.h"

namespace {

bool IsNumericType(int type) { return type >= VAL_CHAR && type <= VAL_UNSIGNED_CHAR && type != VAL_STRING; }

// The value as read in the control's type, widened to double (unsigned types as unsigned).
double Widen(int type, const unsigned char *raw) {
    switch (type) {
    case VAL_CHAR: { signed char v; memcpy(&v, raw, sizeof v); return v; }
    case VAL_SHORT: { short v; memcpy(&v, raw, sizeof v); return v; }
    case VAL_FLOAT: { float v; memcpy(&v, raw, sizeof v); return v; }
    case VAL_DOUBLE: { double v; memcpy(&v, raw, sizeof v); return v; }
    case VAL_UNSIGNED_SHORT: { unsigned short v; memcpy(&v, raw, sizeof v); return v; }
    case VAL_UNSIGNED_INTEGER: { unsigned v; memcpy(&v, raw, sizeof v); return v; }
    case VAL_UNSIGNED_CHAR: { unsigned char v; memcpy(&v, raw, sizeof v); return v; }
    default: { int v; memcpy(&v, raw, sizeof v); return v; }
    }
}

// The low 64 bits of the value truncated toward zero (0 for NaN and infinities).
uint64_t LowBits(double v) {
    if (!isfinite(v)) return 0;
    // The magnitude's residue is exact (both are integers) and below 2^64; a negative value is
    // its two's complement, taken in unsigned arithmetic.
    uint64_t magnitude = static_cast<uint64_t>(fmod(fabs(trunc(v)), 18446744073709551616.0));
    return v < 0 ? ~magnitude + 1 : magnitude;
}

void Store(int type, double v, void *out) {
    uint64_t bits = LowBits(v);
    switch (type) {
    case VAL_FLOAT: { float f = static_cast<float>(v); memcpy(out, &f, sizeof f); break; }
    case VAL_DOUBLE: memcpy(out, &v, sizeof v); break;
    case VAL_CHAR: case VAL_UNSIGNED_CHAR: { uint8_t b = static_cast<uint8_t>(bits); memcpy(out, &b, 1); break; }
    case VAL_SHORT: case VAL_UNSIGNED_SHORT: { uint16_t b = static_cast<uint16_t>(bits); memcpy(out, &b, 2); break; }
    default: { uint32_t b = static_cast<uint32_t>(bits); memcpy(out, &b, 4); break; }
    }
}

}  // namespace

extern "C" int GetNumericAttributeAsType(int panel, int control, int attribute, int wantedType, void *value) {
    TOOLBOX_CHECK(value != nullptr, "Parameter 5 passed to GetNumericAttributeAsType was NULL.");
    int type = 0;
    int rc = GetCtrlAttribute(panel, control, ATTR_DATA_TYPE, &type);
    if (rc < 0) return rc;
    TOOLBOX_CHECK(IsNumericType(type), "The type of the control passed to GetNumericAttributeAsType\nwas not a numeric type.");
    TOOLBOX_CHECK(IsNumericType(wantedType), "Parameter 4 passed to GetNumericAttributeAsType\nwas not a numeric data type.");
    // Room for the widest type, so an attribute the engine passes wider than the control's
    // type cannot overrun it.
    alignas(double) unsigned char raw[sizeof(double)] = {};
    rc = GetCtrlAttribute(panel, control, attribute, raw);
    if (rc < 0) return rc;
    Store(wantedType, Widen(type, raw), value);
    return 0;
}
