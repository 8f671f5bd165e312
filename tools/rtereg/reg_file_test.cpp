// Tests of the .reg format: what each kind of line reads as, the encodings a file may come in,
// continued hex data with comments, the faults that are reported with their line, and writing
// values so that they read back equal.
#include "tools/rtereg/reg_file.h"

#include "tools/rtereg/reg_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using rtereg::ParseRegFile;
using rtereg::RegFormat;
using rtereg::RegSection;

namespace {

std::string Utf16File(const std::string &utf8) { return "\xFF\xFE" + rtereg::Utf8ToUtf16(utf8); }

}  // namespace

TEST(RegFile, ReadsEveryKindOfLine) {
    const char *text =
        "REGEDIT4\r\n"
        "; a comment\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Example]\r\n"
        "\"Name\"=\"a \\\"quoted\\\" \\\\ text\"\n"
        "@=\"default\"\r"
        "\"Count\"=dword:0000002a\r\n"
        "\"Blob\"=hex:01,02,\\\r\n"
        "  ; a comment between continued lines\r\n"
        "\r\n"
        "  ff ; and one after them\r\n"
        "\"Multi\"=hex(7):61,00,62,00,00\r\n"
        "\"Empty\"=hex:\r\n"
        "\"Lines\"=\"one\\ntwo\\r\"\r\n"
        "\"Gone\"=-\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Old]\r\n";
    std::vector<RegSection> sections;
    std::string error;
    ASSERT_TRUE(ParseRegFile(text, &sections, &error)) << error;
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].key, "HKEY_CURRENT_USER\\Software\\Example");
    const auto &v = sections[0].values;
    struct Row {
        const char *name;
        uint32_t type;
        std::string data;
        int line;
    } rows[] = {
        {"Name", 1, std::string("a \"quoted\" \\ text") + '\0', 5},
        {"", 1, std::string("default") + '\0', 6},
        {"Count", 4, std::string("\x2a\0\0\0", 4), 7},
        {"Blob", 3, "\x01\x02\xff", 8},
        {"Multi", 7, std::string("a\0b\0\0", 5), 12},
        {"Empty", 3, "", 13},
        {"Lines", 1, std::string("one\ntwo\r") + '\0', 14},
    };
    ASSERT_EQ(v.size(), 8u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(v[i].name, rows[i].name) << i;
        EXPECT_EQ(v[i].type, rows[i].type) << rows[i].name;
        EXPECT_EQ(v[i].data, rows[i].data) << rows[i].name;
        EXPECT_EQ(v[i].line, rows[i].line) << rows[i].name;
    }
    EXPECT_TRUE(v[7].remove);
    EXPECT_TRUE(sections[1].remove);
    EXPECT_EQ(sections[1].key, "HKEY_CURRENT_USER\\Software\\Old");
}

TEST(RegFile, FilesInEveryEncodingReadAsTheSameText) {
    // A key and a value named "é" holding "€" in each encoding a file may come in.
    const std::string v5 = "Windows Registry Editor Version 5.00\r\n[HKCU\\\xC3\xA9]\r\n\"\xC3\xA9\"=\"\xE2\x82\xAC\"\r\n";
    const std::string v4 = "REGEDIT4\r\n[HKCU\\\xC3\xA9]\r\n\"\xC3\xA9\"=\"\xE2\x82\xAC\"\r\n";
    const std::string files[] = {
        Utf16File(v5),                                           // as Windows writes version 5
        "\xEF\xBB\xBF" + v5,                                     // UTF-8 with a byte-order mark
        v5,                                                      // UTF-8 without
        v4,                                                      // REGEDIT4 in UTF-8
        "REGEDIT4\r\n[HKCU\\\xE9]\r\n\"\xE9\"=\"\x80\"\r\n",     // REGEDIT4 in Windows-1252
    };
    for (const auto &file : files) {
        std::vector<RegSection> sections;
        std::string error;
        ASSERT_TRUE(ParseRegFile(file, &sections, &error)) << error;
        ASSERT_EQ(sections.size(), 1u);
        EXPECT_EQ(sections[0].key, "HKCU\\\xC3\xA9");
        ASSERT_EQ(sections[0].values.size(), 1u);
        EXPECT_EQ(sections[0].values[0].name, "\xC3\xA9");
        EXPECT_EQ(sections[0].values[0].data, std::string("\xE2\x82\xAC", 4));
    }
    // Text data: UTF-16LE in version 5, the ANSI code page in REGEDIT4.
    struct Case {
        std::string file;
        std::string data;
    } texts[] = {
        {Utf16File("Windows Registry Editor Version 5.00\r\n[HKCU\\X]\r\n\"E\"=hex(2):41,00,e4,00,3d,d8,00,de,00,00\r\n"),
         std::string("A\xC3\xA4\xF0\x9F\x98\x80", 8)},
        {"REGEDIT4\r\n[HKCU\\X]\r\n\"E\"=hex(2):41,e4,00\r\n", std::string("A\xC3\xA4", 4)},
        {"REGEDIT4\r\n[HKCU\\X]\r\n\"E\"=hex(7):41,c3,a4,00,00\r\n", std::string("A\xC3\xA4\0", 5)},
    };
    for (const auto &t : texts) {
        std::vector<RegSection> sections;
        std::string error;
        ASSERT_TRUE(ParseRegFile(t.file, &sections, &error)) << error;
        EXPECT_EQ(sections[0].values[0].data, t.data);
    }
}

