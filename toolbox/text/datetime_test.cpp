// Date and time texts: a file of known modification time under a comma-decimal (German) locale
// and the C locale, failed file queries, small buffers; the process's locale and the
// break-on-library-errors setting stay as they were.
#include "toolbox/text/datetime.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <utime.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "toolbox/core/errors.h"
#include "toolbox/text/locale_env_testing.h"

namespace {

class DateTimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        fclose(fopen(file_.c_str(), "w"));
        struct tm known = {};  // 18 March 2024, 14:05:09 local time, far from any DST change
        known.tm_year = 124, known.tm_mon = 2, known.tm_mday = 18;
        known.tm_hour = 14, known.tm_min = 5, known.tm_sec = 9, known.tm_isdst = -1;
        SetFileTime(known_ = mktime(&known));
    }
    void TearDown() override { remove(file_.c_str()); }
    void SetFileTime(time_t t) {
        struct utimbuf times = {t, t};
        ASSERT_EQ(utime(file_.c_str(), &times), 0);
    }
    const std::string file_ = "datetime_test_" + std::to_string(getpid());
    time_t known_ = 0;
    toolbox::testing::ScopedEnv lcAll_{"LC_ALL", nullptr};
};

TEST_F(DateTimeTest, FileTimeAndDateInTheEnvironmentsFormatOnly) {
    time_t t = 0;
    ASSERT_EQ(GetFileCLibTime(file_.c_str(), &t), 1);
    EXPECT_EQ(t, known_);
    ASSERT_NE(setlocale(LC_TIME, "de_DE.UTF-8"), nullptr) << "run scripts/setup";
    const char *cases[][3] = {{"de_DE.UTF-8", "14:05:09", "18.03.2024"},
                              {"C", "14:05:09", "03/18/24"},
                              {"xx_NOWHERE", "14:05:09", "18.03.2024"}};  // the process's own
    for (const auto &c : cases) {
        lcAll_.Set(c[0]);
        char buffer[64];
        EXPECT_EQ(InternationalFileTime(file_.c_str(), buffer, sizeof buffer), 8);
        EXPECT_STREQ(buffer, c[1]);
        EXPECT_EQ(InternationalFileDate(file_.c_str(), buffer, sizeof buffer), int(strlen(c[2])));
        EXPECT_STREQ(buffer, c[2]);
        EXPECT_EQ(InternationalFileDate(file_.c_str(), buffer, 5), 0);  // does not fit
        EXPECT_STREQ(setlocale(LC_TIME, nullptr), "de_DE.UTF-8");
    }
    setlocale(LC_TIME, "C");
}

TEST_F(DateTimeTest, CurrentTimeAndDateAndTooSmallBuffers) {
    lcAll_.Set("de_DE.UTF-8");
    char buffer[64] = "kept";
    EXPECT_EQ(InternationalTime(buffer, 1) + InternationalDate(buffer, 0), 0);
    EXPECT_STREQ(buffer, "kept");
    ASSERT_EQ(InternationalTime(buffer, sizeof buffer), 8);
    EXPECT_TRUE(buffer[2] == ':' && buffer[5] == ':') << buffer;
    ASSERT_EQ(InternationalDate(buffer, sizeof buffer), 10);
    EXPECT_TRUE(buffer[2] == '.' && buffer[5] == '.') << buffer;
}

TEST_F(DateTimeTest, FailuresReturnCodesAndTouchNothing) {
    const std::string tooLong(5000, 'y');
    const std::pair<const char *, int> cases[] = {
        {"no_such_file", -94}, {".", -94}, {tooLong.c_str(), -93}, {file_.c_str(), 0}};
    SetFileTime(-1);  // one second before the epoch: the calendar time -1, mktime's failure mark
    const int before = SetBOLE(1);
    for (const auto &[name, code] : cases) {
        time_t t = 77;
        char buffer[16] = "untouched";
        EXPECT_EQ(GetFileCLibTime(name, &t), code);
        EXPECT_EQ(t, code == 0 ? -1 : 77);
        EXPECT_EQ(InternationalFileTime(name, buffer, sizeof buffer), code);
        EXPECT_EQ(InternationalFileDate(name, buffer, sizeof buffer), code);
        EXPECT_STREQ(buffer, "untouched");
        EXPECT_EQ(SetBOLE(1), 1) << "break-on-library-errors is back on";
    }
    SetBOLE(before);
}

}  // namespace
