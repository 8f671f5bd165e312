// Tests of the path-name functions: tables of paths, double-byte names, null arguments.
#include "toolbox/files/paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "rte/mbs_testing.h"

namespace {

TEST(Paths, FindsNameExtensionAndDot) {
    const struct { const char *path, *name, *extension; int dot; } cases[] = {  // dot -1: none
        {"/dir/f.txt", "f.txt", "txt", 6}, {"f.txt", "f.txt", "txt", 1}, {"/dir/", "", "", -1},
        {"", "", "", -1}, {"a.b.c", "a.b.c", "c", 3}, {".profile", ".profile", "", -1},
        {"/home/.profile", ".profile", "", -1}, {"dir.x/file", "file", "", -1},
        {"name.", "name.", "", 4}, {"D:f.txt", "D:f.txt", "txt", 3}, {"/a\\b.c", "a\\b.c", "c", 4},
    };
    for (const auto &c : cases) {
        EXPECT_STREQ(FindFileName(c.path), c.name) << c.path;
        EXPECT_STREQ(FindFileExtension(c.path), c.extension) << c.path;
        EXPECT_EQ(FindFileDotPosition(c.path) - c.path, c.dot < 0 ? static_cast<long>(strlen(c.path)) : c.dot);
    }
    // The extension's dot must lie within the last 255 bytes of the path.
    std::string near = "/d/x." + std::string(254, 'e'), far = "/d/x." + std::string(255, 'e');
    EXPECT_EQ(FindFileExtension(near.c_str()), near.c_str() + 5);
    EXPECT_EQ(*FindFileExtension(far.c_str()), '\0');
    // No drive names here: a colon is an ordinary character; absolute means a leading '/'.
    const char *d = "D:/a";
    EXPECT_EQ(SkipDriveName(d), d);
    EXPECT_EQ(SkipDriveName(nullptr), nullptr);
    const struct { const char *path; int absolute; } abs[] = {
        {"/a", 1}, {"/", 1}, {"a/b", 0}, {"D:/a", 0}, {"\\a", 0}, {"", 0}, {nullptr, 0}};
    for (auto &a : abs) EXPECT_EQ(IsAbsolutePath(a.path), a.absolute) << (a.path ? a.path : "null");
}

TEST(Paths, BuildsPathsWithAnotherExtensionOrName) {
    const char *cases[][3] = {
        {"/x/report.txt", "csv", "/x/report.csv"}, {"readme", "csv", "readme.csv"},
        {"name.", "csv", "name.csv"}, {".profile", "csv", ".profile.csv"}, {"/x.d/file", "c", "/x.d/file.c"},
    };
    char out[64];
    for (auto &c : cases) {
        ChangeFileNameExtension(c[0], out, c[1]);
        EXPECT_STREQ(out, c[2]) << c[0];
    }
    ChangeFileNameExtension(out, out, "longer");  // in place
    EXPECT_STREQ(out, "/x.d/file.longer");
    const char *names[][3] = {{"/x/report.txt", "new.dat", "/x/new.dat"}, {"report.txt", "n", "n"}, {"/x/", "n", "/x/n"}};
    for (auto &c : names) {
        ChangeBaseFileName(c[0], out, c[1]);
        EXPECT_STREQ(out, c[2]) << c[0];
    }
    ChangeBaseFileName(out, out, "other");
    EXPECT_STREQ(out, "/x/other");
}

TEST(Paths, DoubleByteNamesAreScannedByCharacter) {
    for (int codePage : {0, 932}) {
        rte::testing::ScopedCodePage cp(codePage);
        // 0x95 0x5C is one character in code page 932 (its trail byte is the backslash code);
        // in "\x83." the dot's code is the trail byte of a double-byte character.
        EXPECT_STREQ(FindFileExtension("/dir/\x95\x5c.txt"), "txt");
        EXPECT_STREQ(FindFileExtension("/d/a\x83.b"), codePage == 932 ? "" : "b") << codePage;
        char out[32];
        ChangeFileNameExtension("/d/\x82\xa0.txt", out, "csv");
        EXPECT_STREQ(out, "/d/\x82\xa0.csv");
    }
}

TEST(PathsDeathTest, NullPathsStopTheProgram) {
    char out[8];
    EXPECT_DEATH(FindFileName(nullptr), "Null pathString parameter passed to FindFileName");
    EXPECT_DEATH(FindFileExtension(nullptr), "Null pathString parameter passed to FindFileExtension");
    EXPECT_DEATH(FindFileDotPosition(nullptr), "Null pathString parameter passed to FindFileDotPosition");
    EXPECT_DEATH(ChangeFileNameExtension("a", out, nullptr), "Null parameters passed to ChangeFileNameExtension");
    EXPECT_DEATH(ChangeBaseFileName(nullptr, out, "b"), "Null parameters passed to ChangeBaseFileName");
}

}  // namespace
