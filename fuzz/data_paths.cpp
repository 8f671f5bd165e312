// Fuzz target: every instruction-set path of the bulk data functions gives the plain path's
// bytes on arbitrary input. The first byte chooses the function and the second its types,
// element size or channel count; the rest is the data, copied to an offset chosen by the
// first byte so the vector paths meet every alignment.
//   0: ConvertDataToText      1: ConvertTextToData (the data as a text, up to its first null)
//   2: ConvertArrayType between two arrays   3: ConvertArrayType in place
//   4: TransposeElements
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "toolbox/numeric/array_convert_testing.h"
#include "toolbox/numeric/simd_path_testing.h"
#include "toolbox/toolbox.h"

namespace {

using toolbox::simd::Path;
namespace simd = toolbox::simd::testing;

const int kNumericTypes[] = {DATA_TYPE_CHAR, DATA_TYPE_INT,    DATA_TYPE_SHORT, DATA_TYPE_FLOAT,
                             DATA_TYPE_DOUBLE, DATA_TYPE_USHORT, DATA_TYPE_UINT, DATA_TYPE_UCHAR};

// The bytes a function leaves under the current path, given the data at an offset.
std::string Run(int op, unsigned parameter, size_t offset, const uint8_t *data, size_t size) {
    std::vector<unsigned char> block(offset + size + 1, 0);
    memcpy(block.data() + offset, data, size);
    unsigned char *in = block.data() + offset;
    std::string out;
    switch (op) {
    case 0: {
        char *text = nullptr;
        if (ConvertDataToText(in, static_cast<int>(size), &text) != 1) abort();
        out = text;
        free(text);
        break;
    }
    case 1: {
        int count = -1;
        unsigned char *bytes = nullptr;
        if (ConvertTextToData(reinterpret_cast<const char *>(in), &count, &bytes) != 1) abort();
        out.assign(reinterpret_cast<const char *>(bytes), static_cast<size_t>(count));
        free(bytes);
        break;
    }
    case 2:
    case 3: {
        const int from = kNumericTypes[parameter % 8], to = kNumericTypes[parameter / 8 % 8];
        const size_t sSize = GetDataTypeSize(from), tSize = GetDataTypeSize(to);
        const int n = static_cast<int>(size / sSize);
        if (op == 3) {  // in place where the element does not grow, else into a block of its own
            if (tSize > sSize) return "";
            ConvertArrayType(in, from, in, to, n);
            out.assign(reinterpret_cast<const char *>(in), n * tSize);
        } else {
            std::vector<unsigned char> target(n * tSize + 1);
            ConvertArrayType(in, from, target.data() + 1, to, n);
            out.assign(reinterpret_cast<const char *>(target.data() + 1), n * tSize);
        }
        break;
    }
    default: {
        const int elementSize = static_cast<int>(parameter % 8 + 1);
        const int channels = static_cast<int>(parameter / 8 + 1);
        const int count = static_cast<int>(size / elementSize);
        toolbox::numeric::TransposeElements(in, elementSize, count, channels);
        out.assign(reinterpret_cast<const char *>(in), count * elementSize);
        break;
    }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
    if (size < 2) return 0;
    const int op = bytes[0] % 5;
    const size_t offset = bytes[0] / 5 % 32;
    const unsigned parameter = bytes[1];
    simd::ForcePath(Path::kPlain);
    const std::string expected = Run(op, parameter, offset, bytes + 2, size - 2);
    for (Path path : simd::SupportedPaths()) {
        simd::ForcePath(path);
        if (Run(op, parameter, (offset + 5) % 32, bytes + 2, size - 2) != expected) abort();
    }
    simd::ClearForcedPath();
    return 0;
}
