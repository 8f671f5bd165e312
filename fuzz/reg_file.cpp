// Fuzz target: the .reg file reader of rtereg must accept or refuse any bytes without crashing,
// read as they come and as UTF-16LE (behind a byte-order mark, as Windows writes version 5
// files), and every value it accepts must be written back, in a version 5 file and, when it is
// ASCII, in a REGEDIT4 file, as a line that reads as the same value.
#include "tools/rtereg/reg_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void CheckWrittenBack(const rtereg::RegValue &value, rtereg::RegFormat format) {
    std::string text = rtereg::RegFileHeader(format) + rtereg::RegKeyLine("HKEY_CURRENT_USER\\F") +
                       rtereg::FormatRegValue(value.name, value.type, value.data, format) + "\r\n";
    std::vector<rtereg::RegSection> again;
    std::string error;
    if (!rtereg::ParseRegFile(rtereg::EncodeRegFile(text, format), &again, &error) || again.size() != 1 ||
        again[0].values.size() != 1 || again[0].values[0].data != value.data ||
        again[0].values[0].type != value.type || again[0].values[0].name != value.name) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string bytes(reinterpret_cast<const char *>(data), size);
    for (const std::string &file : {bytes, "\xFF\xFE" + bytes}) {
        std::vector<rtereg::RegSection> sections;
        std::string error;
        if (!rtereg::ParseRegFile(file, &sections, &error)) continue;
        for (const auto &section : sections) {
            for (const auto &value : section.values) {
                if (value.remove || !rtereg::Writable(value.name)) continue;
                CheckWrittenBack(value, rtereg::RegFormat::kVersion5);
                if (rtereg::AsciiValue(value.name, value.type, value.data)) {
                    CheckWrittenBack(value, rtereg::RegFormat::kRegedit4);
                }
            }
        }
    }
    return 0;
}
