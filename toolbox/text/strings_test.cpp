// Tests of the string utilities, each run under code page 0 and 932, with Shift-JIS text where
// a cut or a step could split a double-byte character.
#include "toolbox/text/strings.h"

#include "rte/alloc_testing.h"
#include "rte/mbs_testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using rte::testing::ForEachAllocationFailure;
using rte::testing::ScopedCodePage;

#define HIRA_A "\x82\xA0"  /* Shift-JIS hiragana a */
#define HYOU "\x95\x5C"    /* Shift-JIS kanji whose trail byte is a backslash */
#define A_KANJI "\x88\x9F" /* Shift-JIS kanji whose trail byte 0x9F is also a lead byte */

// Owns a heap string for the length of a test.
struct HeapString {
    char *s = nullptr;
    ~HeapString() { std::free(s); }
    std::string str() const { return s ? s : "(null)"; }
};

class Strings : public testing::TestWithParam<int> {
protected:
    bool multiByte() const { return GetParam() != 0; }
    ScopedCodePage cp_{GetParam()};
};

TEST_P(Strings, AppendStringGrowsANullOrExistingString) {
    HeapString h;
    EXPECT_EQ(AppendString(&h.s, "abc", 0), 1);
    EXPECT_EQ(AppendString(&h.s, "", -1), 1);
    EXPECT_EQ(AppendString(&h.s, nullptr, 5), 1);
    EXPECT_EQ(h.s, nullptr) << "nothing to add leaves a null string null";

    EXPECT_EQ(AppendString(&h.s, "hello", -1), 1);
    EXPECT_EQ(h.str(), "hello");
    EXPECT_EQ(AppendString(&h.s, "xyz", 2), 1);
    EXPECT_EQ(AppendString(&h.s, "12", 100), 1) << "stops at the text's null";
    EXPECT_EQ(h.str(), "helloxy12");

    // A text taken from the string itself survives the block moving.
    EXPECT_EQ(AppendString(&h.s, h.s + 5, -1), 1);
    EXPECT_EQ(h.str(), "helloxy12xy12");
}

TEST_P(Strings, AppendStringNeverEndsInHalfACharacter) {
    HeapString h;
    EXPECT_EQ(AppendString(&h.s, "a" HIRA_A HYOU, 4), 1);
    EXPECT_EQ(h.str(), multiByte() ? "a" HIRA_A : "a" HIRA_A "\x95");
    // Whole characters pass, also when a trail byte has a lead byte's value.
    EXPECT_EQ(AppendString(&h.s, A_KANJI, -1), 1);
    EXPECT_EQ(h.str(), multiByte() ? "a" HIRA_A A_KANJI : "a" HIRA_A "\x95" A_KANJI);
}

TEST_P(Strings, AddStringPrefixAndQuotes) {
    HeapString h;
    EXPECT_EQ(AddStringPrefix(&h.s, nullptr, -1), 1);
    EXPECT_EQ(AddStringPrefix(&h.s, "abc", 0), 1);
    EXPECT_EQ(h.s, nullptr);
    EXPECT_EQ(AddStringPrefix(&h.s, "def", -1), 1);
    EXPECT_EQ(AddStringPrefix(&h.s, "abcxyz", 3), 1);
    EXPECT_EQ(h.str(), "abcdef");
    EXPECT_EQ(AddStringPrefix(&h.s, h.s + 4, -1), 1) << "prefix taken from the string itself";
    EXPECT_EQ(h.str(), "efabcdef");
    EXPECT_EQ(AddStringQuotes(&h.s), 1);
    EXPECT_EQ(h.str(), "\"efabcdef\"");

    HeapString empty;
    EXPECT_EQ(AddStringQuotes(&empty.s), 1);
    EXPECT_EQ(empty.str(), "\"\"");
}

TEST_P(Strings, HeapFunctionsLeaveTheStringAsItWasWhenMemoryRunsOut) {
    ForEachAllocationFailure([](bool injected) {
        HeapString h, fresh;
        h.s = strdup("abc");
        int appended = AppendString(&h.s, "def", -1);
        int prefixed = AddStringPrefix(&h.s, "xy", -1);
        int fresh_ok = AppendString(&fresh.s, "def", -1);
        EXPECT_EQ(appended + prefixed + fresh_ok, injected ? 2 : 3);
        EXPECT_EQ(h.str(), std::string(prefixed ? "xy" : "") + "abc" + (appended ? "def" : ""));
        EXPECT_EQ(fresh_ok, fresh.s != nullptr ? 1 : 0);
    });
    // Only the opening quote failing leaves the closing one appended, as documented.
    ForEachAllocationFailure([](bool injected) {
        HeapString h;
        h.s = strdup("abc");
        EXPECT_EQ(AddStringQuotes(&h.s), injected ? 0 : 1);
        EXPECT_TRUE(injected ? (h.str() == "abc" || h.str() == "abc\"") : h.str() == "\"abc\"") << h.str();
    });
    ForEachAllocationFailure([](bool injected) {
        HeapString a, b;
        a.s = StrDup("text");
        b.s = StrDupWithoutSurrWhiteSpace("  text ");
        EXPECT_EQ(a.s == nullptr || b.s == nullptr, injected);
    });
}

