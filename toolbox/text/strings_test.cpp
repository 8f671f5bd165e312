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
    // What a case expects: `mb` in code page 932, `sb` in code page 0.
    std::string Expect(const char *mb, const char *sb) const { return GetParam() != 0 ? mb : sb; }
    ScopedCodePage cp_{GetParam()};
};

TEST_P(Strings, GrowingAHeapStringAtEitherEnd) {
    HeapString h;
    EXPECT_EQ(AppendString(&h.s, "abc", 0) + AppendString(&h.s, "", -1) + AppendString(&h.s, nullptr, 5) +
                  AddStringPrefix(&h.s, nullptr, -1) + AddStringPrefix(&h.s, "abc", 0),
              5);
    EXPECT_EQ(h.s, nullptr) << "nothing to add leaves a null string null";
    using Grow = int (*)(char **, const char *, int);
    const struct { Grow grow; const char *text; int count; const char *mb, *sb; } steps[] = {
        {AppendString, "hello", -1, "hello", "hello"},
        {AppendString, "xyz", 2, "helloxy", "helloxy"},
        {AppendString, "12", 100, "helloxy12", "helloxy12"},  // stops at the text's null
        {AddStringPrefix, "abcxyz", 3, "abchelloxy12", "abchelloxy12"},
        // Appending never leaves half a character at the end; whole ones pass, also when a
        // trail byte has a lead byte's value. A prefix is taken as given.
        {AppendString, "a" HIRA_A HYOU, 4, "abchelloxy12a" HIRA_A, "abchelloxy12a" HIRA_A "\x95"},
        {AppendString, A_KANJI, -1, "abchelloxy12a" HIRA_A A_KANJI, "abchelloxy12a" HIRA_A "\x95" A_KANJI},
        {AddStringPrefix, "\x95", -1, "\x95" "abchelloxy12a" HIRA_A A_KANJI,
         "\x95" "abchelloxy12a" HIRA_A "\x95" A_KANJI},
    };
    for (const auto &step : steps) {
        EXPECT_EQ(step.grow(&h.s, step.text, step.count), 1);
        EXPECT_EQ(h.str(), Expect(step.mb, step.sb)) << step.text;
    }

    // A text taken from the string itself survives the block moving.
    HeapString own;
    own.s = StrDup("abcdef");
    EXPECT_EQ(AppendString(&own.s, own.s + 4, -1), 1);
    EXPECT_EQ(AddStringPrefix(&own.s, own.s + 2, 2), 1);
    EXPECT_EQ(own.str(), "cdabcdefef");
    EXPECT_EQ(AddStringQuotes(&own.s), 1);
    EXPECT_EQ(own.str(), "\"cdabcdefef\"");
    HeapString empty;
    EXPECT_EQ(AddStringQuotes(&empty.s), 1);
    EXPECT_EQ(empty.str(), "\"\"");
}

TEST_P(Strings, HeapFunctionsLeaveTheStringAsItWasWhenMemoryRunsOut) {
    ForEachAllocationFailure([](bool injected) {
        HeapString h, fresh, dup, trimmed;
        h.s = strdup("abc");
        int appended = AppendString(&h.s, "def", -1), prefixed = AddStringPrefix(&h.s, "xy", -1);
        EXPECT_EQ(h.str(), std::string(prefixed ? "xy" : "") + "abc" + (appended ? "def" : ""));
        int made = AppendString(&fresh.s, "def", -1);
        EXPECT_EQ(made, fresh.s != nullptr ? 1 : 0);
        dup.s = StrDup("text");
        trimmed.s = StrDupWithoutSurrWhiteSpace("  text ");
        made += appended + prefixed + (dup.s != nullptr) + (trimmed.s != nullptr);
        EXPECT_EQ(made, injected ? 4 : 5);
    });
    // Only the opening quote failing leaves the closing one appended, as documented.
    ForEachAllocationFailure([](bool injected) {
        HeapString h;
        h.s = strdup("abc");
        EXPECT_EQ(AddStringQuotes(&h.s), injected ? 0 : 1);
        EXPECT_TRUE(injected ? (h.str() == "abc" || h.str() == "abc\"") : h.str() == "\"abc\"") << h.str();
    });
}

