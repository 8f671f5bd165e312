// Tests of the .reg text format: what each kind of line reads as, line continuations, the
// faults that are reported with their line, and writing values so that they read back equal.
#include "tools/rtereg/reg_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using rtereg::ParseRegFile;
using rtereg::RegSection;

TEST(RegFile, ReadsEveryKindOfLine) {
    const char *text =
        "REGEDIT4\r\n"
        "; a comment\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Example]\r\n"
        "\"Name\"=\"a \\\"quoted\\\" \\\\ text\"\r\n"
        "@=\"default\"\r\n"
        "\"Count\"=dword:0000002a\r\n"
        "\"Blob\"=hex:01,02,\\\r\n"
        "  ff\r\n"
        "\"Multi\"=hex(7):61,00,62,00,00\r\n"
        "\"Empty\"=hex:\r\n"
        "\"Gone\"=-\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Old]\r\n";
    std::vector<RegSection> sections;
    std::string error;
    ASSERT_TRUE(ParseRegFile(text, &sections, &error)) << error;
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].key, "HKEY_CURRENT_USER\\Software\\Example");
    const auto &v = sections[0].values;
    ASSERT_EQ(v.size(), 7u);
    struct Row {
        const char *name;
        uint32_t type;
        std::string data;
        bool remove;
    } rows[] = {
        {"Name", 1, std::string("a \"quoted\" \\ text") + '\0', false},
        {"", 1, std::string("default") + '\0', false},
        {"Count", 4, std::string("\x2a\0\0\0", 4), false},
        {"Blob", 3, "\x01\x02\xff", false},
        {"Multi", 7, std::string("a\0b\0\0", 5), false},
        {"Empty", 3, "", false},
        {"Gone", 0, "", true},
    };
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(v[i].name, rows[i].name) << i;
        EXPECT_EQ(v[i].remove, rows[i].remove) << i;
        if (!rows[i].remove) {
            EXPECT_EQ(v[i].type, rows[i].type) << i;
            EXPECT_EQ(v[i].data, rows[i].data) << i;
        }
    }
    EXPECT_TRUE(sections[1].remove);
    EXPECT_EQ(sections[1].key, "HKEY_CURRENT_USER\\Software\\Old");
}

TEST(RegFile, Version5FilesInUtf16HaveTheirTextsConverted) {
    std::string utf8 = "Windows Registry Editor Version 5.00\n[HKCU\\X]\n\"E\"=hex(2):41,00,e4,00,00,00\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : utf8) {
        utf16 += c;
        utf16 += '\0';
    }
    std::vector<RegSection> sections;
    std::string error;
    ASSERT_TRUE(ParseRegFile(utf16, &sections, &error)) << error;
    ASSERT_EQ(sections.size(), 1u);
    EXPECT_EQ(sections[0].values[0].data, std::string("A\xC3\xA4\0", 4)) << "UTF-16 text data stored as UTF-8";
}

TEST(RegFile, FaultsNameTheirLine) {
    struct Case {
        const char *text;
        const char *error;
    } cases[] = {
        {"", "line 1:"},
        {"REGEDIT5\n", "line 1:"},
        {"REGEDIT4\n\"v\"=\"x\"\n", "line 2: a value before the first [key]"},
        {"REGEDIT4\n[HKCU\\A\n", "line 2:"},
        {"REGEDIT4\n[]\n", "line 2:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=\"open\n", "line 3: badly quoted text"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=\"x\" trailing\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=\"bad \\n escape\"\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=dword:123456789\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=dword:xyz\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=hex:1,2,zz\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=hex:123\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=hex(q):00\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=hex:00,\\\n", "line 3: the file ends inside continued hex data"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\" \"x\"\n", "line 3: expected '='"},
        {"REGEDIT4\n[HKCU\\A]\nv=\"x\"\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"\"=\"x\"\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=text\n", "line 3:"},
        {"REGEDIT4\n[-HKCU\\A]\n\"v\"=\"x\"\n", "line 3:"},
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
        const char *startsWith;
    } cases[] = {
        {"text", 1, std::string("say \"hi\" \\o/") + '\0', "\"text\"=\"say \\\"hi\\\""},
        {"", 1, std::string("default") + '\0', "@=\""},
        {"no zero", 1, "bare", "\"no zero\"=hex(1):"},
        {"inner zero", 1, std::string("a\0b\0", 4), "\"inner zero\"=hex(1):"},
        {"line break", 1, std::string("a\nb") + '\0', "\"line break\"=hex(1):"},
        {"count", 4, std::string("\x2a\0\0\0", 4), "\"count\"=dword:0000002a"},
        {"short dword", 4, "\x01", "\"short dword\"=hex(4):01"},
        {"big", 5, "\0\0\0\x01", "\"big\"=hex(5):"},
        {"bytes", 3, all, "\"bytes\"=hex:00,01,"},
        {"none", 0, "", "\"none\"=hex(0):"},
        {"odd \\ \"name\"", 77, "z", "\"odd \\\\ \\\"name\\\"\"=hex(4d):7a"},
    };
    std::string file = "REGEDIT4\n\n[HKEY_CURRENT_USER\\T]\n";
    for (const auto &c : cases) {
        std::string line = rtereg::FormatRegValue(c.name, c.type, c.data);
        EXPECT_EQ(line.rfind(c.startsWith, 0), 0u) << line;
        file += line + "\n";
    }
    std::vector<RegSection> sections;
    std::string error;
    ASSERT_TRUE(ParseRegFile(file, &sections, &error)) << error;
    ASSERT_EQ(sections[0].values.size(), sizeof cases / sizeof cases[0]);
    for (size_t i = 0; i < sections[0].values.size(); ++i) {
        EXPECT_EQ(sections[0].values[i].name, cases[i].name);
        EXPECT_EQ(sections[0].values[i].type, cases[i].type) << cases[i].name;
        EXPECT_EQ(sections[0].values[i].data, cases[i].data) << cases[i].name;
    }
}
