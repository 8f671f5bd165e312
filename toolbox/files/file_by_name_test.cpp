// Tests of the file functions by name on a private temporary directory: missing, read-only and
// existing files, temporary names, the rename mapping.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "rte/engine.h"
#include "rte/files.h"
#include "rte/mbs_testing.h"
#include "toolbox/core/errors.h"
#include "toolbox/files/file_utils.h"
#include "toolbox/files/file_utils_testing.h"
#include "toolbox/files/temp_dir_testing.h"

namespace {

using FileByName = toolbox::testing::TempDirTest;

TEST_F(FileByName, FileExistsReportsSizeOrMinusOne) {
    Write("f", "12345");
    ASSERT_EQ(mkdir(P("d").c_str(), 0700), 0);
    long size = 0;
    EXPECT_EQ(FileExists(P("f").c_str(), &size), 1);
    EXPECT_EQ(size, 5);
    EXPECT_EQ(FileExists(P("missing").c_str(), &size), 0);
    EXPECT_EQ(size, -1);
    EXPECT_EQ(FileExists(P("d").c_str(), &size), 0);  // a directory is no file
    EXPECT_EQ(FileExists(P(std::string(300, 'n')).c_str(), &size), -93);
    EXPECT_EQ(size, -1);
    EXPECT_EQ(FileExists(P("f").c_str(), nullptr), 1);
}

TEST_F(FileByName, WritabilityOfExistingMissingAndReadOnlyFiles) {
    Write("f", "keep");
    int w = -1;
    EXPECT_EQ(GetFileWritability(P("f").c_str(), &w), 0);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(Read("f"), "keep");  // opened for update, not truncated

    EXPECT_EQ(GetFileWritability(P("new").c_str(), &w), 0);
    EXPECT_EQ(w, 1);
    EXPECT_FALSE(Exists("new"));  // the test file is gone again

    EXPECT_EQ(GetFileWritability(P("nodir/new").c_str(), &w), 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(GetFileWritability(P(std::string(300, 'n')).c_str(), &w), -91);
    EXPECT_EQ(w, 0);

    // A read-only file: the answer is what the system grants. Root may write any file, so as
    // root the flag is 1; either way the file keeps its bytes and its mode.
    Write("ro", "data");
    ASSERT_EQ(chmod(P("ro").c_str(), 0444), 0);
    EXPECT_EQ(GetFileWritability(P("ro").c_str(), &w), 0);
    EXPECT_EQ(w, geteuid() == 0 ? 1 : 0);
    EXPECT_EQ(Read("ro"), "data");
    struct stat st;
    ASSERT_EQ(stat(P("ro").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    // A missing file in a read-only directory: creatable by root only, and never left behind.
    ASSERT_EQ(mkdir(P("rodir").c_str(), 0555), 0);
    EXPECT_EQ(GetFileWritability(P("rodir/new").c_str(), &w), 0);
    EXPECT_EQ(w, geteuid() == 0 ? 1 : 0);
    EXPECT_FALSE(Exists("rodir/new"));
}

TEST_F(FileByName, BreakOnLibraryErrorsIsRestored) {
    int original = GetBreakOnLibraryErrors();
    for (int setting : {0, 1}) {
        SetBreakOnLibraryErrors(setting);
        int w;
        long size;
        FileExists(P("missing").c_str(), &size);
        GetFileWritability(P("nodir/x").c_str(), &w);
        DeleteAndRename(P("missing").c_str(), P("x").c_str());
        EXPECT_EQ(GetBreakOnLibraryErrors(), setting);
    }
    SetBreakOnLibraryErrors(original);
}

TEST_F(FileByName, TemporaryFilesTakeTheFirstFreeNameExclusively) {
    char path[MAX_PATHNAME_LEN];
    FILE *f = nullptr;
    // Only the directory of the path is used, and at most five characters of the prefix.
    ASSERT_EQ(CreateAndOpenTemporaryFile(P("x.txt").c_str(), "report", "tmp", "w+b", path, &f), 0);
    EXPECT_EQ(std::string(path), P("repor0.tmp"));
    ASSERT_NE(f, nullptr);
    fputs("abc", f);  // the mode applies: read and write
    rewind(f);
    char back[4] = {};
    EXPECT_EQ(fread(back, 1, 3, f), 3u);
    EXPECT_STREQ(back, "abc");
    fclose(f);

    // Taken names are skipped: an existing file, and a planted symbolic link, which is not
    // followed (its target stays untouched).
    Write("target", "secret");
    ASSERT_EQ(symlink(P("target").c_str(), P("repor1.tmp").c_str()), 0);
    ASSERT_EQ(CreateAndOpenTemporaryFile(P("").c_str(), "report", "tmp", "ab", path, &f), 0);
    EXPECT_EQ(std::string(path), P("repor2.tmp"));
    fputs("z", f);
    fclose(f);
    EXPECT_EQ(Read("target"), "secret");
    EXPECT_EQ(Read("repor2.tmp"), "z");
    EXPECT_EQ(Read("repor0.tmp"), "abc");

    // Failures leave nothing behind and the caller's stream pointer as it was.
    FILE *untouched = reinterpret_cast<FILE *>(0x1);
    EXPECT_EQ(CreateAndOpenTemporaryFile(P("nodir/").c_str(), "t", "tmp", "wb", path, &untouched),
              TOOLBOX_ERR_CREATE_TEMP_FILE);
    EXPECT_EQ(CreateAndOpenTemporaryFile(P("").c_str(), "bad", "tmp", "q", path, &untouched),
              TOOLBOX_ERR_CREATE_TEMP_FILE);
    EXPECT_FALSE(Exists("bad0.tmp"));
    EXPECT_EQ(untouched, reinterpret_cast<FILE *>(0x1));

    for (int n = 0; n <= 999; ++n) Write("full" + std::to_string(n) + ".t", "");
    EXPECT_EQ(CreateAndOpenTemporaryFile(P("").c_str(), "full", "t", "wb", path, &untouched),
              TOOLBOX_ERR_NO_UNUSED_TEMP_NAME);
}

TEST_F(FileByName, TemporaryPrefixKeepsWholeDoubleByteCharacters) {
    rte::testing::ScopedCodePage cp(932);
    char path[MAX_PATHNAME_LEN];
    FILE *f = nullptr;
    // Five bytes would end inside the double-byte character: only "abcd" is used.
    ASSERT_EQ(CreateAndOpenTemporaryFile(P("").c_str(), "abcd\x82\xa0", "t", "wb", path, &f), 0);
    fclose(f);
    EXPECT_EQ(std::string(path), P("abcd0.t"));
}

TEST_F(FileByName, RemoveAndReplace) {
    Write("f", "x");
    ASSERT_EQ(mkdir(P("empty").c_str(), 0700), 0);
    RemoveFileIfExists(P("f").c_str());
    RemoveFileIfExists(P("missing").c_str());
    RemoveFileIfExists(P("empty").c_str());  // directories stay
    EXPECT_FALSE(Exists("f"));
    EXPECT_TRUE(Exists("empty"));

    Write("old", "new content");
    Write("new", "old content");
    EXPECT_EQ(DeleteAndRename(P("old").c_str(), P("new").c_str()), 0);
    EXPECT_EQ(Read("new"), "new content");
    EXPECT_FALSE(Exists("old"));
    EXPECT_EQ(DeleteAndRename(P("new").c_str(), P("fresh").c_str()), 0);
    EXPECT_EQ(Read("fresh"), "new content");

    // Nothing is lost when there is nothing to put in its place, or it is the same file.
    Write("keep", "kept");
    EXPECT_EQ(DeleteAndRename(P("missing").c_str(), P("keep").c_str()), -94);
    EXPECT_EQ(DeleteAndRename(P("keep").c_str(), P("keep").c_str()), 0);
    EXPECT_EQ(DeleteAndRename(P("keep").c_str(), (dir_ + "/./keep").c_str()), 0);
    EXPECT_EQ(Read("keep"), "kept");

    EXPECT_EQ(DeleteAndRename(P("keep").c_str(), P("nodir/x").c_str()), -100);
    EXPECT_EQ(DeleteAndRename(P("keep").c_str(), P(std::string(300, 'n')).c_str()), -100);
    ASSERT_EQ(mkdir(P("full").c_str(), 0700), 0);
    Write("full/x", "");
    EXPECT_EQ(DeleteAndRename(P("keep").c_str(), P("full").c_str()), -95);
    EXPECT_EQ(Read("keep"), "kept");

    // Across file systems no copy is made: the rename fails and the file stays.
    struct stat here, shm;
    if (stat("/dev/shm", &shm) == 0 && stat(dir_.c_str(), &here) == 0 && shm.st_dev != here.st_dev &&
        access("/dev/shm", W_OK) == 0) {
        std::string there = "/dev/shm/toolbox_files_" + std::to_string(getpid());
        EXPECT_EQ(DeleteAndRename(P("keep").c_str(), there.c_str()), -93);
        EXPECT_EQ(Read("keep"), "kept");
        unlink(there.c_str());
    }
}

TEST(FileByNameCodes, RenameResultsMapToEngineCodes) {
    const int rename[] = {0, -1, -2, -3, -4, -5, -6, -7, -8, -9, 3};
    const int mapped[] = {0, -94, -95, -93, -12, -100, -95, -93, -97, -93, -93};
    for (size_t i = 0; i < sizeof rename / sizeof rename[0]; ++i)
        EXPECT_EQ(toolbox::files::RenameResultCode(rename[i]), mapped[i]) << rename[i];
}

}  // namespace
