// The registry's model as its .reg export shows it, .reg files as regedit and Wine write them
// imported value by value, imports that apply wholly or not at all, and the tree operations'
// refusals: root keys, stores that cannot be read, REGEDIT4 of text that is not ASCII.
#include "tools/rtereg/reg_store.h"

#include "win32/registry_scratch_testing.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void Set(HKEY root, const char *path, const char *name, DWORD type, const std::string &data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(data.data()),
                             static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    RegCloseKey(key);
}

// The whole store as a REGEDIT4 file (readable in a failure message).
std::string ExportAll() {
    std::string text, error;
    EXPECT_TRUE(rtereg::ExportKeys("", rtereg::RegFormat::kRegedit4, &text, &error)) << error;
    return text;
}

// A text with its terminating zero, as the registry keeps REG_SZ data (inner zeros included).
template <size_t N>
std::string Text(const char (&text)[N]) {
    return std::string(text, N);
}

std::string Corpus(const char *name) {
    std::ifstream in(std::string(RTEREG_CORPUS) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(RegStore, TheExportShowsTheModel) {
    win32::testing::ScratchRegistry store;
    Set(HKEY_CURRENT_USER, "Software\\Zeta", "b", REG_SZ, std::string("second") + '\0');
    Set(HKEY_CURRENT_USER, "SOFTWARE\\zeta", "A", REG_DWORD, std::string("\x10\0\0\0", 4));
    Set(HKEY_CURRENT_USER, "Software\\Zeta", nullptr, REG_SZ, std::string("default") + '\0');
    Set(HKEY_CURRENT_USER, "Software\\Alpha\\Deep\\Deeper", "x", REG_BINARY, "\x01\x02");
    Set(HKEY_LOCAL_MACHINE, "System", "Odd", 11, std::string("\1\0\0\0\0\0\0\0", 8));
    // Roots in their order, keys parents first and by name without regard to case, values by
    // name (the default value, named "", first); names as first written.
    EXPECT_EQ(ExportAll(),
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Alpha]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Alpha\\Deep]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Alpha\\Deep\\Deeper]\r\n"
              "\"x\"=hex:01,02\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Zeta]\r\n"
              "@=\"default\"\r\n"
              "\"A\"=dword:00000010\r\n"
              "\"b\"=\"second\"\r\n\r\n"
              "[HKEY_LOCAL_MACHINE]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\System]\r\n"
              "\"Odd\"=hex(b):01,00,00,00,00,00,00,00\r\n\r\n");
    std::string text, error;
    EXPECT_FALSE(rtereg::ExportKeys("HKEY_CURRENT_USER\\Software\\Beta", rtereg::RegFormat::kVersion5, &text, &error));
    EXPECT_FALSE(rtereg::ExportKeys("HKXX\\Software", rtereg::RegFormat::kVersion5, &text, &error));
    // Text that is not ASCII has no REGEDIT4 file; the value is named.
    Set(HKEY_CURRENT_USER, "Software\\Zeta", "bytes", REG_BINARY, "\xFF");
    EXPECT_TRUE(rtereg::ExportKeys("HKCU\\Software", rtereg::RegFormat::kRegedit4, &text, &error)) << "binary data are hex";
    Set(HKEY_CURRENT_USER, "Software\\Zeta", "caf\xC3\xA9", REG_SZ, std::string("cr\xC3\xA8me", 6));
    EXPECT_FALSE(rtereg::ExportKeys("HKCU\\Software", rtereg::RegFormat::kRegedit4, &text, &error));
    EXPECT_EQ(error, "the value \"caf\xC3\xA9\" of \"HKEY_CURRENT_USER\\Software\\Zeta\" is not ASCII, which a "
                     "REGEDIT4 file cannot carry (export without --ascii)");
}

