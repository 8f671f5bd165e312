// Tests of the double-byte-safe character helpers, each under code page 0 and Shift-JIS (932)
// with real Shift-JIS characters whose second byte looks like an ASCII character:
//   "\x83\x5c" katakana SO (second byte '\\'),  "\x83\x61" katakana DI (second byte 'a'),
//   "\x83\x41" katakana A (second byte 'A').
#include "toolbox/text/mbstrings.h"

#include <gtest/gtest.h>

#include <string>

#include "rte/mbs_testing.h"

namespace {

using rte::testing::ScopedCodePage;

const char kSo[] = "\x83\x5c";
const char kDi[] = "\x83\x61";
const char kA[] = "\x83\x41";

TEST(Cmb, CharacterValuesAndCounts) {
    EXPECT_EQ(CmbFirstByteOfChar(129 * 256 + 64), 129);
    EXPECT_EQ(CmbFirstByteOfChar(65), 65);
    EXPECT_EQ(CmbFirstByteOfChar(0), 0);
    EXPECT_EQ(CmbFirstByteOfChar(0x1FF), 1) << "only bits 8-15 form the lead byte";

    const std::string text = std::string(kSo) + "ab";
    const struct {
        int codePage, chars;
    } cases[] = {{0, 4}, {932, 3}};
    for (const auto &c : cases) {
        ScopedCodePage cp(c.codePage);
        EXPECT_EQ(CmbNumChars(text.c_str()), c.chars) << c.codePage;
        EXPECT_EQ(CmbNumChars(""), 0);
        EXPECT_EQ(CmbNumChars(nullptr), 0);
    }
}

TEST(Cmb, Comparisons) {
    for (int codePage : {0, 932}) {
        ScopedCodePage cp(codePage);
        EXPECT_EQ(CmbStrEq("ABC", "abc"), 0);
        EXPECT_EQ(CmbStrEq("abc", "abc"), 1);
        EXPECT_EQ(CmbStrEqI("ABC", "abc"), 1);
        EXPECT_EQ(CmbStrEqI("ABC", "abd"), 0);
        EXPECT_EQ(CmbStrEqN("abcd", "abcx", 3), 1);
        EXPECT_EQ(CmbStrEqN("abcd", "abcx", 4), 0);
        EXPECT_EQ(CmbStrEqNI("ABcd", "abCX", 3), 1);
        EXPECT_EQ(CmbStrEqNI("ABcd", "abCX", 4), 0);
        EXPECT_EQ(CmbStrEq(nullptr, nullptr), 1);
        EXPECT_EQ(CmbStrEq(nullptr, ""), 0);
        EXPECT_EQ(CmbStrEqN("", nullptr, 5), 0);
        EXPECT_EQ(CmbStrEqI(nullptr, nullptr), 1);
        EXPECT_EQ(CmbStrEqNI(nullptr, "a", 1), 0);
    }
    // DI and A differ only in a second byte that is 'a' or 'A': the same letter ignoring case
    // when every byte is a character, two different characters in Shift-JIS.
    {
        ScopedCodePage cp(0);
        EXPECT_EQ(CmbStrEqI(kDi, kA), 1);
        EXPECT_EQ(CmbStrEqNI(kDi, kA, 2), 1);
    }
    {
        ScopedCodePage cp(932);
        EXPECT_EQ(CmbStrEqI(kDi, kA), 0);
        EXPECT_EQ(CmbStrEqNI(kDi, kA, 2), 0);
        EXPECT_EQ(CmbStrEqNI(kDi, kA, 1), 1) << "a cut character compares by its lead byte";
    }
}

TEST(Cmb, CaseChangesTouchOnlyAsciiLetters) {
    {
        ScopedCodePage cp(0);
        std::string text = "aBc1\xe4z";
        EXPECT_EQ(CmbStrUpr(text.data()), text.data());
        EXPECT_EQ(text, "ABC1\xe4Z") << "bytes above 127 stay";
        EXPECT_EQ(std::string(CmbStrLwr(text.data())), "abc1\xe4z");
        std::string di = kDi;
        CmbStrUpr(di.data());
        EXPECT_EQ(di, kA) << "code page 0 sees a plain 'a' and changes it";
    }
    {
        ScopedCodePage cp(932);
        std::string text = std::string("x") + kDi + "y" + kA + "Z";
        CmbStrUpr(text.data());
        EXPECT_EQ(text, std::string("X") + kDi + "Y" + kA + "Z");
        CmbStrLwr(text.data());
        EXPECT_EQ(text, std::string("x") + kDi + "y" + kA + "z");
    }
    EXPECT_EQ(CmbStrUpr(nullptr), nullptr);
    EXPECT_EQ(CmbStrLwr(nullptr), nullptr);
}

TEST(Cmb, ByteIsAndLastCharRespectDoubleByteCharacters) {
    const std::string path = std::string("d\\") + kSo;  // 'd', '\\', SO
    const struct {
        int codePage;
        int soTrailIsBackslash;  // CmbStrByteIs(path, 3, '\\')
        int lastCharIndex;       // of "abc" + SO
    } cases[] = {{0, 1, 4}, {932, 0, 3}};
    for (const auto &c : cases) {
        ScopedCodePage cp(c.codePage);
        EXPECT_EQ(CmbStrByteIs(path.c_str(), 1, '\\'), 1);
        EXPECT_EQ(CmbStrByteIs(path.c_str(), 3, '\\'), c.soTrailIsBackslash);
        EXPECT_EQ(CmbStrByteIs(path.c_str(), 0, 'x'), 0);
        EXPECT_EQ(CmbStrByteIs(path.c_str(), -1, 'd'), 0);
        EXPECT_EQ(CmbStrByteIs(path.c_str(), 4, 0), 1) << "the terminating null may be asked for";
        EXPECT_EQ(CmbStrByteIs(path.c_str(), 5, 0), 0) << "nothing past it is read";
        EXPECT_EQ(CmbStrByteIs(nullptr, 0, 0), 0);

        const std::string text = std::string("abc") + kSo;
        EXPECT_EQ(CmbStrLastChar(text.c_str()) - text.c_str(), c.lastCharIndex);
        const char abc[] = "abc";
        EXPECT_EQ(CmbStrLastChar(abc), abc + 2);
        const char empty[] = "";
        EXPECT_EQ(CmbStrLastChar(empty), empty);
    }
}

TEST(CmbDeathTest, LastCharOfNullIsAProgrammingError) {
    EXPECT_DEATH(CmbStrLastChar(nullptr), "Programming error detected.");
}

}  // namespace