TEST_P(Strings, WhiteSpace) {
    const char s[] = " \t\n" HYOU "x y", blanks[] = "  \t";
    EXPECT_EQ(SkipWhiteSpace(s), s + 3);
    EXPECT_EQ(SkipNonWhiteSpace(s + 3), s + 6);
    EXPECT_EQ(SkipWhiteSpace(blanks), blanks + 3);
    EXPECT_EQ(HasNonWhiteSpace(blanks) + HasNonWhiteSpace(nullptr) + HasNonWhiteSpace(" " HIRA_A), 1);
    EXPECT_EQ(StringEnd(s), s + std::strlen(s));
    for (char *none : {SkipWhiteSpace(nullptr), SkipNonWhiteSpace(nullptr), StringEnd(nullptr), StrDup(nullptr)})
        EXPECT_EQ(none, nullptr);

    const char *trims[][2] = {{"   ", ""}, {"", ""}, {"x", "x"}, {"  a b  ", "a b"},
                              {"\t" HIRA_A " " HYOU "\n ", HIRA_A " " HYOU}, {A_KANJI, A_KANJI}};
    for (auto &c : trims) {
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

TEST_P(Strings, CopyingAndInsertingStayInsideTheBuffer) {
    const struct { const char *source; int size; const char *mb, *sb; } copies[] = {
        {"abcdef", 4, "abc", "abc"}, {"abc", 4, "abc", "abc"}, {"abc", 1, "", ""}, {"abc", 0, "keep", "keep"},
        {nullptr, 10, "keep", "keep"}, {"abc", -3, "keep", "keep"},
        // 4 bytes hold "a" and one double-byte character, not the start of the next one.
        {"a" HIRA_A HYOU, 5, "a" HIRA_A, "a" HIRA_A "\x95"},
        // The byte before the cut is a trail byte with a lead byte's value: nothing to drop.
        {A_KANJI "b", 3, A_KANJI, A_KANJI},
    };
    for (const auto &c : copies) {
        char buf[16] = "keep";
        StringCopyMax(buf, c.source, c.size);
        EXPECT_EQ(std::string(buf), Expect(c.mb, c.sb)) << c.size;
    }

    const struct { const char *into, *text; int size; const char *mb, *sb; int mbLength, sbLength; } inserts[] = {
        {"abc", "xyz", 6, "xyabc", "xyabc", 2, 2}, {"abc", "xyz", 7, "xyzabc", "xyzabc", 3, 3},
        {"abc", "xyz", 4, "abc", "abc", 0, 0}, {"abc", "", 8, "abc", "abc", 0, 0},
        {"abc", "xyz", 0, "abc", "abc", 0, 0},
        // Already longer than the buffer allows (no null within 3 bytes): nothing is touched.
        {"abcdef", "x", 3, "abcdef", "abcdef", 0, 0},
        // Room for 3 more bytes of double-byte text: one whole character fits.
        {"ab", HIRA_A HYOU, 6, HIRA_A "ab", HIRA_A "\x95" "ab", 2, 3},
    };
    for (const auto &c : inserts) {
        char buf[8];
        std::strcpy(buf, c.into);
        EXPECT_EQ(StringInsert(buf, c.text, c.size) - buf, GetParam() != 0 ? c.mbLength : c.sbLength);
        EXPECT_EQ(std::string(buf), Expect(c.mb, c.sb)) << c.text << " into " << c.into;
    }
}

TEST_P(Strings, CaseInsensitiveComparisons) {
    EXPECT_EQ(StrICmp("abc", "ABC") + StrNICmp("abcd", "ABCE", 3), 0);
    EXPECT_LT(StrICmp("abc", "abd"), 0);
    EXPECT_GT(StrNICmp("abcf", "ABCE", 4), 0);

    const struct { const char *s1, *s2; int mb, sb; } cases[] = {
        {"abc", "  ABC \t", 0, 0}, {" abcd", "ABC ", 1, 1}, {"ab", "ABC", -1, -1},
        {"a b", "ab", -1, -1} /* interior blanks count */, {"_", "z", 1, 1} /* upper-case order */,
        {nullptr, nullptr, 0, 0}, {nullptr, "a", -1, -1}, {"a", nullptr, 1, 1}, {" " HYOU "a ", HYOU "A", 0, 0},
        {"\x81\x61", "\x81\x41", 1, 0},  // trail byte 0x61 is not a letter in code page 932
    };
    for (const auto &c : cases)
        EXPECT_EQ(StrICmpWithoutSurrWhiteSpace(c.s1, c.s2), GetParam() != 0 ? c.mb : c.sb)
            << (c.s1 ? c.s1 : "(null)") << " / " << (c.s2 ? c.s2 : "(null)");
}

TEST_P(Strings, SpliceCommaSeparatedLists) {
    const char *cases[][3] = {
        {"a,,c", "x,y,z,w", "a,y,c,w"}, {"a,b", nullptr, "a,b"}, {nullptr, "a,b", "a,b"}, {"", "", ""},
        {nullptr, nullptr, ""}, {",", ",", ","}, {HYOU ",", "x,y", HYOU ",y"},
    };
    for (auto &c : cases) {
        HeapString h;
        EXPECT_EQ(SpliceCommaSeparatedList(c[0], c[1], &h.s), 0);
        EXPECT_EQ(h.str(), c[2]) << (c[0] ? c[0] : "(null)") << " + " << (c[1] ? c[1] : "(null)");
    }
    ForEachAllocationFailure([](bool injected) {
        HeapString h, empty;
        h.s = reinterpret_cast<char *>(1);  // must be replaced in every case
        int result = SpliceCommaSeparatedList("a,,c", "x,y", &h.s);
        result += SpliceCommaSeparatedList(nullptr, "", &empty.s);
        EXPECT_EQ(result, injected ? -12 : 0);
        EXPECT_EQ(h.s == nullptr || empty.s == nullptr, injected);
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
