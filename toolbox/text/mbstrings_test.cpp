// Double-byte-safe character helpers, each under code page 0 and Shift-JIS (932), with real
// Shift-JIS characters whose second byte looks like ASCII: SO "\x83\x5c" (second byte '\\'),
// DI "\x83\x61" (second byte 'a') and A "\x83\x41" (second byte 'A').
#include "toolbox/text/mbstrings.h"

#include <gtest/gtest.h>

#include <string>

#include "rte/mbs_testing.h"

namespace {

const std::string kSo = "\x83\x5c", kDi = "\x83\x61", kA = "\x83\x41";

TEST(Cmb, CountsAndComparisons) {
    EXPECT_EQ(CmbFirstByteOfChar(129 * 256 + 64), 129);
    EXPECT_EQ(CmbFirstByteOfChar(65), 65);
    EXPECT_EQ(CmbFirstByteOfChar(0), 0);
    for (int cp : {0, 932}) {
        rte::testing::ScopedCodePage scoped(cp);
        EXPECT_EQ(CmbNumChars((kSo + "ab").c_str()), cp ? 3 : 4);
        EXPECT_EQ(CmbStrEq("ABC", "abc"), 0);
        EXPECT_EQ(CmbStrEqI("ABC", "abc"), 1);
        EXPECT_EQ(CmbStrEqN("abcd", "abcx", 3), 1);
        EXPECT_EQ(CmbStrEqN("abcd", "abcx", 4), 0);
        EXPECT_EQ(CmbStrEqNI("ABcd", "abCX", 3), 1);
        EXPECT_EQ(CmbStrEq(nullptr, nullptr) + CmbStrEq(nullptr, "") + CmbStrEqN("", nullptr, 1), 1);
        // DI and A: one letter ignoring case when every byte is a character, two in Shift-JIS.
        EXPECT_EQ(CmbStrEqI(kDi.c_str(), kA.c_str()), cp ? 0 : 1);
        EXPECT_EQ(CmbStrEqNI(kDi.c_str(), kA.c_str(), 2), cp ? 0 : 1);
    }
}

TEST(Cmb, CaseChangesTouchOnlyAsciiLettersOfSingleByteCharacters) {
    for (int cp : {0, 932}) {
        rte::testing::ScopedCodePage scoped(cp);
        std::string text = "aB1\xb1z" + kDi;
        EXPECT_EQ(CmbStrUpr(text.data()), text.data());
        EXPECT_EQ(text, "AB1\xb1Z" + (cp ? kDi : kA));
        text = "x" + kA;
        EXPECT_EQ(std::string(CmbStrLwr(text.data())), "x" + (cp ? kA : kDi));
    }
    EXPECT_EQ(CmbStrUpr(nullptr), nullptr);
}

TEST(Cmb, ByteIsAndLastCharRespectDoubleByteCharacters) {
    const std::string path = "d\\" + kSo, text = "abc" + kSo;
    for (int cp : {0, 932}) {
        rte::testing::ScopedCodePage scoped(cp);
        EXPECT_EQ(CmbStrByteIs(path.c_str(), 1, '\\'), 1);
        EXPECT_EQ(CmbStrByteIs(path.c_str(), 3, '\\'), cp ? 0 : 1);
        EXPECT_EQ(CmbStrByteIs(path.c_str(), -1, 'd'), 0);
        EXPECT_EQ(CmbStrByteIs(path.c_str(), 4, 0), 1);  // the terminating null, but
        EXPECT_EQ(CmbStrByteIs(path.c_str(), 5, 0), 0);  // nothing past it is read
        EXPECT_EQ(CmbStrLastChar(text.c_str()) - text.c_str(), cp ? 3 : 4);
        const char *empty = "";
        EXPECT_EQ(CmbStrLastChar(empty), empty);
    }
    EXPECT_DEATH(CmbStrLastChar(nullptr), "Programming error detected.");
}

}  // namespace
