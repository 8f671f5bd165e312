// Tests of the stream size and of searching streams of known bytes.
#include <unistd.h>

#include <string>

#include "rte/alloc_testing.h"
#include "toolbox/files/file_utils.h"
#include "toolbox/files/temp_dir_testing.h"

namespace {

using StreamSearch = toolbox::testing::TempDirTest;

TEST_F(StreamSearch, SizeKeepsThePosition) {
    FILE *f = Stream("0123456789");
    fseek(f, 3, SEEK_SET);
    long size = 0;
    EXPECT_EQ(BinaryFileSize(f, &size), 0);
    EXPECT_EQ(size, 10);
    EXPECT_EQ(ftell(f), 3);
    fclose(f);

    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    FILE *p = fdopen(fds[0], "rb");
    size = -5;
    EXPECT_EQ(BinaryFileSize(p, &size), -93);  // a pipe has no position
    EXPECT_EQ(size, -5);
    fclose(p);
    close(fds[1]);
}

TEST_F(StreamSearch, FindsTheFirstOccurrence) {
    const struct {
        std::string stream, pattern;
        long startAt;
        int found;
        long offset, after;  // relative offset, and the position afterwards
    } cases[] = {
        {"xxab", "ab", 0, 1, 2, 4},
        {"aaab", "aab", 0, 1, 1, 4},           // a broken match restarts on the bytes read
        {"a\r\r\nb", "\r\n", 0, 1, 2, 4},      // CR LF right after a CR
        {"abababc", "ababc", 0, 1, 2, 7},
        {"zzab..ab", "ab", 3, 1, 3, 8},        // from the middle: offsets relative to the start
        {"abc", "abcd", 0, 0, 3, 3},           // not found: everything read, stream at the end
        {"", "a", 0, 0, 0, 0},
        {"abc", "c", 3, 0, 0, 3},
        {"abc", "", 1, 1, 0, 1},               // the empty pattern is found where we stand
    };
    for (const auto &c : cases) {
        FILE *f = Stream(c.stream);
        fseek(f, c.startAt, SEEK_SET);
        long rel = -1, abs = -1;
        EXPECT_EQ(FindBytesInFile(f, c.pattern.data(), static_cast<int>(c.pattern.size()), &rel, &abs), c.found)
            << c.stream << " / " << c.pattern;
        EXPECT_EQ(rel, c.offset) << c.stream;
        EXPECT_EQ(abs, c.startAt + c.offset) << c.stream;
        EXPECT_EQ(ftell(f), c.after) << c.stream;
        fclose(f);
    }
}

TEST_F(StreamSearch, FindsMatchesAcrossReadsAndLongPatterns) {
    // Matches straddling every window boundary, and patterns longer than the stack window.
    std::string data(100000, 'a');
    for (long at : {16383L, 16380L, 32766L, 99990L}) {
        std::string s = data;
        s.replace(static_cast<size_t>(at), 5, "bcdef");
        FILE *f = Stream(s);
        long rel = -1;
        EXPECT_EQ(FindBytesInFile(f, "abcdef", 6, &rel, nullptr), 1) << at;
        EXPECT_EQ(rel, at - 1);
        fclose(f);
    }
    std::string pattern(20000, 'p');
    pattern.back() = 'q';
    std::string s = std::string(30000, 'p') + pattern + "tail";
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        FILE *f = Stream(s);
        long rel = -1, abs = -1;
        int r = FindBytesInFile(f, pattern.data(), static_cast<int>(pattern.size()), &rel, &abs);
        EXPECT_EQ(r, injected ? -12 : 1);
        EXPECT_EQ(rel, injected ? -1 : 30000);
        EXPECT_EQ(ftell(f), injected ? 0 : 50000);
        fclose(f);
    });
}

TEST_F(StreamSearch, UnpositionedStreamsFail) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "ab", 2), 2);
    close(fds[1]);
    FILE *p = fdopen(fds[0], "rb");
    long rel = -7;
    EXPECT_EQ(FindBytesInFile(p, "b", 1, &rel, nullptr), -93);
    EXPECT_EQ(rel, -7);
    char *line = reinterpret_cast<char *>(0x1);
    EXPECT_EQ(ReadLineFromBinaryFile(p, &line, -1, nullptr, nullptr), -93);
    EXPECT_EQ(line, nullptr);
    fclose(p);
}

}  // namespace
