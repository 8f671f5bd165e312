// Tests of the six-bit text form of binary data: known texts, round trips, malformed texts,
// bad arguments and allocation failures.
#include "toolbox/text/text_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "rte/alloc_testing.h"

namespace {

std::string Encode(const std::string &bytes) {
    char *text = nullptr;
    EXPECT_EQ(ConvertDataToText(bytes.data(), static_cast<int>(bytes.size()), &text), 1);
    std::string result = text != nullptr ? text : "<null>";
    free(text);
    return result;
}

std::string Decode(const char *text) {
    int count = -1;
    unsigned char *data = nullptr;
    EXPECT_EQ(ConvertTextToData(text, &count, &data), 1);
    std::string result(reinterpret_cast<const char *>(data), static_cast<size_t>(count));
    if (count == 0) {
            EXPECT_EQ(data, nullptr) << "nothing is allocated for an empty result";
        }
    free(data);
    return result;
}

TEST(TextData, KnownTextsEncodeAndDecode) {
    struct Case {
        std::string bytes;
        std::string text;
    } cases[] = {
        {"", ""},
        {"abc", "EQRS"},
        {"abcd", "EQRS@T"},  // d = 0x64: header 1 * 16 = 16 (@), low bits 36 (T)
        {std::string(1, '\0'), "00"},
        {"\xff", "`o"},
        {"\xff\xff", "lo" "o"},
        {"\xff\xff\xff", "oooo"},
        {std::string("\x00\x00\x00", 3), "0000"},
        {"\x80\x40\xc1", "W001"},  // top bits 2, 1, 3: header 2 * 16 + 1 * 4 + 3 = 39 = 'W'
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Encode(c.bytes), c.text);
        EXPECT_EQ(Decode(c.text.c_str()), c.bytes) << c.text;
    }
}

TEST(TextData, EveryBlockComesBackExactly) {
    std::vector<unsigned char> bytes;
    unsigned seed = 12345;
    for (int n = 0; n <= 400; ++n) {
        char *text = nullptr;
        ASSERT_EQ(ConvertDataToText(bytes.data(), n, &text), 1);
        size_t length = strlen(text);
        EXPECT_EQ(length, static_cast<size_t>(n / 3 * 4 + (n % 3 ? n % 3 + 1 : 0)));
        for (size_t i = 0; i < length; ++i) ASSERT_TRUE(text[i] >= '0' && text[i] <= 'o');
        int count = -1;
        unsigned char *data = nullptr;
        ASSERT_EQ(ConvertTextToData(text, &count, &data), 1);
        ASSERT_EQ(count, n);
        if (n > 0) {
            EXPECT_EQ(memcmp(data, bytes.data(), static_cast<size_t>(n)), 0) << n;
        }
        free(text);
        free(data);
        seed = seed * 1103515245u + 12345u;
        bytes.push_back(static_cast<unsigned char>(n < 256 ? n : seed >> 16));
    }
}

TEST(TextData, MalformedTextsDecodeWithoutFailing) {
    // A stray character after full groups is ignored; a single character decodes to nothing.
    EXPECT_EQ(Decode("EQRSx"), "abc");
    EXPECT_EQ(Decode("x"), "");
    EXPECT_EQ(Decode(""), "");
    EXPECT_EQ(Decode(nullptr), "");
    // Characters outside '0'..'o' decode by the same arithmetic, modulo 256: ' ' is -16.
    EXPECT_EQ(Decode("0 "), "\xf0");
    EXPECT_EQ(Decode("\xff\xff"), std::string(1, static_cast<char>(0xcf)));

    // The count pointer may be null; a stale data pointer is replaced, not freed or kept.
    unsigned char stale = 7;
    unsigned char *data = &stale;
    EXPECT_EQ(ConvertTextToData("0", nullptr, &data), 1);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(ConvertTextToData("EQRS", nullptr, &data), 1);
    EXPECT_EQ(memcmp(data, "abc", 3), 0);
    free(data);
}

TEST(TextData, BadArgumentsFailCleanly) {
    char *text = reinterpret_cast<char *>(1);
    EXPECT_EQ(ConvertDataToText("abc", -1, &text), 0);
    EXPECT_EQ(text, nullptr);
    text = reinterpret_cast<char *>(1);
    EXPECT_EQ(ConvertDataToText(nullptr, 3, &text), 0);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(ConvertDataToText("abc", 3, nullptr), 0);
    ASSERT_EQ(ConvertDataToText(nullptr, 0, &text), 1);
    EXPECT_STREQ(text, "");
    free(text);

    int count = -1;
    EXPECT_EQ(ConvertTextToData("EQRS", &count, nullptr), 0);
    EXPECT_EQ(count, -1);
}

TEST(TextData, AllocationFailuresReturnNullAndLeakNothing) {
    rte::testing::ForEachAllocationFailure([](bool injected) {
        char *text = reinterpret_cast<char *>(1);
        EXPECT_EQ(ConvertDataToText("abcd", 4, &text), injected ? 0 : 1);
        if (injected) {
            EXPECT_EQ(text, nullptr);
        }
        free(text);
    });
    rte::testing::ForEachAllocationFailure([](bool injected) {
        int count = -1;
        unsigned char *data = reinterpret_cast<unsigned char *>(1);
        EXPECT_EQ(ConvertTextToData("EQRST4", &count, &data), injected ? 0 : 1);
        EXPECT_EQ(count, 4) << "the size is stored also when memory runs out";
        if (injected) {
            EXPECT_EQ(data, nullptr);
        }
        free(data);
    });
}

}  // namespace
