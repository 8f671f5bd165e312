// Tests of the engine's file calls on a private temporary directory.
#include "rte/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class RteFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/rte_files_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string P(const std::string &name) const { return dir_ + "/" + name; }
    void Write(const std::string &name, const std::string &bytes) const {
        std::ofstream(P(name), std::ios::binary) << bytes;
    }
    std::string dir_;
};

TEST_F(RteFiles, InfoAndSizeTellFilesFromMissingPathsAndFailures) {
    Write("f.bin", std::string(1234, 'x'));
    ASSERT_EQ(mkdir(P("sub").c_str(), 0700), 0);
    std::string tooLong = P(std::string(300, 'n'));
    ASSERT_EQ(symlink("loop", P("loop").c_str()), 0);

    long size = -7;
    EXPECT_EQ(GetFileInfo(P("f.bin").c_str(), &size), 1);
    EXPECT_EQ(size, 1234);
    EXPECT_EQ(GetFileInfo(P("f.bin").c_str(), nullptr), 1);
    size = -7;
    EXPECT_EQ(GetFileInfo(P("missing").c_str(), &size), 0);
    EXPECT_EQ(GetFileInfo(P("f.bin/below").c_str(), &size), 0);  // through a non-directory
    EXPECT_EQ(GetFileInfo(P("sub").c_str(), &size), 0);          // a directory is no file
    EXPECT_EQ(GetFileInfo(tooLong.c_str(), &size), -1);
    EXPECT_EQ(GetFileInfo(P("loop").c_str(), &size), -1);
    EXPECT_EQ(size, -7);

    size = -7;
    EXPECT_EQ(RteGetFileSize(P("f.bin").c_str(), &size), 0);
    EXPECT_EQ(size, 1234);
    size = -7;
    EXPECT_EQ(RteGetFileSize(P("missing").c_str(), &size), -1);
    EXPECT_EQ(RteGetFileSize(P("sub").c_str(), &size), -1);
    EXPECT_EQ(RteGetFileSize(tooLong.c_str(), &size), -3);
    EXPECT_EQ(RteGetFileSize(P("loop").c_str(), &size), -3);
    EXPECT_EQ(size, -7);
}

TEST_F(RteFiles, DateAndTimeAreTheLocalModificationTime) {
    Write("f", "x");
    struct tm when = {};
    when.tm_year = 2021 - 1900;
    when.tm_mon = 2;  // March
    when.tm_mday = 14;
    when.tm_hour = 15;
    when.tm_min = 9;
    when.tm_sec = 26;
    when.tm_isdst = -1;
    time_t t = mktime(&when);
    struct timespec times[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, P("f").c_str(), times, 0), 0);

    int month = 0, day = 0, year = 0, h = 0, m = 0, s = 0;
    EXPECT_EQ(GetFileDate(P("f").c_str(), &month, &day, &year), 0);
    EXPECT_EQ(month, 3);
    EXPECT_EQ(day, 14);
    EXPECT_EQ(year, 2021);
    EXPECT_EQ(RteGetFileTime(P("f").c_str(), &h, &m, &s), 0);
    EXPECT_EQ(h, 15);
    EXPECT_EQ(m, 9);
    EXPECT_EQ(s, 26);

    month = day = year = h = -5;
    EXPECT_EQ(GetFileDate(P("missing").c_str(), &month, &day, &year), -1);
    EXPECT_EQ(RteGetFileTime(P("missing").c_str(), &h, &m, &s), -1);
    EXPECT_EQ(GetFileDate(P(std::string(300, 'n')).c_str(), &month, &day, &year), -3);
    EXPECT_EQ(month, -5);
    EXPECT_EQ(h, -5);
}

TEST_F(RteFiles, RenameMovesButNeverReplaces) {
    Write("a", "A");
    Write("b", "B");
    ASSERT_EQ(mkdir(P("full").c_str(), 0700), 0);
    Write("full/x", "x");

    EXPECT_EQ(RenameFile(P("a").c_str(), P("c").c_str()), 0);
    EXPECT_EQ(GetFileInfo(P("a").c_str(), nullptr), 0);
    EXPECT_EQ(GetFileInfo(P("c").c_str(), nullptr), 1);

    EXPECT_EQ(RenameFile(P("c").c_str(), P("b").c_str()), -6);
    std::ifstream b(P("b"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(b), {}), "B");
    EXPECT_EQ(RenameFile(P("c").c_str(), P("full").c_str()), -6);

    EXPECT_EQ(RenameFile(P("missing").c_str(), P("d").c_str()), -1);
    EXPECT_EQ(RenameFile(P("c").c_str(), P("nodir/d").c_str()), -5);
    EXPECT_EQ(RenameFile(P("c").c_str(), P(std::string(300, 'n')).c_str()), -5);
    EXPECT_EQ(RenameFile(P("full").c_str(), P("full/inside").c_str()), -5);
    EXPECT_EQ(RenameFile("", P("d").c_str()), -5);
    EXPECT_EQ(GetFileInfo(P("c").c_str(), nullptr), 1);
}

TEST(RteSplitPath, SplitsAtTheLastSlash) {
    struct Case {
        const char *path, *dir, *name;
    } cases[] = {
        {"/dir/f.txt", "/dir/", "f.txt"},
        {"/x/y/report.txt", "/x/y/", "report.txt"},
        {"f.txt", "", "f.txt"},
        {"/dir/", "/dir/", ""},
        {"/", "/", ""},
        {"", "", ""},
        {"rel/a:b", "rel/", "a:b"},  // a colon is an ordinary character here
    };
    for (const Case &c : cases) {
        char drive[MAX_DRIVENAME_LEN] = "?", dir[MAX_DIRNAME_LEN], name[MAX_FILENAME_LEN];
        EXPECT_EQ(SplitPath(c.path, drive, dir, name), 0) << c.path;
        EXPECT_STREQ(drive, "") << c.path;
        EXPECT_STREQ(dir, c.dir) << c.path;
        EXPECT_STREQ(name, c.name) << c.path;
    }
    char name[MAX_FILENAME_LEN];
    EXPECT_EQ(SplitPath("/only/name", nullptr, nullptr, name), 0);
    EXPECT_STREQ(name, "name");

    // Parts that do not fit their buffers fail and leave every part empty.
    std::string longName = "/d/" + std::string(MAX_FILENAME_LEN, 'n');
    std::string longDir = std::string(MAX_DIRNAME_LEN, 'd') + "/f";
    char dir[MAX_DIRNAME_LEN] = "junk";
    strcpy(name, "junk");
    EXPECT_EQ(SplitPath(longName.c_str(), nullptr, dir, name), -100);
    EXPECT_STREQ(dir, "");
    EXPECT_STREQ(name, "");
    EXPECT_EQ(SplitPath(longDir.c_str(), nullptr, dir, name), -100);
}

TEST(RteErrno, ReadsTheCallingThreadsErrno) {
    errno = ERANGE;
    EXPECT_EQ(_GetErrno(), ERANGE);
    errno = 0;
    EXPECT_EQ(_GetErrno(), 0);
}

}  // namespace
