// Tests of reading strings and lines from, and writing bytes and text to, streams of known bytes.
#include <stdlib.h>

#include <string>

#include "rte/alloc_testing.h"
#include "rte/mbs_testing.h"
#include "toolbox/files/file_utils.h"
#include "toolbox/files/temp_dir_testing.h"

namespace {

using StreamReadWrite = toolbox::testing::TempDirTest;

struct Got {
    int result;
    std::string text;
    bool isNull;
    int eof, limit;
    long position;
};

Got ReadOnce(FILE *f, bool line, int maxBytes) {
    char *s = reinterpret_cast<char *>(0x1);
    int eof = -1, limit = -1;
    int r = line ? ReadLineFromBinaryFile(f, &s, maxBytes, &eof, &limit)
                 : ReadStringFromBinaryFile(f, &s, maxBytes, &eof, &limit);
    Got g{r, s != nullptr ? s : "", s == nullptr, eof, limit, ftell(f)};
    free(s);
    return g;
}

TEST_F(StreamReadWrite, ReadsNulTerminatedStrings) {
    const std::string abc("abc\0def", 7);
    const struct {
        std::string bytes;
        int maxBytes;
        std::string text;
        int eof, limit;
        long position;
    } cases[] = {
        {abc, -1, "abc", 0, 0, 4},
        {abc, 2, "ab", 0, 1, 2},
        {abc, 4, "abc", 0, 0, 4},
        {abc, 0, "", 0, 1, 0},
        {"", -1, "", 1, 0, 0},
        {"xyz", -1, "xyz", 1, 0, 3},
        {std::string(300, 'q'), -1, std::string(300, 'q'), 1, 0, 300},
        {std::string(300, 'q'), 200, std::string(200, 'q'), 0, 1, 200},
    };
    for (const auto &c : cases) {
        FILE *f = Stream(c.bytes);
        Got g = ReadOnce(f, false, c.maxBytes);
        EXPECT_EQ(g.result, 0);
        EXPECT_EQ(g.text, c.text) << c.bytes.size() << " bytes, limit " << c.maxBytes;
        EXPECT_EQ(g.eof, c.eof) << c.text;
        EXPECT_EQ(g.limit, c.limit) << c.text;
        EXPECT_EQ(g.position, c.position) << c.text;
        fclose(f);
    }
}

TEST_F(StreamReadWrite, DoubleByteCharactersAreNeverCut) {
    rte::testing::ScopedCodePage cp(932);
    // Cut by the limit: the lead byte is left in the stream.
    FILE *f = Stream("ab\x82\xa0");
    Got g = ReadOnce(f, false, 3);
    EXPECT_EQ(g.text, "ab");
    EXPECT_EQ(g.position, 2);
    fclose(f);
    // A character straddling two reads of the stream stays whole.
    std::string s = std::string(127, 'a') + "\x82\xa0" + "z";
    f = Stream(s);
    g = ReadOnce(f, false, -1);
    EXPECT_EQ(g.text, s);
    EXPECT_EQ(g.position, 130);
    fclose(f);
}

TEST_F(StreamReadWrite, ReadsCrLfLines) {
    FILE *f = Stream("one\r\ntwo");
    Got g = ReadOnce(f, true, -1);
    EXPECT_EQ(g.text, "one\r\n");
    EXPECT_EQ(g.limit, 1);
    EXPECT_EQ(g.position, 5);
    g = ReadOnce(f, true, -1);
    EXPECT_EQ(g.text, "two");
    EXPECT_EQ(g.eof, 1);
    fclose(f);

    f = Stream("a\r\r\nb");  // the line end right after a lone CR is found
    EXPECT_EQ(ReadOnce(f, true, -1).text, "a\r\r\n");
    fclose(f);
    f = Stream("long line\r\n");
    g = ReadOnce(f, true, 4);
    EXPECT_EQ(g.text, "long");
    EXPECT_EQ(g.position, 4);
    fclose(f);
}

TEST_F(StreamReadWrite, OutOfMemoryGivesNoString) {
    std::string s(1000, 'x');
    for (bool line : {false, true}) {
        rte::testing::ForEachAllocationFailure([&](bool injected) {
            FILE *f = Stream(s);
            Got g = ReadOnce(f, line, -1);
            EXPECT_EQ(g.result, injected ? -12 : 0);
            EXPECT_EQ(g.isNull, injected);
            if (!injected) {
                EXPECT_EQ(g.text, s);
            }
            fclose(f);
        });
    }
}

TEST_F(StreamReadWrite, WritesBytesAndCrLfText) {
    FILE *f = fopen(P("out").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(WriteByteToFile(f, 0x141, 130), 0);  // the low 8 bits, 64 + 64 + 2 times
    EXPECT_EQ(WriteByteToFile(f, 'x', 0), 0);
    EXPECT_EQ(WriteByteToFile(f, 'x', -3), 0);
    EXPECT_EQ(WriteStringToFile(f, "a\nb"), 0);
    EXPECT_EQ(WriteStringToFile(f, "\r\n\n"), 0);
    EXPECT_EQ(WriteStringToFile(f, nullptr), 0);
    EXPECT_EQ(WriteStringToFile(f, ""), 0);
    fclose(f);
    EXPECT_EQ(Read("out"), std::string(130, 'A') + "a\r\nb" + "\r\r\n\r\n");

    // A full device: short writes are reported.
    FILE *full = fopen("/dev/full", "wb");
    if (full != nullptr) {
        setvbuf(full, nullptr, _IONBF, 0);
        EXPECT_EQ(WriteByteToFile(full, 0, 10), -97);
        EXPECT_EQ(WriteStringToFile(full, "text"), -97);
        EXPECT_EQ(WriteStringToFile(full, "\n"), -97);
        fclose(full);
    }
}

}  // namespace
