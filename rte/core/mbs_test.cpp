// Tests of the multi-byte text functions: code-page choice, the lead/trail tables, stepping,
// searching and comparing, with real Shift-JIS (code page 932) text.
#include "rte/mbs.h"
#include "rte/mbs_testing.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using rte::testing::DetectCodePage;
using rte::testing::ScopedCodePage;

// Shift-JIS characters used below. Some trail bytes are ASCII ('\\' in HYOU) or lead-byte values
// (0x9F in A_KANJI): exactly the cases where stepping byte by byte goes wrong.
#define HIRA_A "\x82\xA0"  /* hiragana a */
#define HYOU "\x95\x5C"    /* kanji "table", trail byte is a backslash */
#define A_KANJI "\x88\x9F" /* kanji "sub-", trail byte 0x9F is also a lead byte */

TEST(MbsCodePage, FollowsTheLocaleCodesetAndTheOverride) {
    const std::pair<const char *, int> locales[] = {
        {"ja_JP.SJIS", 932},  {"ja_JP.Shift_JIS@x", 932}, {"ja_JP.cp932", 932}, {"zh_CN.GBK", 936},
        {"ko_KR.EUC-KR", 949}, {"ko_KR.CP949", 949},      {"zh_TW.Big5", 950},  {"ja_JP.UTF-8", 0},
        {"de_DE.ISO-8859-1", 0}, {"C", 0},                {"ja_JP", 0},
    };
    for (auto [locale, page] : locales)
        EXPECT_EQ(DetectCodePage(nullptr, nullptr, nullptr, locale), page) << locale;

    // LC_ALL before LC_CTYPE before LANG; an empty variable counts as unset.
    EXPECT_EQ(DetectCodePage(nullptr, "en_US.UTF-8", "ja_JP.SJIS", "ja_JP.SJIS"), 0);
    EXPECT_EQ(DetectCodePage(nullptr, "", "zh_CN.GBK", "en_US.UTF-8"), 936);
    EXPECT_EQ(DetectCodePage(nullptr, "", "", "zh_TW.Big5"), 950);
    EXPECT_EQ(DetectCodePage("932", nullptr, nullptr, "en_US.UTF-8"), 932);
    EXPECT_EQ(DetectCodePage("0", nullptr, nullptr, "ja_JP.SJIS"), 0);

    testing::internal::CaptureStderr();
    EXPECT_EQ(DetectCodePage("1252", nullptr, nullptr, "zh_CN.GBK"), 936);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("RTE_CODEPAGE=1252 ignored"), std::string::npos) << err;
}

TEST(MbsTables, LeadBytesPerCodePage) {
    {
        ScopedCodePage cp(0);
        for (unsigned b = 0; b < 256; ++b)
            EXPECT_EQ(Rte_ismbblead(b), 0) << b;
    }
    {
        ScopedCodePage cp(932);
        for (unsigned b : {0x81u, 0x9Fu, 0xE0u, 0xFCu, 0x181u})
            EXPECT_EQ(Rte_ismbblead(b), 1) << b;
        for (unsigned b : {0x00u, 0x5Cu, 0x80u, 0xA0u, 0xB1u, 0xDFu, 0xFDu, 0xFFu})
            EXPECT_EQ(Rte_ismbblead(b), 0) << b;
    }
    for (int page : {936, 949, 950}) {
        ScopedCodePage cp(page);
        EXPECT_EQ(Rte_ismbblead(0x80), 0) << page;
        EXPECT_EQ(Rte_ismbblead(0x81), 1) << page;
        EXPECT_EQ(Rte_ismbblead(0xFE), 1) << page;
        EXPECT_EQ(Rte_ismbblead(0xFF), 0) << page;
    }
}

// Type of the second byte of "\x81" followed by `trail`.
int TrailType(unsigned char trail) {
    char s[3] = {'\x81', static_cast<char>(trail), '\0'};
    return Rte_mbsbtype(s, 1);
}

TEST(MbsTables, TrailRangesPerCodePage) {
    struct Case {
        int page;
        unsigned char valid[6];
        unsigned char invalid[5];
    };
    const Case cases[] = {
        {932, {0x40, 0x7E, 0x80, 0x9F, 0xE0, 0xFC}, {0x3F, 0x7F, 0xFD, 0xFE, 0x20}},
        {936, {0x40, 0x7E, 0x80, 0xA1, 0xFE, 0xFE}, {0x3F, 0x7F, 0xFF, 0x20, 0x20}},
        {949, {0x41, 0x5A, 0x61, 0x7A, 0x81, 0xFE}, {0x40, 0x5B, 0x60, 0x7B, 0x80}},
        {950, {0x40, 0x7E, 0xA1, 0xFE, 0xFE, 0xFE}, {0x3F, 0x7F, 0x80, 0xA0, 0xFF}},
    };
    for (const Case &c : cases) {
        ScopedCodePage cp(c.page);
        for (unsigned char t : c.valid)
            EXPECT_EQ(TrailType(t), 2) << c.page << " trail " << int(t);
        for (unsigned char t : c.invalid)
            EXPECT_EQ(TrailType(t), -1) << c.page << " trail " << int(t);
    }
}

