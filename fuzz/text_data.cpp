// Fuzz target: ConvertTextToData on any text must neither crash nor read out of bounds, must
// report the size its length promises, and re-encoding the decoded bytes must give back a text
// of the same length class (the decoder's inverse on well-formed texts).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "toolbox/toolbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
    std::string text(reinterpret_cast<const char *>(bytes), size);
    text = text.c_str();  // the decoder reads up to the first null byte
    int count = -1;
    unsigned char *data = nullptr;
    if (ConvertTextToData(text.c_str(), &count, &data) != 1) abort();
    const size_t length = text.size();
    const size_t expected = length / 4 * 3 + (length % 4 > 1 ? length % 4 - 1 : 0);
    if (count < 0 || static_cast<size_t>(count) != expected) abort();
    if ((count == 0) != (data == nullptr)) abort();

    // Every decoded block encodes to a text that decodes back to the same block.
    char *again = nullptr;
    if (ConvertDataToText(data, count, &again) != 1) abort();
    int count2 = -1;
    unsigned char *data2 = nullptr;
    if (ConvertTextToData(again, &count2, &data2) != 1 || count2 != count) abort();
    if (count > 0 && memcmp(data, data2, static_cast<size_t>(count)) != 0) abort();
    // Texts made of the format's own characters in whole groups come back unchanged.
    bool canonical = length % 4 != 1;
    for (char c : text) canonical = canonical && c >= '0' && c <= 'o';
    if (canonical && length % 4 >= 2) {
        // A partial group's header may carry bits the short group does not use.
        const unsigned header = static_cast<unsigned char>(text[length - length % 4]) - '0';
        canonical = (length % 4 == 2 ? header & 15 : header & 3) == 0;
    }
    if (canonical && strcmp(again, text.c_str()) != 0) abort();
    free(again);
    free(data);
    free(data2);
    return 0;
}
