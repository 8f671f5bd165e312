// toolbox/numeric/array_convert_testing.h - the transposition by element size, for tests (C++).
//
// TransposeData works for any element size below 20 bytes; the data-type codes only reach sizes
// 1, 2, 4 and 8. Tests use this entry to run both paths (work buffer, and in place when the
// buffer's allocation is made to fail) over every size from 1 to 8.
#ifndef TOOLBOX_NUMERIC_ARRAY_CONVERT_TESTING_H
#define TOOLBOX_NUMERIC_ARRAY_CONVERT_TESTING_H

namespace toolbox::numeric {

// TransposeData with the element size given in bytes (1 to 19) instead of a type code.
void TransposeElements(void *array, int elementSize, int numElements, int numChannels);

}  // namespace toolbox::numeric

#endif