TEST(MbsStepping, WalksWholeCharactersForwardAndBack) {
    ScopedCodePage cp(932);
    // a, HYOU, b, A_KANJI, HIRA_A, then a lead byte without its trail.
    const char s[] = "a" HYOU "b" A_KANJI HIRA_A "\x82";
    const long starts[] = {0, 1, 3, 4, 6, 8};
    const long end = 9;

    const char *p = s;
    for (long start : starts) {
        EXPECT_EQ(p - s, start);
        p = Rte_mbsinc(p);
    }
    EXPECT_EQ(p - s, end);
    EXPECT_EQ(Rte_mbsinc(p), p) << "never past the terminating null";
    EXPECT_EQ(Rte_mbslen(s), 6u);

    p = s + end;
    for (int i = 5; i >= 0; --i) {
        p = Rte_mbsdec(s, p);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p - s, starts[i]);
    }
    EXPECT_EQ(Rte_mbsdec(s, s), nullptr);

    const int types[] = {0, 1, 2, 0, 1, 2, 1, 2, 1};
    for (size_t i = 0; i < sizeof types / sizeof types[0]; ++i)
        EXPECT_EQ(Rte_mbsbtype(s, i), types[i]) << i;
    EXPECT_EQ(Rte_mbsbtype(s, 9), -1) << "the terminating null";
    EXPECT_EQ(Rte_mbsbtype(s, 50), -1);
    EXPECT_EQ(Rte_mbsbtype(nullptr, 0), -1);
}

TEST(MbsStepping, SingleByteModeStepsByBytes) {
    ScopedCodePage cp(0);
    const char s[] = "a" HYOU "\x82";
    EXPECT_EQ(Rte_mbslen(s), 4u);
    EXPECT_EQ(Rte_mbsdec(s, s + 3), s + 2);
    EXPECT_EQ(Rte_mbsbtype(s, 1), 0);
}

TEST(MbsSearch, NeverMatchesInsideACharacter) {
    const char s[] = HYOU "\\x";
    {
        ScopedCodePage cp(932);
        EXPECT_EQ(Rte_mbschr(s, '\\'), s + 2);
        EXPECT_EQ(Rte_mbschr(s, 0x955C), s);
        EXPECT_EQ(Rte_mbschr(s, 0), s + 4);
        EXPECT_EQ(Rte_mbschr(s, 'y'), nullptr);
        EXPECT_EQ(Rte_mbsstr(s, "\\x"), s + 2);
        EXPECT_EQ(Rte_mbsstr(s, "\\y"), nullptr);
        EXPECT_EQ(Rte_mbsstr(s, ""), s);
    }
    {
        ScopedCodePage cp(0);
        EXPECT_EQ(Rte_mbschr(s, '\\'), s + 1);
        EXPECT_EQ(Rte_mbschr(s, 0x955C), nullptr);
        EXPECT_EQ(Rte_mbsstr(s, "\\"), s + 1);
    }
    EXPECT_EQ(Rte_mbschr(nullptr, 'a'), nullptr);
    EXPECT_EQ(Rte_mbsstr(nullptr, "a"), nullptr);
    EXPECT_EQ(Rte_mbsstr("a", nullptr), nullptr);
}

class MbsCompare : public testing::TestWithParam<int> {
protected:
    ScopedCodePage cp_{GetParam()};
};

TEST_P(MbsCompare, IgnoresAsciiCaseOnly) {
    EXPECT_EQ(Rte_mbsicmp("Hello", "hELLO"), 0);
    EXPECT_EQ(Rte_mbsicmp("abc", "ABD"), -1);
    EXPECT_EQ(Rte_mbsicmp("abcd", "ABC"), 1);
    EXPECT_EQ(Rte_mbsicmp("_", "a"), -1) << "letters fold to lower case";
    EXPECT_EQ(Rte_mbsicmp(nullptr, nullptr), 0);
    EXPECT_EQ(Rte_mbsicmp(nullptr, ""), -1);
    EXPECT_EQ(Rte_mbsicmp("", nullptr), 1);
    EXPECT_EQ(Rte_mbsicmp("x" HYOU, "X" HYOU), 0);
    EXPECT_NE(Rte_mbsicmp("\x82\x60", "\x82\x81"), 0) << "double-byte letters compare exactly";

    EXPECT_EQ(Rte_mbsnbicmp("abcd", "ABCX", 3), 0);
    EXPECT_EQ(Rte_mbsnbicmp("abcd", "ABCX", 4), -1);
    EXPECT_EQ(Rte_mbsnbicmp("ab", "AB", 10), 0);
    EXPECT_EQ(Rte_mbsnbicmp("a", "b", 0), 0);
}

TEST_P(MbsCompare, CountCanCutADoubleByteCharacter) {
    // HIRA_A and hiragana i share their lead byte; 2 bytes compare only that.
    EXPECT_EQ(Rte_mbsnbicmp("a" HIRA_A, "A\x82\xA2", 2), 0);
    EXPECT_EQ(Rte_mbsnbicmp("a" HIRA_A, "A\x82\xA2", 3), -1);
}

INSTANTIATE_TEST_SUITE_P(CodePages, MbsCompare, testing::Values(0, 932));

TEST(MbsCompare932, DoubleByteCharactersSortAfterSingleBytes) {
    ScopedCodePage cp(932);
    // Byte by byte 0x95 < 0xB1 would sort HYOU first; by characters 0x955C > 0xB1.
    EXPECT_EQ(Rte_mbsicmp(HYOU, "\xB1"), 1);
    // A trail byte that looks like 'A' (0x41 in 0x8141) is not folded.
    EXPECT_EQ(Rte_mbsicmp("\x81\x41", "\x81\x61"), -1);
}

}  // namespace
