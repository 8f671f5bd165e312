// Tests of the .reg files' encodings: UTF-8 to UTF-16 and back for every kind of text, bytes that
// are not UTF-8 included, Windows-1252, and what counts as UTF-8.
#include "tools/rtereg/reg_text.h"

#include <gtest/gtest.h>

#include <string>

TEST(RegText, Utf16CarriesAnyBytesThere) {
    struct Case {
        std::string utf8, utf16;
        size_t units;
        bool valid;
    } cases[] = {
        {"A", std::string("A\0", 2), 1, true},
        {"\xC3\xA9", std::string("\xE9\0", 2), 1, true},                       // é
        {"\xE2\x82\xAC", std::string("\xAC\x20", 2), 1, true},                 // €
        {"\xF0\x9F\x98\x80", std::string("\x3D\xD8\x00\xDE", 4), 2, true},   // a surrogate pair
        {std::string("\0", 1), std::string("\0\0", 2), 1, true},
        {"\xFF", "\xFF\xDC", 1, false},                                         // not UTF-8: U+DCFF
        {"\xC0\x80", "\xC0\xDC\x80\xDC", 2, false},                             // overlong: two bytes
        {"\xED\xA0\x80", "\xED\xDC\xA0\xDC\x80\xDC", 3, false},                 // an encoded surrogate
        {"\xE2\x82", "\xE2\xDC\x82\xDC", 2, false},                             // cut short
    };
    for (const auto &c : cases) {
        EXPECT_EQ(rtereg::Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
        std::string back;
        size_t where = 0;
        EXPECT_TRUE(rtereg::Utf16ToUtf8(c.utf16, &back, &where));
        EXPECT_EQ(back, c.utf8);
        EXPECT_EQ(rtereg::Utf16Length(c.utf8), c.units) << c.utf8;
        EXPECT_EQ(rtereg::IsUtf8(c.utf8), c.valid) << c.utf8;
    }
    // Unpaired surrogates other than the bytes' own are refused, where they are.
    std::string back;
    size_t where = 0;
    EXPECT_FALSE(rtereg::Utf16ToUtf8(std::string("A\0\x00\xD8", 4), &back, &where));
    EXPECT_EQ(where, 2u);
    EXPECT_FALSE(rtereg::Utf16ToUtf8(std::string("\x00\xDC", 2), &back, &where));
}

TEST(RegText, Windows1252AndAscii) {
    EXPECT_EQ(rtereg::Windows1252ToUtf8("caf\xE9 \x80 \x81 \x9F"), "caf\xC3\xA9 \xE2\x82\xAC \xC2\x81 \xC5\xB8");
    EXPECT_TRUE(rtereg::IsAscii("plain ~"));
    EXPECT_FALSE(rtereg::IsAscii("caf\xC3\xA9"));
}
