// rte/core/system.cpp - system attributes (see system.h).
#include "rte/system.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>

namespace {

constexpr int kInvalidAttribute = -45;
constexpr int kNullPointer = -65;

// The decimal separator of the environment's numeric locale. newlocale with "" resolves the
// locale name from LC_ALL, LC_NUMERIC and LANG in that order, and leaves the process's locale
// alone, so the answer follows the environment even in a program that never calls setlocale.
int DecimalSeparator() {
    locale_t numeric = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (numeric == static_cast<locale_t>(nullptr)) return '.';  // unknown locale: the C rules
    const char *radix = nl_langinfo_l(RADIXCHAR, numeric);
    int separator = '.';
    if (radix != nullptr && radix[0] != '\0' && radix[1] == '\0') {
        separator = static_cast<unsigned char>(radix[0]);
    }
    freelocale(numeric);
    return separator;
}

}  // namespace

int GetSystemAttribute(int attribute, void *value) {
    if (value == nullptr) return kNullPointer;
    switch (attribute) {
        case ATTR_DECIMAL_SEPARATOR: {
            int separator = DecimalSeparator();
            memcpy(value, &separator, sizeof separator);
            return 0;
        }
        default:
            return kInvalidAttribute;
    }
}
