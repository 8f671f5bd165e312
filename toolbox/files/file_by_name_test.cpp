// Tests of the file functions by name on a private temporary directory: missing, read-only and
// existing files, temporary names, the rename mapping.
#include <sys/stat.h>
#include <unistd.h>

#include "rte/engine.h"
#include "rte/files.h"
#include "rte/mbs_testing.h"
#include "toolbox/core/errors.h"
#include "toolbox/files/file_utils.h"
#include "toolbox/files/file_utils_testing.h"
#include "toolbox/files/temp_dir_testing.h"

namespace {

using FileByName = toolbox::testing::TempDirTest;
const std::string kTooLong(300, 'n');

TEST_F(FileByName, ExistenceAndWritability) {
    Write("f", "12345");
    mkdir(P("d").c_str(), 0700);
    const struct { std::string name; int exists; long size; int writability, writable; } cases[] = {
        {"f", 1, 5, 0, 1}, {"missing", 0, -1, 0, 1}, {"d", 0, -1, 0, 0},  // a directory is no file
        {"nodir/x", 0, -1, 0, 0}, {kTooLong, -93, -1, -91, 0},
    };
    for (const auto &c : cases) {
        long size = 0;
        int w = -1;
        EXPECT_EQ(FileExists(P(c.name).c_str(), &size), c.exists) << c.name;
        EXPECT_EQ(size, c.size) << c.name;
        EXPECT_EQ(GetFileWritability(P(c.name).c_str(), &w), c.writability) << c.name;
        EXPECT_EQ(w, c.writable) << c.name;
    }
    EXPECT_EQ(Read("f"), "12345");  // opened for update, not truncated
    EXPECT_FALSE(Exists("missing"));  // the test file is gone again

    // Read-only file and directory: the answer is what the system grants, and root may write
    // anything, so only a non-root run can see a 0 here. Either way nothing changes on disk.
    Write("ro", "data");
    chmod(P("ro").c_str(), 0444);
    mkdir(P("rodir").c_str(), 0555);
    for (const char *name : {"ro", "rodir/new"}) {
        int w = -1;
        EXPECT_EQ(GetFileWritability(P(name).c_str(), &w), 0);
        EXPECT_EQ(w, geteuid() == 0 ? 1 : 0) << name;
    }
    EXPECT_EQ(Read("ro"), "data");
    EXPECT_FALSE(Exists("rodir/new"));

    int original = GetBreakOnLibraryErrors();
    for (int setting : {0, 1}) {
        SetBreakOnLibraryErrors(setting);
        int w;
        FileExists(P("missing").c_str(), nullptr);
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
    EXPECT_EQ(path, P("repor0.tmp"));
    fputs("abc", f);  // the mode applies: read and write
    rewind(f);
    EXPECT_EQ(fgetc(f), 'a');
    fclose(f);
    // Taken names are skipped: an existing file, and a planted link, which is not followed.
    Write("target", "secret");
    symlink(P("target").c_str(), P("repor1.tmp").c_str());
    ASSERT_EQ(CreateAndOpenTemporaryFile(P("").c_str(), "report", "tmp", "ab", path, &f), 0);
    EXPECT_EQ(path, P("repor2.tmp"));
    fclose(f);
    EXPECT_EQ(Read("target"), "secret");
    {
        rte::testing::ScopedCodePage cp(932);  // five bytes would split the double-byte character
        ASSERT_EQ(CreateAndOpenTemporaryFile(P("").c_str(), "abcd\x82\xa0", "t", "wb", path, &f), 0);
        fclose(f);
        EXPECT_EQ(path, P("abcd0.t"));
    }
    // Failures leave nothing behind and the caller's stream pointer as it was: a missing
    // directory, a bad mode, a name that cannot be queried, every name taken.
    for (int n = 0; n <= 999; ++n) Write("full" + std::to_string(n) + ".t", "");
    const struct { std::string directory; const char *prefix, *mode; int result; } failures[] = {
        {"nodir/", "t", "wb", -5004}, {"", "bad", "q", -5004}, {kTooLong + "/", "t", "wb", -91},
        {"", "full", "wb", -5003}};
    for (const auto &c : failures) {
        FILE *untouched = nullptr;
        EXPECT_EQ(CreateAndOpenTemporaryFile(P(c.directory).c_str(), c.prefix, "t", c.mode, path, &untouched),
                  c.result) << c.prefix;
        EXPECT_EQ(untouched, nullptr);
    }
    EXPECT_FALSE(Exists("bad0.t"));
}

TEST_F(FileByName, RemoveAndReplace) {
    Write("f", "x");
    mkdir(P("empty").c_str(), 0700);
    for (const char *name : {"f", "missing", "empty"}) RemoveFileIfExists(P(name).c_str());
    EXPECT_FALSE(Exists("f"));
    EXPECT_TRUE(Exists("empty"));  // directories stay

    Write("old", "new content");
    Write("new", "old content");
    EXPECT_EQ(DeleteAndRename(P("old").c_str(), P("new").c_str()), 0);
    EXPECT_EQ(Read("new"), "new content");
    EXPECT_FALSE(Exists("old"));
    // Nothing is lost when there is nothing to put in place, it is the same file, or it fails.
    mkdir(P("full").c_str(), 0700);
    Write("full/x", "");
    const struct { std::string from, to; int result; } cases[] = {
        {"missing", "new", -94}, {"new", "new", 0}, {"new", "./new", 0}, {"new", "nodir/x", -100},
        {"new", kTooLong, -100}, {"new", "full", -95},
    };
    for (const auto &c : cases) EXPECT_EQ(DeleteAndRename(P(c.from).c_str(), P(c.to).c_str()), c.result) << c.to;
    EXPECT_EQ(Read("new"), "new content");
    // Across file systems no copy is made: the rename fails and the file stays.
    struct stat here, shm;
    if (stat("/dev/shm", &shm) == 0 && stat(dir_.c_str(), &here) == 0 && shm.st_dev != here.st_dev) {
        std::string there = "/dev/shm/toolbox_files_" + std::to_string(getpid());
        EXPECT_EQ(DeleteAndRename(P("new").c_str(), there.c_str()), -93);
        EXPECT_EQ(Read("new"), "new content");
    }
    const int engine[][2] = {{0, 0}, {-1, -94}, {-2, -95}, {-3, -93}, {-4, -12}, {-5, -100},
                             {-6, -95}, {-7, -93}, {-8, -97}, {-9, -93}};
    for (auto &e : engine) EXPECT_EQ(toolbox::files::RenameResultCode(e[0]), e[1]) << e[0];
}

}  // namespace