TEST_P(Strings, StrDupAndStringEnd) {
    EXPECT_EQ(StrDup(nullptr), nullptr);
    EXPECT_EQ(StringEnd(nullptr), nullptr);
    const char text[] = "a" HIRA_A;
    EXPECT_EQ(StringEnd(text), text + 3);
    HeapString h;
    h.s = StrDup(text);
    ASSERT_NE(h.s, text);
    EXPECT_EQ(h.str(), text);
}

TEST_P(Strings, WhiteSpaceSkipping) {
    const char s[] = " \t\n" HYOU "x y";
    EXPECT_EQ(SkipWhiteSpace(s), s + 3);
    EXPECT_EQ(SkipNonWhiteSpace(s + 3), s + 6);
    EXPECT_EQ(SkipWhiteSpace(nullptr), nullptr);
    EXPECT_EQ(SkipNonWhiteSpace(nullptr), nullptr);
    const char blanks[] = "  \t";
    EXPECT_EQ(SkipWhiteSpace(blanks), blanks + 3);
    EXPECT_EQ(HasNonWhiteSpace(blanks), 0);
    EXPECT_EQ(HasNonWhiteSpace(nullptr), 0);
    EXPECT_EQ(HasNonWhiteSpace(" " HIRA_A), 1);
}

TEST_P(Strings, TrimmingKeepsInteriorBlanksAndWholeCharacters) {
    const char *cases[][2] = {
        {"   ", ""},
        {"", ""},
        {"  a b  ", "a b"},
        {"\t" HIRA_A " " HYOU "\n ", HIRA_A " " HYOU},
        {A_KANJI, A_KANJI},
        {"x", "x"},
    };
    for (auto &c : cases) {
        HeapString h;
        h.s = StrDupWithoutSurrWhiteSpace(c[0]);
        EXPECT_EQ(h.str(), c[1]) << '"' << c[0] << '"';
        char buffer[32];
        std::strcpy(buffer, c[0]);
        RemoveSurroundingWhiteSpace(buffer);
        EXPECT_STREQ(buffer, c[1]) << '"' << c[0] << '"';
    }
    RemoveSurroundingWhiteSpace(nullptr);
}

TEST_P(Strings, StringCopyMaxCutsToTheBuffer) {
    char buf[16];
    StringCopyMax(buf, "abcdef", 4);
    EXPECT_STREQ(buf, "abc");
    StringCopyMax(buf, "abc", 4);
    EXPECT_STREQ(buf, "abc");
    StringCopyMax(buf, "abc", 1);
    EXPECT_STREQ(buf, "");
    std::strcpy(buf, "keep");
    StringCopyMax(buf, "abc", 0);
    StringCopyMax(buf, nullptr, 10);
    StringCopyMax(buf, "abc", -3);
    EXPECT_STREQ(buf, "keep");

    // 4 bytes hold "a" plus one double-byte character, not the start of the second.
    StringCopyMax(buf, "a" HIRA_A HYOU, 5);
    EXPECT_STREQ(buf, multiByte() ? "a" HIRA_A : "a" HIRA_A "\x95");
    // The byte before the cut is a trail byte with a lead byte's value: nothing to drop.
    StringCopyMax(buf, A_KANJI "b", 3);
    EXPECT_STREQ(buf, A_KANJI);
}

TEST_P(Strings, StringInsertStaysInsideTheBuffer) {
    char buf[8];
    std::strcpy(buf, "abc");
    EXPECT_EQ(StringInsert(buf, "xyz", 6), buf + 2);
    EXPECT_STREQ(buf, "xyabc");
    std::strcpy(buf, "abc");
    EXPECT_EQ(StringInsert(buf, "xyz", 7), buf + 3);
    EXPECT_STREQ(buf, "xyzabc");
    std::strcpy(buf, "abc");
    EXPECT_EQ(StringInsert(buf, "xyz", 4), buf);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(StringInsert(buf, "", 8), buf);
    EXPECT_EQ(StringInsert(buf, "xyz", 0), buf);
    EXPECT_STREQ(buf, "abc");

    // Already longer than the buffer allows: no null within 3 bytes, nothing is touched.
    std::strcpy(buf, "abcdef");
    EXPECT_EQ(StringInsert(buf, "x", 3), buf);
    EXPECT_STREQ(buf, "abcdef");

    // Room for 3 bytes of a text of double-byte characters: one whole character fits.
    std::strcpy(buf, "ab");
    char *after = StringInsert(buf, HIRA_A HYOU, 6);
    EXPECT_STREQ(buf, multiByte() ? HIRA_A "ab" : HIRA_A "\x95" "ab");
    EXPECT_EQ(after, buf + (multiByte() ? 2 : 3));
}