TEST(RegStore, FilesAsRegeditAndWineWriteThemImportValueByValue) {
    struct Row {
        const char *key, *name;
        DWORD type;
        std::string data;
    };
    const std::vector<Row> corpus = {
        {"Software\\Corpus", "", REG_SZ, Text("Default value")},
        {"Software\\Corpus", "Bare", REG_SZ, "bare"},
        {"Software\\Corpus", "Big", REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\x01", 4)},
        {"Software\\Corpus", "Binary", REG_BINARY, std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f"
                                                     "\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f"
                                                     " !\"#$%&'()*+,-./0123456789:;<=>?", 64)},
        {"Software\\Corpus", "Caf\xC3\xA9", REG_SZ, Text("cr\xC3\xA8me br\xC3\xBBl\xC3\xA9" "e")},
        {"Software\\Corpus", "Count", REG_DWORD, std::string("\x2a\0\0\0", 4)},
        {"Software\\Corpus", "Empty", REG_SZ, Text("")},
        {"Software\\Corpus", "Expand", REG_EXPAND_SZ, Text("%SystemRoot%\\syst\xC3\xA8me")},
        {"Software\\Corpus", "Lines", REG_SZ, Text("one\r\ntwo")},
        {"Software\\Corpus", "Multi", REG_MULTI_SZ, Text("un\0deux\0trois\0")},
        {"Software\\Corpus", "None", REG_NONE, ""},
        {"Software\\Corpus", "Odd type", 0x4d2, "\x01\x02"},
        {"Software\\Corpus", "Quad", REG_QWORD, "\xef\xcd\xab\x89\x67\x45\x23\x01"},
        {"Software\\Corpus", "Quote \"q\" \\ back", REG_SZ, Text("say \"hi\" \\ bye")},
        {"Software\\Corpus", "Short", REG_DWORD, std::string("\x01\0", 2)},
        {"Software\\Corpus\\\xC3\x89mile", "Emoji", REG_SZ, Text("\xF0\x9F\x98\x80 smile")},
        {"Software\\Corpus\\\xC3\x89mile", "\xC3\x9Cn\xC3\xAF" "c\xC3\xB6" "d\xC3\xA9", REG_SZ,
         Text("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88")},
    };
    // Wine writes a text without its zero as one with it, breaks lines as \r\n escapes, and
    // this store had no "Short" (Wine writes a DWORD of two bytes with bytes past its data).
    std::vector<Row> wine;
    for (const Row &r : corpus) {
        if (std::string(r.name) == "Short") continue;
        wine.push_back(r);
        if (std::string(r.name) == "Bare") wine.back().data = Text("bare");
    }
    const std::vector<Row> ansi = {
        {"Software\\Ansi", "Blob", REG_BINARY, "\x01\x02\x03\x04\x05"},
        {"Software\\Ansi", "Caf\xC3\xA9", REG_SZ, Text("\xE2\x82\xAC 5")},
        {"Software\\Ansi", "Num", REG_DWORD, "\xff\xff\xff\xff"},
        {"Software\\Ansi", "Path", REG_EXPAND_SZ, Text("%windir%\\\xC3\xA9")},
    };
    const std::vector<Row> typed = {
        {"Software\\Typed", "", REG_SZ, Text("dflt")},
        {"Software\\Typed", "Lines", REG_SZ, Text("one\ntwo\r\nthree")},
        {"Software\\Typed\\\xC3\x9C", "List", REG_MULTI_SZ, Text("a\0b\0")},
    };
    struct File {
        const char *name;
        const std::vector<Row> &rows;
    } files[] = {{"regedit5.reg", corpus}, {"wine5.reg", wine}, {"regedit4_cp1252.reg", ansi}, {"typed_utf8.reg", typed}};
    for (const File &f : files) {
        win32::testing::ScratchRegistry store;
        std::string error;
        ASSERT_TRUE(rtereg::ImportRegFile(Corpus(f.name), &error)) << f.name << ": " << error;
        size_t values = 0;
        rtereg::WalkKey(HKEY_CURRENT_USER, "Software", true,
                        [&](const std::string &, const std::vector<rtereg::Value> &v) { values += v.size(); });
        EXPECT_EQ(values, f.rows.size()) << f.name;
        for (const Row &r : f.rows) {
            HKEY key = nullptr;
            ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, r.key, 0, KEY_READ, &key), ERROR_SUCCESS) << f.name << ": " << r.key;
            std::string data(100, '\0');
            DWORD type = 0, size = static_cast<DWORD>(data.size());
            EXPECT_EQ(RegQueryValueExA(key, r.name, nullptr, &type, reinterpret_cast<BYTE *>(data.data()), &size),
                      ERROR_SUCCESS) << f.name << ": " << r.name;
            RegCloseKey(key);
            EXPECT_EQ(type, r.type) << f.name << ": " << r.name;
            EXPECT_EQ(data.substr(0, size), r.data) << f.name << ": " << r.name;
        }
        // Exported again, regedit's file comes back byte for byte.
        if (&f.rows == &corpus) {
            std::string bytes;
            ASSERT_TRUE(rtereg::ExportKeys("HKCU\\Software\\Corpus", rtereg::RegFormat::kVersion5, &bytes, &error)) << error;
            EXPECT_EQ(bytes, Corpus(f.name));
        }
    }
}

