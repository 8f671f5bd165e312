// The decimal separator follows LC_ALL, LC_NUMERIC and LANG in that order (de_DE.UTF-8 comes
// from scripts/setup) and leaves the process's locale alone.
#include "rte/system.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

TEST(SystemAttribute, DecimalSeparatorFollowsTheEnvironment) {
    const char *names[] = {"LC_ALL", "LC_NUMERIC", "LANG"}, *de = "de_DE.UTF-8";
    const struct {
        const char *values[3];
        int separator;
    } cases[] = {{{nullptr, nullptr, de}, ','}, {{nullptr, "C", de}, '.'}, {{de, "C", nullptr}, ','},
                 {{"", "", de}, ','}, {{nullptr, nullptr, "xx_NOWHERE"}, '.'}};
    const std::string before = setlocale(LC_NUMERIC, nullptr);
    char *old[3];
    for (int i = 0; i < 3; ++i) old[i] = getenv(names[i]) ? strdup(getenv(names[i])) : nullptr;
    for (const auto &c : cases) {
        for (int i = 0; i < 3; ++i) c.values[i] ? setenv(names[i], c.values[i], 1) : unsetenv(names[i]);
        int value = 0;
        EXPECT_EQ(GetSystemAttribute(ATTR_DECIMAL_SEPARATOR, &value), 0);
        EXPECT_EQ(value, c.separator) << c.values[1] << " (run scripts/setup)";
    }
    EXPECT_EQ(before, setlocale(LC_NUMERIC, nullptr));
    for (int i = 0; i < 3; ++i) {
        old[i] ? setenv(names[i], old[i], 1) : unsetenv(names[i]);
        free(old[i]);
    }
    int value = 12345;
    EXPECT_EQ(GetSystemAttribute(1451, &value), -45);
    EXPECT_EQ(value, 12345);
    EXPECT_EQ(GetSystemAttribute(ATTR_DECIMAL_SEPARATOR, nullptr), -65);
}
