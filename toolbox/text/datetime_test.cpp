// Tests of the date and time texts: a file of known modification time under a comma-decimal
// (German) locale and the C locale, failures of the file query, small buffers, and the
// guarantee that neither the process's locale nor break-on-library-errors changes.
#include "toolbox/text/datetime.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <utime.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "toolbox/core/errors.h"

namespace {

class DateTimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char *old = getenv("LC_ALL")) saved_ = old;
        locale_t probe = newlocale(LC_TIME_MASK, "de_DE.UTF-8", nullptr);
        ASSERT_NE(probe, nullptr) << "the locale de_DE.UTF-8 is missing: run scripts/setup";
        freelocale(probe);
        file_ = "datetime_test_" + std::to_string(getpid()) + ".txt";
        FILE *f = fopen(file_.c_str(), "w");
        ASSERT_NE(f, nullptr);
        fclose(f);
        // 18 March 2024, 14:05:09 local time: no daylight-saving change near it anywhere.
        struct tm known = {};
        known.tm_year = 2024 - 1900;
        known.tm_mon = 2;
        known.tm_mday = 18;
        known.tm_hour = 14;
        known.tm_min = 5;
        known.tm_sec = 9;
        known.tm_isdst = -1;
        knownTime_ = mktime(&known);
        SetFileTime(knownTime_);
    }
    void TearDown() override {
        remove(file_.c_str());
        if (saved_) setenv("LC_ALL", saved_->c_str(), 1);
        else unsetenv("LC_ALL");
    }
    void SetFileTime(time_t t) {
        struct utimbuf times = {t, t};
        ASSERT_EQ(utime(file_.c_str(), &times), 0);
    }

    std::optional<std::string> saved_;
    std::string file_;
    time_t knownTime_ = 0;
};

TEST_F(DateTimeTest, FileTimeAndDateInTheEnvironmentsFormat) {
    time_t t = 0;
    ASSERT_EQ(GetFileCLibTime(file_.c_str(), &t), 1);
    EXPECT_EQ(t, knownTime_);
    EXPECT_EQ(GetFileCLibTime(file_.c_str(), nullptr), 1);

    const struct {
        const char *locale, *time, *date;
    } cases[] = {
        {"de_DE.UTF-8", "14:05:09", "18.03.2024"},
        {"C", "14:05:09", "03/18/24"},
        {"xx_NOWHERE.UTF-8", "14:05:09", "03/18/24"},  // unknown: the process's C time locale
    };
    const std::string processLocale = setlocale(LC_TIME, nullptr);
    for (const auto &c : cases) {
        setenv("LC_ALL", c.locale, 1);
        char buffer[64];
        EXPECT_EQ(InternationalFileTime(file_.c_str(), buffer, sizeof buffer), 8) << c.locale;
        EXPECT_STREQ(buffer, c.time) << c.locale;
        EXPECT_EQ(InternationalFileDate(file_.c_str(), buffer, sizeof buffer),
                  static_cast<int>(strlen(c.date)))
            << c.locale;
        EXPECT_STREQ(buffer, c.date) << c.locale;
        EXPECT_EQ(InternationalFileDate(file_.c_str(), buffer, 5), 0) << "too small a buffer";
    }
    EXPECT_EQ(processLocale, setlocale(LC_TIME, nullptr));
}

TEST_F(DateTimeTest, TheProcessLocaleIsNeitherUsedNorChanged) {
    ASSERT_NE(setlocale(LC_TIME, "de_DE.UTF-8"), nullptr);
    setenv("LC_ALL", "C", 1);
    char buffer[64];
    EXPECT_GT(InternationalFileDate(file_.c_str(), buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "03/18/24");
    EXPECT_EQ(std::string(setlocale(LC_TIME, nullptr)), "de_DE.UTF-8");
    setlocale(LC_TIME, "C");
}

TEST_F(DateTimeTest, CurrentTimeAndDate) {
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    char buffer[64];
    ASSERT_EQ(InternationalTime(buffer, sizeof buffer), 8);
    EXPECT_TRUE(buffer[2] == ':' && buffer[5] == ':') << buffer;
    ASSERT_EQ(InternationalDate(buffer, sizeof buffer), 10);
    EXPECT_TRUE(buffer[2] == '.' && buffer[5] == '.') << buffer;

    strcpy(buffer, "kept");
    EXPECT_EQ(InternationalTime(buffer, 1), 0);
    EXPECT_EQ(InternationalDate(buffer, 0), 0);
    EXPECT_STREQ(buffer, "kept") << "a size of 0 writes nothing";
    EXPECT_EQ(InternationalTime(nullptr, 64), 0);
}

TEST_F(DateTimeTest, FailedFileQueriesReturnCodesAndTouchNothing) {
    const std::string tooLong = "x" + std::string(5000, 'y');
    const struct {
        const char *name;
        int code;
    } cases[] = {
        {"no_such_file_datetime_test.txt", -94},
        {".", -94},  // a directory is no file
        {tooLong.c_str(), -93},
    };
    const int before = SetBOLE(1);
    for (const auto &c : cases) {
        time_t t = 77;
        char buffer[16] = "untouched";
        EXPECT_EQ(GetFileCLibTime(c.name, &t), c.code);
        EXPECT_EQ(t, 77);
        EXPECT_EQ(InternationalFileTime(c.name, buffer, sizeof buffer), c.code);
        EXPECT_EQ(InternationalFileDate(c.name, buffer, sizeof buffer), c.code);
        EXPECT_STREQ(buffer, "untouched");
        EXPECT_EQ(SetBOLE(1), 1) << "break-on-library-errors is back on after the call";
    }
    SetBOLE(before);
}

TEST_F(DateTimeTest, AFileTimeThatIsNoValidCalendarTimeGivesZero) {
    // One second before the epoch is the time whose calendar value is -1, mktime's failure mark.
    SetFileTime(-1);
    time_t t = 77;
    EXPECT_EQ(GetFileCLibTime(file_.c_str(), &t), 0);
    EXPECT_EQ(t, -1);
    char buffer[16] = "untouched";
    EXPECT_EQ(InternationalFileTime(file_.c_str(), buffer, sizeof buffer), 0);
    EXPECT_EQ(InternationalFileDate(file_.c_str(), buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "untouched");
}

}  // namespace
