// toolbox/numeric/array_convert_testing.h - the transposition by element size, for tests (C++).
//
// TransposeData works for any element size below 20 bytes; the data-type codes only reach sizes
// 1, 2, 4 and 8. Tests use this entry to run both paths (work buffer, and in place when the
// buffer's allocation is made to fail) over every size from 1 to 8.
#ifndef TOOLBOX_NUMERIC_ARRAY_CONVERT_TESTING_H
#define TOOLBOX_NUMERIC_ARRAY_CONVERT_TESTING_H

#include <vector>

namespace toolbox::numeric {

// TransposeData with the element size given in bytes (1 to 19) instead of a type code.
void TransposeElements(void *array, int elementSize, int numElements, int numChannels);

// `count` elements of `size` bytes where element i holds i, low byte first (repeated past 4
// bytes): distinct as far as their size allows, so any misplaced element shows.
inline std::vector<unsigned char> NumberedElements(int size, int count) {
    std::vector<unsigned char> v(static_cast<size_t>(size) * count);
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < size; ++j) {
            v[static_cast<size_t>(i) * size + j] = static_cast<unsigned char>(i >> (8 * (j % 4)));
        }
    }
    return v;
}

}  // namespace toolbox::numeric

#endif
