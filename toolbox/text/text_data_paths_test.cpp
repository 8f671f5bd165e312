// The six-bit codec's vector paths against its plain path: every length from 0 to 300 at every
// alignment from 0 to 31, for random bytes and for bytes that set the header bits in every
// pattern, and texts drawn from the alphabet and from the whole byte range. Each path the
// machine runs is forced in turn.
#include "toolbox/text/text_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "toolbox/numeric/simd_path_testing.h"

namespace {

using toolbox::simd::Path;
namespace simd = toolbox::simd::testing;

constexpr int kMaxLength = 300;
constexpr int kAlignments = 32;

std::string Encode(const unsigned char *data, int n) {
    char *text = nullptr;
    EXPECT_EQ(ConvertDataToText(data, n, &text), 1);
    std::string result = text != nullptr ? text : "(null)";
    free(text);
    return result;
}

std::string Decode(const char *text) {
    int count = -1;
    unsigned char *data = nullptr;
    EXPECT_EQ(ConvertTextToData(text, &count, &data), 1);
    std::string result(reinterpret_cast<const char *>(data), count > 0 ? static_cast<size_t>(count) : 0);
    free(data);
    return result;
}

// Each input in a block of exactly its own size at the given offset, so that AddressSanitizer
// sees any read past its end.
TEST(TextDataPaths, VectorPathsEncodeAsThePlainOne) {
    std::mt19937 random(14);
    std::vector<std::vector<unsigned char>> inputs(4, std::vector<unsigned char>(kMaxLength));
    for (int i = 0; i < kMaxLength; ++i) {
        inputs[0][i] = static_cast<unsigned char>(random());
        inputs[1][i] = 0xFF;                                        // every header bit set
        inputs[2][i] = static_cast<unsigned char>(i % 3 == 0 ? 0xC0 : 0x3F);  // header of b0 only
        inputs[3][i] = static_cast<unsigned char>((i * 0x55) ^ (i >> 2));  // pairs in every place
    }
    for (Path path : simd::VectorPaths()) {
        for (const auto &input : inputs) {
            for (int n = 0; n <= kMaxLength; ++n) {
                simd::ForcePath(Path::kPlain);
                const std::string expected = Encode(input.data(), n);
                simd::ForcePath(path);
                for (int align = 0; align < kAlignments; ++align) {
                    std::vector<unsigned char> block(static_cast<size_t>(align + n));
                    std::copy(input.begin(), input.begin() + n, block.begin() + align);
                    ASSERT_EQ(Encode(block.data() + align, n), expected)
                        << simd::PathName(path) << ", " << n << " bytes at offset " << align;
                }
            }
        }
    }
    simd::ClearForcedPath();
}

TEST(TextDataPaths, VectorPathsDecodeAsThePlainOne) {
    std::mt19937 random(41);
    std::vector<std::string> texts(3, std::string(kMaxLength, '0'));
    for (int i = 0; i < kMaxLength; ++i) {
        texts[0][i] = static_cast<char>('0' + random() % 64);      // the alphabet
        texts[1][i] = static_cast<char>(1 + random() % 255);       // any byte but the terminator
        texts[2][i] = static_cast<char>(i % 4 == 0 ? 'o' : '0');  // every header bit set
    }
    for (Path path : simd::VectorPaths()) {
        for (const auto &text : texts) {
            for (int n = 0; n <= kMaxLength; ++n) {  // also the lengths 4k + 1 and 4k + 2
                const std::string prefix = text.substr(0, static_cast<size_t>(n));
                simd::ForcePath(Path::kPlain);
                const std::string expected = Decode(prefix.c_str());
                simd::ForcePath(path);
                for (int align = 0; align < kAlignments; ++align) {
                    std::vector<char> block(static_cast<size_t>(align + n + 1));
                    std::copy(prefix.begin(), prefix.end(), block.begin() + align);
                    ASSERT_EQ(Decode(block.data() + align), expected)
                        << simd::PathName(path) << ", " << n << " characters at offset " << align;
                }
            }
        }
    }
    simd::ClearForcedPath();
}

}  // namespace
