/* toolbox/text/text_data.h - binary data as printable text, six bits per character.
 *
 * The text form of a block of N bytes uses only the 64 characters from '0' (48) to 'o' (111),
 * with no separators and no padding. Every group of three bytes b0 b1 b2 becomes four
 * characters: a header holding the top two bits of each byte (b0's at 16, b1's at 4, b2's at 1)
 * and then the low six bits of each byte; each character is its six-bit value + 48. A last group
 * of one byte becomes two characters (header and low bits), of two bytes three characters.
 * The text length is 4 * (N / 3), plus 2 when N % 3 == 1, plus 3 when N % 3 == 2.
 * Example: "abc" <-> "EQRS"; the byte 0 <-> "00"; the byte 255 <-> "`o".
 *
 * The format is fixed (it may be stored or exchanged), so it is kept byte for byte on every
 * platform. Both functions are safe on any thread. On x86-64 they run on SSE2, or on AVX2 where
 * the processor has it; TOOLBOX_SIMD (see array_convert.h) caps the instruction set.
 */
#ifndef TOOLBOX_TEXT_TEXT_DATA_H
#define TOOLBOX_TEXT_TEXT_DATA_H

#ifdef __cplusplus
extern "C" {
#endif

/* Encodes numBytes bytes of data into a new null-terminated text stored in *text (free it with
 * free()). Returns 1 on success (0 bytes give an allocated empty text); 0 with *text = NULL when
 * memory runs out, when numBytes is negative, or when data is NULL with numBytes > 0. */
int ConvertDataToText(const void *data, int numBytes, char **text);

/* Decodes a text made by ConvertDataToText into a new block stored in *data (free it with
 * free()) and its size in *numBytes (numBytes may be NULL). Returns 1 on success, 0 with
 * *data = NULL when memory runs out (the size is stored all the same) or when the text would
 * decode to more than INT_MAX bytes (size 0); 0 with nothing stored when data is NULL.
 * A text that decodes to 0 bytes (empty, one character, or NULL) allocates nothing and stores
 * NULL in *data. Characters outside '0'..'o' are not rejected: they decode by the same
 * arithmetic, modulo 256. A text of length 4k + 1, which the encoder never makes, decodes its
 * k full groups and ignores the stray last character. */
int ConvertTextToData(const char *text, int *numBytes, unsigned char **data);

#ifdef __cplusplus
}
#endif

#endif