TEST(RegStore, KeyPathsEndingInABackslashAndRootKeys) {
    win32::testing::ScratchRegistry store;
    Set(HKEY_CURRENT_USER, "Trail\\Sub", "v", REG_SZ, std::string("x", 2));
    std::string text, error;
    EXPECT_TRUE(rtereg::ExportKeys("HKCU\\Trail\\", rtereg::RegFormat::kRegedit4, &text, &error)) << error;
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Trail\\Sub]"), std::string::npos) << text;
    HKEY root = nullptr;
    std::string path;
    ASSERT_TRUE(rtereg::SplitKey("HKCU\\Trail\\", &root, &path));
    int visited = 0;
    EXPECT_EQ(rtereg::WalkKey(root, path, true, [&](const std::string &, const std::vector<rtereg::Value> &) { ++visited; }),
              ERROR_SUCCESS);
    EXPECT_EQ(visited, 2);
    // Root keys cannot be deleted, as on Windows; the store is left as it was.
    std::string before = ExportAll();
    for (const char *rootKey : {"HKCU\\", "HKEY_CURRENT_USER", "hkcu"}) {
        EXPECT_FALSE(rtereg::DeleteKey(rootKey, &error)) << rootKey;
        EXPECT_NE(error.find("root key"), std::string::npos) << error;
    }
    EXPECT_EQ(ExportAll(), before);
    EXPECT_TRUE(rtereg::DeleteKey("HKCU\\Trail\\", &error)) << error;
    EXPECT_EQ(ExportAll().find("Trail"), std::string::npos);
}

TEST(RegStore, AnImportAppliesWhollyOrNotAtAll) {
    win32::testing::ScratchRegistry store;
    Set(HKEY_CURRENT_USER, "Keep", "v", REG_SZ, std::string("old", 4));
    std::string before = ExportAll();
    // Each file changes the store in its first section, then fails later.
    const std::string start = "REGEDIT4\n[HKEY_CURRENT_USER\\Keep]\n\"v\"=\"new\"\n[HKEY_CURRENT_USER\\Made]\n";
    struct Case {
        std::string rest;
        const char *error;
    } cases[] = {
        {"[HKEY_CURRENT_USER\\" + std::string(256, 'k') + "]\n", "line 5:"},
        {"[HKEY_CURRENT_USER\\A\\\\B]\n", "line 5:"},
        {"[-HKEY_CURRENT_USER\\Keep]\n[-HKEY_CURRENT_USER]\n", "line 6:"},
        {"[HKEY_NOWHERE\\X]\n", "line 5:"},
        {"\"n\"=dword:nothex\n", "line 5:"},
    };
    for (const auto &c : cases) {
        std::string error;
        EXPECT_FALSE(rtereg::ImportRegFile(start + c.rest, &error)) << c.rest;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        EXPECT_EQ(ExportAll(), before) << c.rest;
    }
}

TEST(RegStore, AStoreThatCannotBeReadIsNotExportedAsEmpty) {
    win32::testing::ScratchRegistry store;
    std::ofstream(store.path()) << "not a registry\n";
    for (const std::string &location : {store.path(), store.folder()}) {
        setenv("WIN32_REGISTRY", location.c_str(), 1);
        std::string text, error;
        EXPECT_FALSE(rtereg::ExportKeys("", rtereg::RegFormat::kVersion5, &text, &error)) << location;
        EXPECT_NE(error.find("registry store"), std::string::npos) << error;
    }
}
