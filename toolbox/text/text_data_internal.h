// toolbox/text/text_data_internal.h - the vector group kernels of the six-bit text codec (C++).
//
// A kernel encodes whole groups (three bytes into four characters) or decodes them (four
// characters into three bytes) from the start of its input and returns how many it did: all
// but a few at the end, which the caller finishes with the plain loop. A kernel reads nothing
// beyond the groups it is given and writes nothing beyond their output, whatever the alignment.
// The kernels exist on x86-64 only; the AVX2 ones may run only where the processor has AVX2.
#ifndef TOOLBOX_TEXT_TEXT_DATA_INTERNAL_H
#define TOOLBOX_TEXT_TEXT_DATA_INTERNAL_H

#include <cstddef>

namespace toolbox::text {

size_t EncodeGroupsSse2(const unsigned char *in, char *out, size_t groups);
size_t DecodeGroupsSse2(const char *in, unsigned char *out, size_t groups);
size_t EncodeGroupsAvx2(const unsigned char *in, char *out, size_t groups);
size_t DecodeGroupsAvx2(const char *in, unsigned char *out, size_t groups);

}  // namespace toolbox::text

#endif
