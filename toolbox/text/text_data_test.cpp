// The six-bit text form of data: known texts, round trips, malformed texts, bad arguments and
// allocation failures.
#include "toolbox/text/text_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "rte/alloc_testing.h"

namespace {

std::string Decode(const char *text) {
    int count = -1;
    unsigned char *data = reinterpret_cast<unsigned char *>(1);  // replaced, even by NULL
    EXPECT_EQ(ConvertTextToData(text, &count, &data), 1);
    std::string result(reinterpret_cast<const char *>(data), static_cast<size_t>(count));
    EXPECT_EQ(count == 0, data == nullptr);
    free(data);
    return result;
}

TEST(TextData, EncodesKnownTextsAndEveryBlockComesBack) {
    const std::string cases[][2] = {{"", ""}, {"abc", "EQRS"}, {"abcd", "EQRS@T"},
                                    {std::string(1, '\0'), "00"}, {"\xff", "`o"}, {"\x80\x40\xc1", "W001"}};
    for (const auto &c : cases) {
        char *text = nullptr;
        ASSERT_EQ(ConvertDataToText(c[0].data(), static_cast<int>(c[0].size()), &text), 1);
        EXPECT_STREQ(text, c[1].c_str());
        free(text);
        EXPECT_EQ(Decode(c[1].c_str()), c[0]);
    }
    std::string bytes;
    for (int n = 0; n < 600; ++n, bytes += static_cast<char>(n * 37 + n / 256)) {
        char *text = nullptr;
        ASSERT_EQ(ConvertDataToText(bytes.data(), n, &text), 1);
        EXPECT_EQ(strlen(text), static_cast<size_t>(n / 3 * 4 + (n % 3 ? n % 3 + 1 : 0)));
        EXPECT_EQ(Decode(text), bytes);
        free(text);
    }
}

TEST(TextData, MalformedTextsAndBadArguments) {
    EXPECT_EQ(Decode("EQRSx"), "abc");  // a stray character after whole groups is ignored
    EXPECT_EQ(Decode("x"), "");
    EXPECT_EQ(Decode(nullptr), "");
    EXPECT_EQ(Decode("0 "), "\xf0");  // outside '0'..'o': the same arithmetic, modulo 256
    EXPECT_EQ(ConvertTextToData("EQRS", nullptr, nullptr), 0);
    char *text = reinterpret_cast<char *>(1);
    EXPECT_EQ(ConvertDataToText("abc", -1, &text) + ConvertDataToText(nullptr, 3, &text), 0);
    EXPECT_EQ(text, nullptr);
}

TEST(TextData, AllocationFailuresReturnNull) {
    rte::testing::ForEachAllocationFailure([](bool injected) {
        char *text = reinterpret_cast<char *>(1);
        EXPECT_EQ(ConvertDataToText("abcd", 4, &text), injected ? 0 : 1);
        EXPECT_EQ(text == nullptr, injected);
        free(text);
    });
    rte::testing::ForEachAllocationFailure([](bool injected) {
        int count = -1;
        unsigned char *data = reinterpret_cast<unsigned char *>(1);
        EXPECT_EQ(ConvertTextToData("EQRS@T", &count, &data), injected ? 0 : 1);
        EXPECT_EQ(count, 4) << "the size is stored also when memory runs out";
        EXPECT_EQ(data == nullptr, injected);
        free(data);
    });
}

}  // namespace
