// Tests of the type-code array functions: sizes, conversions as a table, the transposition on
// both of its paths for every element size, and rounding to a multiple.
#include "toolbox/numeric/array_convert.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "rte/alloc_testing.h"
#include "toolbox/numeric/array_convert_testing.h"

namespace {

TEST(ArrayConvert, DataTypeSizes) {
    const int expected[] = {1, 4, 2, 4, 8, 8, 2, 4, 1};  // the pointer is 8 bytes here
    for (int code = 0; code <= 8; ++code) EXPECT_EQ(GetDataTypeSize(code), expected[code]) << code;
    EXPECT_DEATH(GetDataTypeSize(9), "Parameter 1 passed to GetDataTypeSize was not a valid data type.");
    int a[4] = {};
    for (int count : {4, 2})  // also when the shape leaves nothing to reorder
        EXPECT_DEATH(TransposeData(a, 12, count, 2), "not a valid data type");
}

// One element of any type, as 8 bytes.
struct Elem {
    unsigned char b[8] = {};
};
template <typename T>
Elem E(T v) {
    Elem e;
    std::memcpy(e.b, &v, sizeof v);
    return e;
}

TEST(ArrayConvert, ConvertsThroughDoubleTruncatingAndWrapping) {
    const struct { int from; Elem in; int to; Elem out; } cases[] = {
        {DATA_TYPE_CHAR, E<int8_t>(-1), DATA_TYPE_UCHAR, E<uint8_t>(255)},
        {DATA_TYPE_UINT, E(4294967295u), DATA_TYPE_DOUBLE, E(4294967295.0)},
        {DATA_TYPE_DOUBLE, E(2.9), DATA_TYPE_INT, E(2)},
        {DATA_TYPE_DOUBLE, E(-2.9), DATA_TYPE_INT, E(-2)},  // toward zero, not down
        {DATA_TYPE_DOUBLE, E(4294967295.0), DATA_TYPE_UINT, E(4294967295u)},
        {DATA_TYPE_DOUBLE, E(300.0), DATA_TYPE_CHAR, E<int8_t>(44)},
        {DATA_TYPE_USHORT, E<uint16_t>(65535), DATA_TYPE_SHORT, E<int16_t>(-1)},
        {DATA_TYPE_DOUBLE, E(0.1), DATA_TYPE_FLOAT, E(0.1f)},
        // Left open: beyond the signed 64-bit range the low bits are still exact; NaN and
        // infinities give 0; doubles beyond the float range round as IEEE arithmetic does.
        {DATA_TYPE_DOUBLE, E(0x1p64 + 0x1p12), DATA_TYPE_UINT, E(4096u)},
        {DATA_TYPE_DOUBLE, E(-0x1p70 - 0x1p20), DATA_TYPE_INT, E(-1048576)},
        {DATA_TYPE_DOUBLE, E(NAN), DATA_TYPE_INT, E(0)},
        {DATA_TYPE_DOUBLE, E(-1e300), DATA_TYPE_FLOAT, E(-INFINITY)},
        {DATA_TYPE_DOUBLE, E(static_cast<double>(FLT_MAX) + 0x1p102), DATA_TYPE_FLOAT, E(FLT_MAX)},
    };
    for (const auto &c : cases) {
        Elem got;
        ConvertArrayType(c.in.b, c.from, got.b, c.to, 1);
        EXPECT_EQ(std::memcmp(got.b, c.out.b, 8), 0) << "from " << c.from << " to " << c.to;
    }
    // Nothing is written for a pointer or invalid type on either side, nor for a count <= 0.
    const int32_t src[2] = {5, 6};
    int32_t dst[2] = {-9, -9};
    const int pairs[][3] = {{1, 5, 2}, {5, 1, 2}, {42, 1, 2}, {1, -3, 2}, {1, 1, 0}, {1, 1, -1}};
    for (auto &p : pairs) ConvertArrayType(src, p[0], dst, p[1], p[2]);
    EXPECT_EQ(dst[0] + dst[1], -18);
}

TEST(ArrayConvert, ConvertsInPlaceToASmallerOrEqualType) {
    double a[4] = {1.5, -2.5, 300.0, 65536.0 + 7};
    ConvertArrayType(a, DATA_TYPE_DOUBLE, a, DATA_TYPE_SHORT, 4);
    int16_t got[4];
    std::memcpy(got, a, sizeof got);
    EXPECT_EQ(std::vector<int16_t>(got, got + 4), (std::vector<int16_t>{1, -2, 300, 7}));
}

// Channel-block order of interleaved indices, the plain way.
std::vector<int> BlockOrder(int count, int channels) {
    std::vector<int> order;
    for (int c = 0; c < channels; ++c)
        for (int i = c; i < count; i += channels) order.push_back(i);
    return order;
}

TEST(ArrayConvert, TransposesOnBothPathsForEveryElementSize) {
    // Every shape up to 40 elements of 1 to 9 channels, and a few larger ones.
    std::vector<std::pair<int, int>> shapes;
    for (int count = 0; count <= 40; ++count)
        for (int channels = 1; channels <= 9; ++channels) shapes.emplace_back(count, channels);
    shapes.insert(shapes.end(), {{1000, 2}, {1001, 7}, {997, 500}, {4096, 64}});
    for (int size = 1; size <= 8; ++size) {
        for (auto [count, channels] : shapes) {
            std::vector<unsigned char> in = toolbox::numeric::NumberedElements(size, count), want = in;
            if (channels >= 2) {
                std::vector<int> order = BlockOrder(count, channels);
                for (size_t k = 0; k < order.size(); ++k)
                    std::memcpy(&want[k * size], &in[static_cast<size_t>(order[k]) * size], size);
            }
            for (bool inPlace : {false, true}) {
                std::vector<unsigned char> a = in;
                rte::testing::FailNthAllocation(inPlace ? 1 : 0);
                toolbox::numeric::TransposeElements(a.data(), size, count, channels);
                if (inPlace && want != in) {
                    EXPECT_TRUE(rte::testing::AllocationFaultFired());
                }
                rte::testing::ClearAllocationFault();
                ASSERT_EQ(a, want) << "size " << size << ", " << count << " elements of " << channels
                                   << " channels, in place " << inPlace;
            }
        }
    }
}

TEST(ArrayConvert, TransposeDataByTypeCode) {
    // a0 b0 c0 a1 b1 c1 a2 b2 -> a0 a1 a2 b0 b1 b2 c0 c1, through the buffer and in place.
    for (long failing : {0, 1}) {
        int16_t a[8] = {10, 20, 30, 11, 21, 31, 12, 22};
        rte::testing::FailNthAllocation(failing);
        TransposeData(a, DATA_TYPE_SHORT, 8, 3);
        EXPECT_EQ(std::vector<int16_t>(a, a + 8), (std::vector<int16_t>{10, 11, 12, 20, 21, 22, 30, 31}));
    }
    // Nothing to reorder: the array stays and nothing is allocated (with one channel the type
    // is not even looked at).
    double d[3] = {1, 2, 3};
    rte::testing::ClearAllocationFault();
    const int shapes[][3] = {{3, 1, 4}, {3, 3, 4}, {0, 2, 4}, {-4, 2, 4}, {3, 1, 99}};
    for (auto &s : shapes) TransposeData(d, s[2], s[0], s[1]);
    EXPECT_EQ(rte::testing::AllocationCount(), 0);
    EXPECT_EQ(d[0] * 100 + d[1] * 10 + d[2], 123);
}

TEST(ArrayConvert, RoundsAwayFromZeroToAMultiple) {
    const int cases[][3] = {
        {12, 4, 12}, {13, 4, 16}, {-13, 4, -16}, {5, 4, 8}, {-5, 4, -8}, {0, 4, 0}, {7, 10, 10},
        // Left open: negative multiples act as their absolute value, 0 leaves the value, and a
        // result beyond the int range falls back to the multiple toward zero.
        {13, -4, 16}, {13, 0, 13}, {INT_MAX, 4, 2147483644}, {INT_MIN + 1, 4, INT_MIN},
        {INT_MIN + 1, 3, -2147483646}, {INT_MIN, INT_MIN, INT_MIN}, {5, INT_MIN, 0},
    };
    for (auto &c : cases) EXPECT_EQ(RoundToNextMultiple(c[0], c[1]), c[2]) << c[0] << " to " << c[1];
}

}  // namespace