TEST_P(Strings, CaseInsensitiveComparisons) {
    EXPECT_EQ(StrICmp("abc", "ABC"), 0);
    EXPECT_LT(StrICmp("abc", "abd"), 0);
    EXPECT_EQ(StrNICmp("abcd", "ABCE", 3), 0);
    EXPECT_GT(StrNICmp("abcf", "ABCE", 4), 0);

    EXPECT_EQ(StrICmpWithoutSurrWhiteSpace("abc", "  ABC \t"), 0);
    EXPECT_EQ(StrICmpWithoutSurrWhiteSpace(" abcd", "ABC "), 1);
    EXPECT_EQ(StrICmpWithoutSurrWhiteSpace("ab", "ABC"), -1);
    EXPECT_EQ(StrICmpWithoutSurrWhiteSpace("a b", "ab"), -1) << "interior blanks count";
    EXPECT_EQ(StrICmpWithoutSurrWhiteSpace("_", "z"), 1) << "upper-case order";
    EXPECT_EQ(StrICmpWithoutSurrWhiteSpace(nullptr, nullptr), 0);
    EXPECT_EQ(StrICmpWithoutSurrWhiteSpace(nullptr, "a"), -1);
    EXPECT_EQ(StrICmpWithoutSurrWhiteSpace("a", nullptr), 1);
    EXPECT_EQ(StrICmpWithoutSurrWhiteSpace(" " HYOU "a ", HYOU "A"), 0);
    // Trail byte 0x61 is not a letter in code page 932.
    EXPECT_EQ(StrICmpWithoutSurrWhiteSpace("\x81\x61", "\x81\x41"), multiByte() ? 1 : 0);
}

TEST_P(Strings, SpliceCommaSeparatedLists) {
    struct Case {
        const char *list1, *list2, *merged;
    } cases[] = {
        {"a,,c", "x,y,z,w", "a,y,c,w"},
        {"a,b", nullptr, "a,b"},
        {nullptr, "a,b", "a,b"},
        {"", "", ""},
        {nullptr, nullptr, ""},
        {",", ",", ","},
        {HYOU ",", "x,y", HYOU ",y"},
    };
    for (const Case &c : cases) {
        HeapString h;
        EXPECT_EQ(SpliceCommaSeparatedList(c.list1, c.list2, &h.s), 0);
        EXPECT_EQ(h.str(), c.merged) << (c.list1 ? c.list1 : "(null)") << " + " << (c.list2 ? c.list2 : "(null)");
    }
    ForEachAllocationFailure([](bool injected) {
        HeapString h;
        h.s = reinterpret_cast<char *>(1);  // must be replaced in every case
        EXPECT_EQ(SpliceCommaSeparatedList("a,,c", "x,y", &h.s), injected ? -12 : 0);
        if (injected) {
            EXPECT_EQ(h.s, nullptr);
        }
    });
    ForEachAllocationFailure([](bool injected) {
        HeapString h;
        EXPECT_EQ(SpliceCommaSeparatedList(nullptr, "", &h.s), injected ? -12 : 0);
        EXPECT_EQ(h.s == nullptr, injected);
    });
}

INSTANTIATE_TEST_SUITE_P(CodePages, Strings, testing::Values(0, 932),
                         [](const testing::TestParamInfo<int> &info) { return "cp" + std::to_string(info.param); });

TEST(StringsDeathTest, NullArgumentsStopTheProgram) {
    EXPECT_DEATH(AppendString(nullptr, "a", -1), "NULL passed to first parameter of AppendString\\(\\)");
    EXPECT_DEATH(AddStringQuotes(nullptr), "NULL passed to first parameter of AppendString\\(\\)");
    EXPECT_DEATH(AddStringPrefix(nullptr, "a", -1), "NULL passed to first parameter of AddStringPrefix\\(\\)");
    EXPECT_DEATH(StringCopyMax(nullptr, "a", 4), "Null string passed to first parameter of StringCopyMax");
    EXPECT_DEATH(StringInsert(nullptr, nullptr, 4), "NULL string passed to second parameter of StringInsert");
    EXPECT_DEATH(StringInsert(nullptr, "a", 4), "NULL string passed to first parameter of StringInsert");
    EXPECT_DEATH(StrDupWithoutSurrWhiteSpace(nullptr), "first parameter of StrDupWithoutSurrWhiteSpace");
    EXPECT_DEATH(SpliceCommaSeparatedList("a", "b", nullptr), "third parameter of SpliceCommaSeparatedList");
}

}  // namespace
