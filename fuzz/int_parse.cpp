// Fuzz target for the strict integer parsers: any byte string must be parsed without a fault,
// and an accepted text must agree with strtoll on the value and round-trip through printf.
#include "toolbox/text/int_parse.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string text(reinterpret_cast<const char *>(data), size);
    const char *s = text.c_str();  // stops at the first zero byte, as a C caller's text would

    int i = 0;
    if (StrToInt(s, &i)) {
        if (strtoll(s, nullptr, 10) != i)
            abort();
        char back[16];
        snprintf(back, sizeof back, "%d", i);
        int again = 0;
        if (!StrToInt(back, &again) || again != i)
            abort();
    }
    unsigned int u = 0;
    if (StrToUInt(s, &u)) {
        if (strtoll(s, nullptr, 10) != (long long)u || strchr(s, '-') != nullptr)
            abort();
    }
    return 0;
}
