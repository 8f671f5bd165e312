// Number localisation under a comma-separator locale (de_DE.UTF-8, made by scripts/setup) and a
// period one, in code page 0 and Shift-JIS (932).
#include "toolbox/text/number_locale.h"

#include <gtest/gtest.h>

#include <string>

#include "rte/mbs_testing.h"
#include "toolbox/text/locale_env_testing.h"

namespace {

std::string Localize(std::string text, bool back = false) {
    back ? DelocalizeNumberString(text.data()) : LocalizeNumberString(text.data());
    return text;
}

TEST(NumberLocale, CommaSeparatorReplacesEveryPeriodByWholeCharacters) {
    toolbox::testing::ScopedEnv lcAll("LC_ALL", "de_DE.UTF-8");
    for (int codePage : {0, 932}) {
        rte::testing::ScopedCodePage cp(codePage);
        EXPECT_EQ(Localize("3.14"), "3,14");
        EXPECT_EQ(Localize("3,14", true), "3.14");
        EXPECT_EQ(Localize("1.000.5"), "1,000,5");
        EXPECT_EQ(Localize("1.234,5", true), "1.234.5");  // no thousands logic
        EXPECT_EQ(Localize(""), "");
        // 0x81 is a Shift-JIS lead byte: in 932 it takes the next byte with it.
        EXPECT_EQ(Localize("\x81.1.5"), codePage ? "\x81.1,5" : "\x81,1,5");
    }
    LocalizeNumberString(nullptr);
}

TEST(NumberLocale, PeriodSeparatorLeavesTextsAlone) {
    toolbox::testing::ScopedEnv lcAll("LC_ALL", "C.UTF-8");
    EXPECT_EQ(Localize("3.14"), "3.14");
    EXPECT_EQ(Localize("3,14", true), "3,14");
}

}  // namespace
