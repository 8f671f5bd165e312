// Tests of the path-name functions: tables of paths, double-byte names, null arguments.
#include "toolbox/files/paths.h"

#include <gtest/gtest.h>

#include <string>

#include "rte/mbs_testing.h"

namespace {

TEST(Paths, DriveAndAbsolute) {
    const char *p = "/a";
    EXPECT_EQ(SkipDriveName(p), p);
    const char *d = "D:/a";  // no drive names here: a colon is an ordinary character
    EXPECT_EQ(SkipDriveName(d), d);
    EXPECT_EQ(SkipDriveName(nullptr), nullptr);
    EXPECT_EQ(IsAbsolutePath("/a"), 1);
    EXPECT_EQ(IsAbsolutePath("/"), 1);
    EXPECT_EQ(IsAbsolutePath("a/b"), 0);
    EXPECT_EQ(IsAbsolutePath("D:/a"), 0);
    EXPECT_EQ(IsAbsolutePath("\\a"), 0);
    EXPECT_EQ(IsAbsolutePath(""), 0);
    EXPECT_EQ(IsAbsolutePath(nullptr), 0);
}

TEST(Paths, FindsNameExtensionAndDot) {
    const struct {
        const char *path, *name, *extension;
        int dot;  // index of the dot, -1 for none (the terminating NUL)
    } cases[] = {
        {"/dir/f.txt", "f.txt", "txt", 6},
        {"f.txt", "f.txt", "txt", 1},
        {"/dir/", "", "", -1},
        {"", "", "", -1},
        {"a.b.c", "a.b.c", "c", 3},
        {".profile", ".profile", "", -1},
        {"/home/.profile", ".profile", "", -1},
        {"dir.x/file", "file", "", -1},
        {"name.", "name.", "", 4},
        {"D:f.txt", "D:f.txt", "txt", 3},
        {"/a\\b.c", "a\\b.c", "c", 4},
    };
    for (const auto &c : cases) {
        std::string path = c.path;
        EXPECT_STREQ(FindFileName(c.path), c.name) << c.path;
        EXPECT_STREQ(FindFileExtension(c.path), c.extension) << c.path;
        const char *dot = FindFileDotPosition(c.path);
        EXPECT_EQ(dot - c.path, c.dot < 0 ? static_cast<long>(path.size()) : c.dot) << c.path;
    }
    // The extension's dot must lie within the last 255 bytes of the path.
    std::string near = "/d/x." + std::string(254, 'e');
    std::string far = "/d/x." + std::string(255, 'e');
    EXPECT_EQ(FindFileExtension(near.c_str()), near.c_str() + 5);
    EXPECT_EQ(*FindFileExtension(far.c_str()), '\0');
}

TEST(Paths, BuildsPathsWithAnotherExtensionOrName) {
    const struct {
        const char *path, *extension, *withExtension;
    } cases[] = {
        {"/x/report.txt", "csv", "/x/report.csv"},
        {"readme", "csv", "readme.csv"},
        {"name.", "csv", "name.csv"},
        {".profile", "csv", ".profile.csv"},
        {"/x.d/file", "c", "/x.d/file.c"},
        {"a.b", "", "a."},
    };
    for (const auto &c : cases) {
        char out[64];
        ChangeFileNameExtension(c.path, out, c.extension);
        EXPECT_STREQ(out, c.withExtension) << c.path;
    }
    char out[64] = "/x/report.txt";
    ChangeFileNameExtension(out, out, "longer");  // in place
    EXPECT_STREQ(out, "/x/report.longer");
    ChangeBaseFileName("/x/report.txt", out, "new.dat");
    EXPECT_STREQ(out, "/x/new.dat");
    ChangeBaseFileName("report.txt", out, "new.dat");
    EXPECT_STREQ(out, "new.dat");
    ChangeBaseFileName("/x/", out, "n");
    EXPECT_STREQ(out, "/x/n");
    ChangeBaseFileName(out, out, "other");
    EXPECT_STREQ(out, "/x/other");
}

TEST(Paths, DoubleByteNamesAreScannedByCharacter) {
    for (int codePage : {0, 932}) {
        rte::testing::ScopedCodePage cp(codePage);
        // 0x95 0x5C is one character in code page 932 (its trail byte is the backslash code);
        // a name "\x83." holds a double-byte character whose second byte is the dot's code.
        EXPECT_STREQ(FindFileName("/dir/\x95\x5c.txt"), "\x95\x5c.txt");
        EXPECT_STREQ(FindFileExtension("/dir/\x95\x5c.txt"), "txt");
        const char *odd = "/d/a\x83.b";
        EXPECT_STREQ(FindFileExtension(odd), codePage == 932 ? "" : "b") << codePage;
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
