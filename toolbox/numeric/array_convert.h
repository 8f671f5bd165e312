/* toolbox/numeric/array_convert.h - raw numeric arrays described by a data-type code:
 * converting element by element between types, reordering interleaved channels into blocks,
 * element sizes, and rounding away from zero to a multiple.
 *
 * An interleaved array of n channels holds sample k of channel c at index k * n + c; its
 * channel-block form holds all samples of channel 0, then all of channel 1, and so on. When the
 * element count N is not a multiple of n, the first N mod n channels have one sample more.
 * Arrays belong to the caller. Safe on any thread (no state).
 *
 * On x86-64 the conversion and the transposition run on SSE2, or on AVX2 where the processor
 * has it, with the same results to the bit; the environment variable TOOLBOX_SIMD set to
 * "plain", "sse2" or "avx2" before the first call caps the instruction set used.
 */
#ifndef TOOLBOX_NUMERIC_ARRAY_CONVERT_H
#define TOOLBOX_NUMERIC_ARRAY_CONVERT_H

#ifdef __cplusplus
extern "C" {
#endif

/* Data-type codes and the element each describes. */
#define DATA_TYPE_CHAR    0 /* signed 8-bit integer */
#define DATA_TYPE_INT     1 /* signed 32-bit integer */
#define DATA_TYPE_SHORT   2 /* signed 16-bit integer */
#define DATA_TYPE_FLOAT   3 /* 32-bit floating point */
#define DATA_TYPE_DOUBLE  4 /* 64-bit floating point */
#define DATA_TYPE_POINTER 5 /* an address, no numeric value; 8 bytes on this platform */
#define DATA_TYPE_USHORT  6 /* unsigned 16-bit integer */
#define DATA_TYPE_UINT    7 /* unsigned 32-bit integer */
#define DATA_TYPE_UCHAR   8 /* unsigned 8-bit integer */

/* ---- Element sizes ------------------------------------------------------------------------- */

/* Size in bytes of an element of the type: 1, 4, 2, 4, 8, 8, 2, 4, 1 for codes 0 to 8.
 * DATA_TYPE_POINTER gives the platform's pointer size, 8 here (4 on the original 32-bit
 * platform). Any other code stops the program through DoAssert with
 * "Parameter 1 passed to GetDataTypeSize was not a valid data type." */
int GetDataTypeSize(int dataType);

/* ---- Conversion ---------------------------------------------------------------------------- */

/* Convert numElements elements from source (of sourceType) into target (of targetType), in
 * ascending order, each read as a double before it is written, so a conversion in place is
 * correct when the target element is not larger than the source element. Float targets round to
 * nearest; integer targets truncate toward zero and keep the low 8, 16 or 32 bits in two's
 * complement (-1.7 -> -1; -1 as an unsigned 8-bit element -> 255; 300 as signed 8-bit -> 44).
 * NaN and infinities become 0 in integer targets. Elements converted to their own type are
 * copied unchanged (a signalling NaN stays signalling). Nothing is written for a pointer or
 * invalid target type, nor when the source type is the pointer type or invalid (it has no value
 * to read). A count of 0 or less converts nothing. Nothing is checked and nothing fails. */
void ConvertArrayType(const void *source, int sourceType, void *target, int targetType,
                      int numElements);

/* ---- Channel transposition ----------------------------------------------------------------- */

/* Reorder numElements interleaved elements of numChannels channels into channel-block form, in
 * place. Uses one work buffer of numElements elements when it can be had, and otherwise moves
 * the elements within the array with no extra memory (slower, same result); it reports nothing
 * either way. Fewer than 2 channels, fewer than 2 samples per channel with no remainder, or a
 * count of 0 or less leave the array as it is and allocate nothing. With 2 channels or more an
 * invalid type stops the program as in GetDataTypeSize, even when there is nothing to reorder. */
void TransposeData(void *array, int dataType, int numElements, int numChannels);

/* ---- Rounding ------------------------------------------------------------------------------ */

/* value rounded away from zero to a multiple of `multiple`: 5 and 8 give 8 for 4, -5 gives -8,
 * 0 gives 0. A negative multiple counts as its absolute value; a multiple of 0 returns value
 * unchanged. When the rounded value would not fit an int, the multiple toward zero is
 * returned instead (INT_MAX with 4 gives 2147483644). */
int RoundToNextMultiple(int value, int multiple);

#ifdef __cplusplus
}
#endif

#endif
