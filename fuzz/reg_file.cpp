// Fuzz target: the .reg file reader of rtereg must accept or refuse any bytes without crashing,
// and every value it accepts must be written back as a line that reads as the same value.
#include "tools/rtereg/reg_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    std::vector<rtereg::RegSection> sections;
    std::string error;
    if (!rtereg::ParseRegFile(text, &sections, &error)) return 0;
    for (const auto &section : sections) {
        for (const auto &value : section.values) {
            if (value.remove || !rtereg::Writable(value.name)) continue;
            std::string file = "REGEDIT4\n[HKEY_CURRENT_USER\\F]\n" +
                               rtereg::FormatRegValue(value.name, value.type, value.data) + "\n";
            std::vector<rtereg::RegSection> again;
            if (!rtereg::ParseRegFile(file, &again, &error) || again.size() != 1 ||
                again[0].values.size() != 1 || again[0].values[0].data != value.data ||
                again[0].values[0].type != value.type || again[0].values[0].name != value.name) {
                std::abort();
            }
        }
    }
    return 0;
}
