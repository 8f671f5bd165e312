// Tests of the number localisation under a comma-separator locale and a period-separator one,
// in code page 0 and in Shift-JIS (932).
#include "toolbox/text/number_locale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

#include "rte/mbs_testing.h"

namespace {

// Runs a test with LC_ALL set to one locale and restores the variable after.
class NumberLocaleTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (saved_) setenv("LC_ALL", saved_->c_str(), 1);
        else unsetenv("LC_ALL");
    }
    void UseLocale(const char *name) {
        if (const char *old = getenv("LC_ALL")) saved_ = old;
        locale_t probe = newlocale(LC_NUMERIC_MASK, name, nullptr);
        ASSERT_NE(probe, nullptr) << "the locale " << name << " is missing: run scripts/setup";
        freelocale(probe);
        setenv("LC_ALL", name, 1);
    }
    static std::string Localize(std::string text) {
        LocalizeNumberString(text.data());
        return text;
    }
    static std::string Delocalize(std::string text) {
        DelocalizeNumberString(text.data());
        return text;
    }
    std::optional<std::string> saved_;
};

TEST_F(NumberLocaleTest, CommaSeparatorReplacesEveryPeriod) {
    UseLocale("de_DE.UTF-8");
    const struct {
        const char *standard, *user;
    } cases[] = {
        {"3.14", "3,14"},
        {"1.000.5", "1,000,5"},  // every occurrence; no thousands logic
        {"", ""},
        {"-2e-3", "-2e-3"},
        {"\xe2\x82\xac 4.5", "\xe2\x82\xac 4,5"},  // UTF-8 text around the number is kept
    };
    for (int codePage : {0, 932}) {
        rte::testing::ScopedCodePage cp(codePage);
        for (const auto &c : cases) {
            EXPECT_EQ(Localize(c.standard), c.user) << codePage;
            EXPECT_EQ(Delocalize(c.user), c.standard) << codePage;
        }
    }
    // Thousands separators in the user's text are other characters and stay.
    EXPECT_EQ(Delocalize("1.234,5"), "1.234.5");
    LocalizeNumberString(nullptr);
    DelocalizeNumberString(nullptr);
}

TEST_F(NumberLocaleTest, DoubleByteCharactersAreSteppedOverWhole) {
    UseLocale("de_DE.UTF-8");
    // 0x81 is a Shift-JIS lead byte: in code page 932 it takes the next byte with it, so that
    // byte is never examined; in code page 0 every byte is a character of its own.
    {
        rte::testing::ScopedCodePage cp(932);
        EXPECT_EQ(Localize("\x81.1.5"), "\x81.1,5");
        EXPECT_EQ(Delocalize("\x82\xa0,5"), "\x82\xa0.5");
        EXPECT_EQ(Delocalize("\x81,2,5"), "\x81,2.5");
    }
    {
        rte::testing::ScopedCodePage cp(0);
        EXPECT_EQ(Localize("\x81.1.5"), "\x81,1,5");
    }
}

TEST_F(NumberLocaleTest, PeriodSeparatorLeavesTextsAlone) {
    UseLocale("C.UTF-8");
    EXPECT_EQ(Localize("3.14"), "3.14");
    EXPECT_EQ(Delocalize("3,14"), "3,14");
    EXPECT_EQ(Localize(""), "");
}

}  // namespace
