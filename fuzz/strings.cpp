// Fuzz target for the multi-byte stepping functions and the string utilities that cut text:
// under each code page, no function reads or writes outside its string or buffer, stepping
// forward and back agree, and cut results never end in half a character.
#include "rte/mbs.h"
#include "rte/mbs_testing.h"
#include "toolbox/text/strings.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    static const int kPages[] = {0, 932, 936, 949, 950};
    rte::testing::ScopedCodePage cp(kPages[data[0] % 5]);
    size_t bufferSize = data[1] % 24;
    std::string text(reinterpret_cast<const char *>(data + 2), size - 2);
    const char *s = text.c_str();  // cut at the first null byte

    // Forward and backward steps visit the same character starts.
    std::vector<const char *> starts;
    for (const char *p = s; *p != '\0'; p = Rte_mbsinc(p))
        starts.push_back(p);
    if (starts.size() != Rte_mbslen(s))
        std::abort();
    const char *p = s + std::strlen(s);
    for (size_t i = starts.size(); i-- > 0;)
        if ((p = Rte_mbsdec(s, p)) != starts[i])
            std::abort();
    for (size_t i = 0; i <= std::strlen(s); ++i)
        (void)Rte_mbsbtype(s, i);

    // Bounded copies stay in their buffers (ASan sees an overrun) and end in whole characters.
    std::vector<char> buffer(bufferSize == 0 ? 1 : bufferSize, 'q');
    buffer.back() = '\0';
    StringCopyMax(buffer.data(), s, static_cast<int>(bufferSize));
    if (bufferSize > 0 && Rte_mbsbtype(buffer.data(), std::strlen(buffer.data()) - 1) == 1 &&
        std::strlen(buffer.data()) < std::strlen(s))
        std::abort();
    (void)StringInsert(buffer.data(), s, static_cast<int>(buffer.size()));

    char *trimmed = StrDupWithoutSurrWhiteSpace(s);
    std::string inPlace = text;
    RemoveSurroundingWhiteSpace(inPlace.data());
    if (trimmed != nullptr && std::strcmp(trimmed, inPlace.c_str()) != 0)
        std::abort();
    std::free(trimmed);

    char *merged = nullptr;
    if (SpliceCommaSeparatedList(s, s + std::strlen(s) / 2, &merged) == 0)
        std::free(merged);
    char *grown = nullptr;
    AppendString(&grown, s, static_cast<int>(bufferSize));
    AddStringQuotes(&grown);
    std::free(grown);
    (void)StrICmpWithoutSurrWhiteSpace(s, s + std::strlen(s) / 2);
    return 0;
}
