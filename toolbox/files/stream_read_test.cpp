// Tests of reading strings and lines from, and writing bytes and text to, streams of known bytes.
#include "rte/alloc_testing.h"
#include "rte/mbs_testing.h"
#include "toolbox/files/file_utils.h"
#include "toolbox/files/temp_dir_testing.h"

namespace {

using StreamReadWrite = toolbox::testing::TempDirTest;

struct Got {
    int result;
    std::string text;  // "(null)" for no string
    int eof, limit;
    long position;
    bool operator==(const Got &) const = default;
};
std::ostream &operator<<(std::ostream &o, const Got &g) {
    return o << g.result << " '" << g.text << "' eof " << g.eof << " limit " << g.limit << " at " << g.position;
}

Got ReadOnce(FILE *f, bool line, int maxBytes) {
    char *s = nullptr;
    int eof = -1, limit = -1;
    int r = line ? ReadLineFromBinaryFile(f, &s, maxBytes, &eof, &limit)
                 : ReadStringFromBinaryFile(f, &s, maxBytes, &eof, &limit);
    Got g{r, s != nullptr ? s : "(null)", eof, limit, ftell(f)};
    free(s);
    return g;
}

TEST_F(StreamReadWrite, ReadsStringsAndLines) {
    const std::string abc("abc\0def", 7), q(300, 'q');
    const struct { std::string bytes; bool line; int maxBytes; Got want; } cases[] = {
        {abc, false, -1, {0, "abc", 0, 0, 4}},
        {abc, false, 2, {0, "ab", 0, 1, 2}},
        {abc, false, 0, {0, "", 0, 1, 0}},
        {"", false, -1, {0, "", 1, 0, 0}},
        {q, false, -1, {0, q, 1, 0, 300}},
        {q, false, 200, {0, q.substr(0, 200), 0, 1, 200}},
        {"one\r\ntwo", true, -1, {0, "one\r\n", 0, 1, 5}},
        {"two", true, -1, {0, "two", 1, 0, 3}},
        {"a\r\r\nb", true, -1, {0, "a\r\r\n", 0, 1, 4}},  // the line end after a lone CR
        {"long line\r\n", true, 4, {0, "long", 0, 1, 4}},
    };
    for (const auto &c : cases) {
        FILE *f = Stream(c.bytes);
        EXPECT_EQ(ReadOnce(f, c.line, c.maxBytes), c.want) << c.bytes;
        fclose(f);
    }
    // Double-byte characters: one cut by the limit is left in the stream; one straddling two
    // reads of the stream stays whole.
    rte::testing::ScopedCodePage cp(932);
    const std::string dbcs = std::string(127, 'a') + "\x82\xa0" + "z";
    const struct { std::string bytes; int maxBytes; Got want; } mb[] = {
        {"ab\x82\xa0", 3, {0, "ab", 0, 1, 2}},
        {dbcs, -1, {0, dbcs, 1, 0, 130}},
    };
    for (const auto &c : mb) {
        FILE *f = Stream(c.bytes);
        EXPECT_EQ(ReadOnce(f, false, c.maxBytes), c.want);
        fclose(f);
    }
}

TEST_F(StreamReadWrite, OutOfMemoryGivesNoString) {
    FILE *f = Stream(std::string(1000, 'x'));
    for (bool line : {false, true}) {
        rte::testing::ForEachAllocationFailure([&](bool injected) {
            rewind(f);
            Got g = ReadOnce(f, line, -1);
            EXPECT_EQ(g.result, injected ? -12 : 0);
            EXPECT_EQ(g.text, injected ? "(null)" : std::string(1000, 'x'));
        });
    }
    fclose(f);
}

TEST_F(StreamReadWrite, WritesBytesAndCrLfText) {
    FILE *f = fopen(P("out").c_str(), "wb");
    EXPECT_EQ(WriteByteToFile(f, 0x141, 130), 0);  // the low 8 bits, 64 + 64 + 2 times
    EXPECT_EQ(WriteByteToFile(f, 'x', -3), 0);
    EXPECT_EQ(WriteStringToFile(f, "a\nb"), 0);
    EXPECT_EQ(WriteStringToFile(f, "\r\n\n"), 0);
    EXPECT_EQ(WriteStringToFile(f, nullptr), 0);
    fclose(f);
    EXPECT_EQ(Read("out"), std::string(130, 'A') + "a\r\nb\r\r\n\r\n");

    FILE *full = fopen("/dev/full", "wb");  // a full device: short writes are reported
    if (full != nullptr) {
        setvbuf(full, nullptr, _IONBF, 0);
        EXPECT_EQ(WriteByteToFile(full, 0, 10), -97);
        EXPECT_EQ(WriteStringToFile(full, "text"), -97);
        EXPECT_EQ(WriteStringToFile(full, "\n"), -97);
        fclose(full);
    }
}

}  // namespace
