// Tests of the engine's file calls on a private temporary directory.
#include "rte/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class RteFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/rte_files_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        std::ofstream(P("f")) << std::string(1234, 'x');
        mkdir(P("dir").c_str(), 0700);
        std::ofstream(P("dir/x")) << "x";
        symlink("loop", P("loop").c_str());
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string P(const std::string &name) const { return dir_ + "/" + name; }
    std::string dir_;
    const std::string tooLong_ = std::string(300, 'n');
};

TEST_F(RteFiles, InfoAndSizeTellFilesFromMissingPathsAndFailures) {
    const struct { std::string name; int info, size; } cases[] = {
        {"f", 1, 0}, {"missing", 0, -1}, {"f/below", 0, -1}, {"dir", 0, -1},  // a directory is no file
        {tooLong_, -1, -3}, {"loop", -1, -3},
    };
    for (const auto &c : cases) {
        long a = -7, b = -7;
        EXPECT_EQ(GetFileInfo(P(c.name).c_str(), &a), c.info) << c.name;
        EXPECT_EQ(RteGetFileSize(P(c.name).c_str(), &b), c.size) << c.name;
        EXPECT_EQ(a, c.info == 1 ? 1234 : -7);
        EXPECT_EQ(b, c.info == 1 ? 1234 : -7);
    }
}

TEST_F(RteFiles, DateAndTimeAreTheLocalModificationTime) {
    struct tm when = {26, 9, 15, 14, 2, 121, 0, 0, -1, 0, nullptr};  // 2021-03-14 15:09:26
    time_t t = mktime(&when);
    struct timespec times[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, P("f").c_str(), times, 0), 0);
    int v[6] = {};
    EXPECT_EQ(GetFileDate(P("f").c_str(), &v[0], &v[1], &v[2]), 0);
    EXPECT_EQ(RteGetFileTime(P("f").c_str(), &v[3], &v[4], &v[5]), 0);
    EXPECT_EQ(std::vector<int>(v, v + 6), (std::vector<int>{3, 14, 2021, 15, 9, 26}));
    v[0] = v[3] = -5;
    EXPECT_EQ(GetFileDate(P("missing").c_str(), &v[0], &v[1], &v[2]), -1);
    EXPECT_EQ(RteGetFileTime(P("dir").c_str(), &v[3], &v[4], &v[5]), -1);
    EXPECT_EQ(GetFileDate(P(tooLong_).c_str(), &v[0], &v[1], &v[2]), -3);
    EXPECT_EQ(v[0] + v[3], -10);  // outputs untouched on failure
}

TEST_F(RteFiles, RenameMovesButNeverReplaces) {
    std::ofstream(P("b")) << "B";
    EXPECT_EQ(RenameFile(P("f").c_str(), P("c").c_str()), 0);
    EXPECT_EQ(GetFileInfo(P("f").c_str(), nullptr), 0);
    const struct { std::string from, to; int result; } cases[] = {
        {"c", "b", -6}, {"c", "dir", -6}, {"missing", "d", -1}, {"c", "nodir/d", -5},
        {"c", tooLong_, -5}, {"dir", "dir/inside", -5},
    };
    for (const auto &c : cases) EXPECT_EQ(RenameFile(P(c.from).c_str(), P(c.to).c_str()), c.result) << c.to;
    EXPECT_EQ(RenameFile("", P("d").c_str()), -5);
    std::ifstream b(P("b"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(b), {}), "B");
    EXPECT_EQ(GetFileInfo(P("c").c_str(), nullptr), 1);
}

TEST(RteSplitPath, SplitsAtTheLastSlash) {
    const char *cases[][3] = {
        {"/dir/f.txt", "/dir/", "f.txt"}, {"f.txt", "", "f.txt"}, {"/dir/", "/dir/", ""},
        {"", "", ""}, {"rel/a:b", "rel/", "a:b"},  // a colon is an ordinary character here
    };
    char drive[MAX_DRIVENAME_LEN] = "?", dir[MAX_DIRNAME_LEN], name[MAX_FILENAME_LEN];
    for (auto &c : cases) {
        EXPECT_EQ(SplitPath(c[0], drive, dir, name), 0) << c[0];
        EXPECT_EQ(std::string(drive) + "|" + dir + "|" + name, std::string("|") + c[1] + "|" + c[2]);
    }
    // Parts that do not fit their buffers fail and leave every part empty.
    std::string longName = "/d/" + std::string(MAX_FILENAME_LEN, 'n');
    EXPECT_EQ(SplitPath(longName.c_str(), nullptr, dir, name), -100);
    EXPECT_EQ(std::string(dir) + name, "");
    EXPECT_EQ(SplitPath((std::string(MAX_DIRNAME_LEN, 'd') + "/f").c_str(), nullptr, nullptr, name), -100);
    errno = ERANGE;
    EXPECT_EQ(_GetErrno(), ERANGE);
}

}  // namespace
