// Tests of the stream size and of searching streams of known bytes.
#include <unistd.h>

#include "rte/alloc_testing.h"
#include "toolbox/files/file_utils.h"
#include "toolbox/files/temp_dir_testing.h"

namespace {

using StreamSearch = toolbox::testing::TempDirTest;

TEST_F(StreamSearch, FindsTheFirstOccurrence) {
    const struct { std::string stream, pattern; long startAt; int found; long offset, after; } cases[] = {
        {"xxab", "ab", 0, 1, 2, 4},
        {"aaab", "aab", 0, 1, 1, 4},         // a broken match restarts on the bytes read
        {"a\r\r\nb", "\r\n", 0, 1, 2, 4},    // CR LF right after a CR
        {"zzab..ab", "ab", 3, 1, 3, 8},      // offsets count from the start position
        {"abc", "abcd", 0, 0, 3, 3},         // not found: everything read, stream at the end
        {"abc", "c", 3, 0, 0, 3},
        {"abc", "", 1, 1, 0, 1},             // the empty pattern is found where we stand
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
    for (long at : {16380L, 16383L, 32766L, 99990L}) {  // straddling the search window's reads
        std::string s(100000, 'a');
        s.replace(static_cast<size_t>(at), 5, "bcdef");
        FILE *f = Stream(s);
        long rel = -1;
        EXPECT_EQ(FindBytesInFile(f, "abcdef", 6, &rel, nullptr), 1) << at;
        EXPECT_EQ(rel, at - 1);
        fclose(f);
    }
    // A pattern longer than the stack window needs memory for a window of its own.
    std::string pattern = std::string(19999, 'p') + "q";
    FILE *f = Stream(std::string(30000, 'p') + pattern + "tail");
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        rewind(f);
        long rel = -1;
        EXPECT_EQ(FindBytesInFile(f, pattern.data(), 20000, &rel, nullptr), injected ? -12 : 1);
        EXPECT_EQ(rel, injected ? -1 : 30000);
        EXPECT_EQ(ftell(f), injected ? 0 : 50000);
    });
    long size = 0;
    fseek(f, 3, SEEK_SET);
    EXPECT_EQ(BinaryFileSize(f, &size), 0);
    EXPECT_EQ(size, 50004);
    EXPECT_EQ(ftell(f), 3);
    fclose(f);
}

TEST_F(StreamSearch, StreamsThatCannotBePositionedOrReadFail) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], "ab", 2), 2);
    close(fds[1]);
    FILE *p = fdopen(fds[0], "rb");
    long value = -7;
    EXPECT_EQ(BinaryFileSize(p, &value), -93);
    EXPECT_EQ(FindBytesInFile(p, "b", 1, &value, nullptr), -93);
    EXPECT_EQ(value, -7);
    char *line = nullptr, *text = nullptr;
    EXPECT_EQ(ReadLineFromBinaryFile(p, &line, -1, nullptr, nullptr), -93);
    EXPECT_EQ(ReadStringFromBinaryFile(p, &text, -1, nullptr, nullptr), -93);
    EXPECT_EQ(line, nullptr);
    EXPECT_EQ(text, nullptr);
    fclose(p);
    // A stream that has a position but cannot be read (a directory): a read error is no
    // "not found" and no end of the string.
    FILE *d = fopen(dir_.c_str(), "rb");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(FindBytesInFile(d, "b", 1, nullptr, nullptr), -93);
    clearerr(d);
    EXPECT_EQ(ReadStringFromBinaryFile(d, &text, -1, nullptr, nullptr), -93);
    EXPECT_EQ(text, nullptr);
    fclose(d);
}

}  // namespace
