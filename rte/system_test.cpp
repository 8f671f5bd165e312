// Tests of the system attributes: the decimal separator follows the environment's locale
// variables in their order of precedence and leaves the process's locale alone.
#include "rte/system.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

// Sets or clears the three locale variables for one test and puts the old values back after.
class SystemAttributeTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char *name : kNames) {
            const char *old = getenv(name);
            saved_.push_back(old != nullptr ? std::optional<std::string>(old) : std::nullopt);
            unsetenv(name);
        }
        locale_t german = newlocale(LC_NUMERIC_MASK, "de_DE.UTF-8", nullptr);
        ASSERT_NE(german, nullptr) << "the locale de_DE.UTF-8 is missing: run scripts/setup";
        freelocale(german);
    }
    void TearDown() override {
        for (size_t i = 0; i < 3; ++i) {
            if (saved_[i]) setenv(kNames[i], saved_[i]->c_str(), 1);
            else unsetenv(kNames[i]);
        }
    }
    static void Set(const char *all, const char *numeric, const char *lang) {
        const char *values[] = {all, numeric, lang};
        for (size_t i = 0; i < 3; ++i) {
            if (values[i] != nullptr) setenv(kNames[i], values[i], 1);
            else unsetenv(kNames[i]);
        }
    }
    static int Separator() {
        int value = 0;
        EXPECT_EQ(GetSystemAttribute(ATTR_DECIMAL_SEPARATOR, &value), 0);
        return value;
    }

    static constexpr const char *kNames[3] = {"LC_ALL", "LC_NUMERIC", "LANG"};
    std::vector<std::optional<std::string>> saved_;
};

TEST_F(SystemAttributeTest, DecimalSeparatorFollowsTheEnvironment) {
    struct Case {
        const char *all, *numeric, *lang;
        int separator;
    } cases[] = {
        {nullptr, nullptr, nullptr, '.'},
        {nullptr, nullptr, "de_DE.UTF-8", ','},
        {nullptr, "de_DE.UTF-8", "C", ','},
        {nullptr, "C", "de_DE.UTF-8", '.'},
        {"C", "de_DE.UTF-8", "de_DE.UTF-8", '.'},
        {"de_DE.UTF-8", "C", nullptr, ','},
        {"", "", "de_DE.UTF-8", ','},           // empty variables count as unset
        {nullptr, nullptr, "xx_NOWHERE.UTF-8", '.'},  // a locale this machine lacks
    };
    const std::string before = setlocale(LC_NUMERIC, nullptr);
    for (const Case &c : cases) {
        Set(c.all, c.numeric, c.lang);
        EXPECT_EQ(Separator(), c.separator)
            << (c.all ? c.all : "-") << " " << (c.numeric ? c.numeric : "-") << " " << (c.lang ? c.lang : "-");
    }
    EXPECT_EQ(before, setlocale(LC_NUMERIC, nullptr)) << "the process locale must not change";
}

TEST_F(SystemAttributeTest, BadArgumentsAreReported) {
    int value = 12345;
    EXPECT_EQ(GetSystemAttribute(1451, &value), -45);
    EXPECT_EQ(value, 12345);
    EXPECT_EQ(GetSystemAttribute(ATTR_DECIMAL_SEPARATOR, nullptr), -65);
}

}  // namespace
