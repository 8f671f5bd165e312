// The same library from a C++ program, through the same C header.
#include "toolbox/toolbox.h"

#include <cstdio>
#include <string_view>

int main() {
    unsigned int value = 0;
    if (!StrToUInt("4294967295", &value) || value != 4294967295u) return 1;
    if (StrToUInt("-0", &value)) return 2;
    if (std::string_view(GetGeneralErrorString(-6000)) != "Invalid or corrupt language file") return 3;
    std::puts("c++ tour ok");
    return 0;
}
