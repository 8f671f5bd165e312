// ConvertArrayType and TransposeData on their vector paths against the plain path, each path
// the machine runs forced in turn: every pair of numeric types over every length from 0 to 300
// at alignments 0 to 31, with values each conversion treats specially (beyond the int32 and
// float ranges, NaN with payloads, infinities, negative zero, ...) among ordinary ones;
// conversions in place and between overlapping arrays; and transpositions of every shape up to
// 300 elements for element sizes with and without vector tiles.
#include "toolbox/numeric/array_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "toolbox/numeric/array_convert_testing.h"
#include "toolbox/numeric/simd_path_testing.h"

namespace {

using toolbox::simd::Path;
namespace simd = toolbox::simd::testing;

constexpr int kMaxLength = 300;
constexpr int kAlignments = 32;
const int kNumericTypes[] = {DATA_TYPE_CHAR, DATA_TYPE_INT,    DATA_TYPE_SHORT, DATA_TYPE_FLOAT,
                             DATA_TYPE_DOUBLE, DATA_TYPE_USHORT, DATA_TYPE_UINT, DATA_TYPE_UCHAR};

template <typename T>
void Put(std::vector<unsigned char> &bytes, size_t i, T v) {
    std::memcpy(&bytes[i * sizeof v], &v, sizeof v);
}

template <typename T>
T FromBits(uint64_t bits) {
    T v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Values at the edges of what the conversions treat alike.
const double kSpecialDoubles[] = {
    0.0, -0.0, 0.5, -0.5, -0.999, 1.7, -1.7, 127.5, 128.0, -128.5, -129.0, 255.9, 256.0, 32767.9, 32768.0,
    -32768.9, -32769.0, 65535.9, 65536.0, 2147483647.9, 2147483648.0, -2147483648.0, -2147483648.9,
    -2147483649.0, 4294967295.9, 4294967296.0, 0x1p52 + 1, 0x1p63, -0x1p63, 0x1p64 + 0x1p12, -0x1p70 - 0x1p20,
    1e300, -1e300, HUGE_VAL, -HUGE_VAL, FromBits<double>(0x7FF8000000000000u), FromBits<double>(0xFFF8000000000123u),
    FromBits<double>(0x7FF0000000000001u) /* signalling */, FromBits<double>(0x7FF4000000ABCDEFu),
    static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX) + 0x1p102, static_cast<double>(FLT_MAX) + 0x1p103,
    std::nextafter(static_cast<double>(FLT_MAX) + 0x1p103, 0.0), -static_cast<double>(FLT_MAX) - 0x1p103,
    static_cast<double>(FLT_MIN) / 3, 4.9e-324, 1e-50, 0.1, 16777217.0};

const float kSpecialFloats[] = {
    0.0f, -0.0f, 0.5f, -0.5f, 1.7f, -1.7f, 127.5f, 128.0f, -128.5f, -129.0f, 255.9f, 256.0f, 32767.5f, 32768.0f,
    -32768.5f, 65535.5f, 65536.0f, 2147483520.0f, 2147483648.0f, -2147483648.0f, -2147483904.0f, 4294967040.0f,
    4294967296.0f, 0x1p40f, 0x1p63f, -0x1p63f, 0x1p100f, FLT_MAX, -FLT_MAX, HUGE_VALF, -HUGE_VALF,
    FromBits<float>(0x7FC00000u), FromBits<float>(0xFFC01234u), FromBits<float>(0x7F800001u) /* signalling */,
    FromBits<float>(0xFFA00005u), FLT_MIN, FLT_MIN / 3, 1e-45f, 0.1f};

// kMaxLength elements of the type: mostly ordinary values (which the vector steps take), a
// special value now and then (which sends its step to the plain kernel), or raw bit patterns.
std::vector<unsigned char> Elements(int type, std::mt19937 &random, bool rawBits) {
    std::vector<unsigned char> bytes(static_cast<size_t>(kMaxLength) * GetDataTypeSize(type));
    std::uniform_real_distribution<double> ordinary(-130.0, 300.0);
    for (size_t i = 0; i < kMaxLength; ++i) {
        const uint64_t bits = (static_cast<uint64_t>(random()) << 32) | random();
        const bool special = random() % 16 == 0;
        switch (type) {
        case DATA_TYPE_DOUBLE:
            Put(bytes, i, rawBits ? FromBits<double>(bits)
                          : special ? kSpecialDoubles[bits % std::size(kSpecialDoubles)]
                                    : ordinary(random));
            break;
        case DATA_TYPE_FLOAT:
            Put(bytes, i, rawBits ? FromBits<float>(bits)
                          : special ? kSpecialFloats[bits % std::size(kSpecialFloats)]
                                    : static_cast<float>(ordinary(random)));
            break;
        default:  // integers: every bit pattern is ordinary
            std::memcpy(&bytes[i * GetDataTypeSize(type)], &bits, static_cast<size_t>(GetDataTypeSize(type)));
        }
    }
    return bytes;
}

// Converts n elements from a copy of `source` at one offset into a target block at another,
// each block exactly as large as it must be, under the current path.
std::vector<unsigned char> Convert(const std::vector<unsigned char> &source, int from, int to, int n,
                                   int sourceAlign, int targetAlign) {
    const size_t sSize = GetDataTypeSize(from), tSize = GetDataTypeSize(to);
    std::vector<unsigned char> in(sourceAlign + n * sSize), out(targetAlign + n * tSize, 0xA5);
    std::copy(source.begin(), source.begin() + n * sSize, in.begin() + sourceAlign);
    ConvertArrayType(in.data() + sourceAlign, from, out.data() + targetAlign, to, n);
    return std::vector<unsigned char>(out.begin() + targetAlign, out.end());
}

TEST(ArrayConvertPaths, EveryPairConvertsAsThePlainPath) {
    std::mt19937 random(2024);
    for (int from : kNumericTypes) {
        for (bool rawBits : {false, true}) {
            const std::vector<unsigned char> source = Elements(from, random, rawBits);
            for (int to : kNumericTypes) {
                // The plain result of the whole array; a conversion of n elements is its prefix.
                simd::ForcePath(Path::kPlain);
                const std::vector<unsigned char> expected = Convert(source, from, to, kMaxLength, 0, 0);
                const size_t tSize = GetDataTypeSize(to);
                for (Path path : simd::VectorPaths()) {
                    simd::ForcePath(path);
                    for (int n = 0; n <= kMaxLength; ++n) {
                        // Every pair of offsets for short arrays, a different pair per length
                        // beyond (the head before an aligned target is at most 31 bytes).
                        for (int align = 0; align < kAlignments; ++align) {
                            if (n > 64 && align != n % kAlignments) continue;
                            const std::vector<unsigned char> got =
                                Convert(source, from, to, n, (align * 7 + n) % kAlignments, align);
                            ASSERT_TRUE(std::equal(got.begin(), got.end(), expected.begin()))
                                << simd::PathName(path) << ": " << n << " elements from type " << from << " to "
                                << to << ", offsets " << (align * 7 + n) % kAlignments << " and " << align
                                << (rawBits ? ", raw bits" : "");
                        }
                    }
                    ASSERT_EQ(expected.size(), kMaxLength * tSize);
                }
            }
        }
    }
    simd::ClearForcedPath();
}

// Conversions that round follow the caller's rounding mode on every path, also for doubles
// beyond the float range: the plain path rounds those as round-to-nearest does, whatever the
// mode, and the vector paths leave them to it.
TEST(ArrayConvertPaths, RoundingModesGiveThePlainPathsResult) {
    std::mt19937 random(3);
    const int sources[] = {DATA_TYPE_DOUBLE, DATA_TYPE_INT, DATA_TYPE_UINT};
    const int previous = std::fegetround();
    for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        for (int from : sources) {
            const std::vector<unsigned char> source = Elements(from, random, false);
            simd::ForcePath(Path::kPlain);
            const std::vector<unsigned char> expected = Convert(source, from, DATA_TYPE_FLOAT, kMaxLength, 0, 0);
            for (Path path : simd::VectorPaths()) {
                simd::ForcePath(path);
                EXPECT_EQ(Convert(source, from, DATA_TYPE_FLOAT, kMaxLength, 0, 0), expected)
                    << simd::PathName(path) << ", type " << from << ", rounding mode " << mode;
            }
        }
    }
    std::fesetround(previous);
    simd::ClearForcedPath();
}