TEST(RegFile, FaultsNameTheirLine) {
    const std::string v5 = "Windows Registry Editor Version 5.00\n[HKCU\\A]\n";
    struct Case {
        std::string text;
        const char *error;
    } cases[] = {
        {"", "line 1:"},
        {"REGEDIT5\n", "line 1:"},
        {"REGEDIT4\n\"v\"=\"x\"\n", "line 2: a value before the first [key]"},
        {"REGEDIT4\n[HKCU\\A\n", "line 2:"},
        {"REGEDIT4\n[]\n", "line 2:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=\"open\n", "line 3: quoted text without"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=\"x\" trailing\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=\"bad \\t escape\"\n", "line 3: an unknown escape"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=dword:123456789\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=dword:xyz\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=hex:1,2,zz\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=hex:123\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=hex(q):00\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=hex:00,\\\n; only a comment\n", "line 3: the file ends inside continued hex data"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\" \"x\"\n", "line 3: expected '='"},
        {"REGEDIT4\n[HKCU\\A]\nv=\"x\"\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"\"=\"x\"\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=text\n", "line 3:"},
        {"REGEDIT4\n[-HKCU\\A]\n\"v\"=\"x\"\n", "line 3:"},
        {v5 + "\"v\"=hex(2):41,00,42\n", "line 3: text data (hex(1), hex(2), hex(7)) of an odd number"},
        {v5 + "\"v\"=hex(1):00,d8,41,00\n", "line 3: text data with an unpaired UTF-16 surrogate"},
        {Utf16File(v5) + std::string("\x00\xD8", 2), "line 3: an unpaired UTF-16 surrogate"},
        {"\xFE\xFF" + std::string("\0W", 2), "the file is UTF-16 big-endian"},
        {std::string("W\0i\0", 4), "the file looks like UTF-16 without a byte-order mark"},
    };
    for (const auto &c : cases) {
        std::vector<RegSection> sections;
        std::string error;
        EXPECT_FALSE(ParseRegFile(c.text, &sections, &error)) << c.text;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " gave: " << error;
    }
}

TEST(RegFile, WrittenValuesReadBackEqual) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    struct Case {
        std::string name;
        uint32_t type;
        std::string data;
        const char *version5, *regedit4;  // how the line starts in each format
    } cases[] = {
        {"text", 1, std::string("say \"hi\" \\o/") + '\0', "\"text\"=\"say \\\"hi\\\"", "\"text\"=\"say"},
        {"", 1, std::string("default") + '\0', "@=\"default\"", "@=\"default\""},
        {"no zero", 1, "bare", "\"no zero\"=hex(1):62,00,61,00", "\"no zero\"=hex(1):62,61"},
        {"inner zero", 1, std::string("a\0b\0", 4), "\"inner zero\"=hex(1):61,00,00,00,62", "\"inner zero\"=hex(1):61,00,62"},
        {"line break", 1, std::string("a\nb") + '\0', "\"line break\"=hex(1):61,00,0a,00", "\"line break\"=hex(1):61,0a"},
        {"count", 4, std::string("\x2a\0\0\0", 4), "\"count\"=dword:0000002a", "\"count\"=dword:0000002a"},
        {"short dword", 4, "\x01", "\"short dword\"=hex(4):01", "\"short dword\"=hex(4):01"},
        {"big", 5, std::string("\0\0\0\x01", 4), "\"big\"=hex(5):00,00,00,01", "\"big\"=hex(5):00,00,00,01"},
        {"bytes", 3, all, "\"bytes\"=hex:00,01,", "\"bytes\"=hex:00,01,"},
        {"none", 0, "", "\"none\"=hex(0):", "\"none\"=hex(0):"},
        {"odd \\ \"name\"", 77, "z", "\"odd \\\\ \\\"name\\\"\"=hex(4d):7a", "\"odd \\\\ \\\"name\\\"\"=hex(4d):7a"},
        {"caf\xC3\xA9", 2, std::string("\xF0\x9F\x98\x80 \xFF", 7), "\"caf\xC3\xA9\"=hex(2):3d,d8,00,de,20,00,ff,dc", nullptr},
    };
    for (RegFormat format : {RegFormat::kVersion5, RegFormat::kRegedit4}) {
        bool v5 = format == RegFormat::kVersion5;
        std::string text = rtereg::RegFileHeader(format) + rtereg::RegKeyLine("HKEY_CURRENT_USER\\T");
        size_t count = 0;
        for (const auto &c : cases) {
            if (!v5 && c.regedit4 == nullptr) continue;
            std::string line = rtereg::FormatRegValue(c.name, c.type, c.data, format);
            EXPECT_EQ(line.rfind(v5 ? c.version5 : c.regedit4, 0), 0u) << line;
            text += line + "\r\n";
            ++count;
        }
        std::vector<RegSection> sections;
        std::string error;
        ASSERT_TRUE(ParseRegFile(rtereg::EncodeRegFile(text + "\r\n", format), &sections, &error)) << error;
        ASSERT_EQ(sections[0].values.size(), count);
        for (size_t i = 0; i < count; ++i) {
            EXPECT_EQ(sections[0].values[i].name, cases[i].name);
            EXPECT_EQ(sections[0].values[i].type, cases[i].type) << cases[i].name;
            EXPECT_EQ(sections[0].values[i].data, cases[i].data) << cases[i].name;
        }
    }
    // Binary lines wrap as regedit wraps them (this line as Wine's regedit wrote it).
    std::string bytes;
    for (int i = 0; i < 64; ++i) bytes += static_cast<char>(i);
    EXPECT_EQ(rtereg::FormatRegValue("Bin", 3, bytes, RegFormat::kVersion5),
              "\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
              "  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\\\r\n"
              "  30,31,32,33,34,35,36,37,38,39,3a,3b,3c,3d,3e,3f");
}