// In place, and between arrays that overlap by any number of bytes either way: the vector
// kernels run only where they give the ascending element loop's result, which they must.
TEST(ArrayConvertPaths, OverlappingArraysConvertAsThePlainPath) {
    std::mt19937 random(7);
    constexpr int kCount = 100, kMargin = 48;
    for (int from : kNumericTypes) {
        const std::vector<unsigned char> source = Elements(from, random, false);
        for (int to : kNumericTypes) {
            for (int shift = -kMargin; shift <= kMargin; ++shift) {
                std::vector<unsigned char> expected;
                for (Path path : simd::SupportedPaths()) {
                    simd::ForcePath(path);
                    std::vector<unsigned char> block(kCount * 8 + 2 * kMargin);
                    std::memcpy(block.data() + kMargin, source.data(), kCount * GetDataTypeSize(from));
                    ConvertArrayType(block.data() + kMargin, from, block.data() + kMargin + shift, to, kCount);
                    if (path == Path::kPlain)
                        expected = block;
                    else
                        ASSERT_EQ(block, expected) << simd::PathName(path) << ": type " << from << " to " << to
                                                   << ", target " << shift << " bytes from the source";
                }
            }
        }
    }
    simd::ClearForcedPath();
}

TEST(ArrayConvertPaths, EveryShapeTransposesAsThePlainPath) {
    const int sizes[] = {1, 2, 3, 4, 5, 8, 12, 19};  // with vector tiles (1, 2, 4, 8) and without
    const int channelCounts[] = {2, 3, 4, 5, 7, 8, 9, 12, 16, 17, 31, 64, 100, 150, 299, 300};
    for (int size : sizes) {
        for (int channels : channelCounts) {
            for (int count = 0; count <= kMaxLength; ++count) {
                const std::vector<unsigned char> in = toolbox::numeric::NumberedElements(size, count);
                std::vector<unsigned char> expected = in;
                simd::ForcePath(Path::kPlain);
                toolbox::numeric::TransposeElements(expected.data(), size, count, channels);
                for (Path path : simd::VectorPaths()) {
                    simd::ForcePath(path);
                    const int align = count % kAlignments;
                    std::vector<unsigned char> block(align + in.size());
                    std::copy(in.begin(), in.end(), block.begin() + align);
                    toolbox::numeric::TransposeElements(block.data() + align, size, count, channels);
                    ASSERT_TRUE(std::equal(expected.begin(), expected.end(), block.begin() + align))
                        << simd::PathName(path) << ": " << count << " elements of " << size << " bytes, "
                        << channels << " channels";
                }
            }
        }
    }
    simd::ClearForcedPath();
}

}  // namespace
