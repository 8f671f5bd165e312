// The registry's model as its .reg export shows it: keys and values made through the registry
// calls appear in the export exactly so, and a tree deleted is gone from it.
#include "tools/rtereg/reg_store.h"

#include "win32/registry_scratch_testing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

void Set(HKEY root, const char *path, const char *name, DWORD type, const std::string &data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(data.data()),
                             static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    RegCloseKey(key);
}

}  // namespace

TEST(RegStore, TheExportShowsTheModel) {
    win32::testing::ScratchRegistry store;
    Set(HKEY_CURRENT_USER, "Software\\Zeta", "b", REG_SZ, std::string("second") + '\0');
    Set(HKEY_CURRENT_USER, "SOFTWARE\\zeta", "A", REG_DWORD, std::string("\x10\0\0\0", 4));
    Set(HKEY_CURRENT_USER, "Software\\Zeta", nullptr, REG_SZ, std::string("default") + '\0');
    Set(HKEY_CURRENT_USER, "Software\\Alpha\\Deep\\Deeper", "x", REG_BINARY, "\x01\x02");
    Set(HKEY_LOCAL_MACHINE, "System", "Odd", 11, std::string("\1\0\0\0\0\0\0\0", 8));
    std::string text, error;
    ASSERT_TRUE(rtereg::ExportKeys("", &text, &error)) << error;
    // Roots in their order, keys parents first and by name without regard to case, values by
    // name (the default value, named "", first); names as first written.
    EXPECT_EQ(text,
              "REGEDIT4\n"
              "\n[HKEY_CURRENT_USER]\n"
              "\n[HKEY_CURRENT_USER\\Software]\n"
              "\n[HKEY_CURRENT_USER\\Software\\Alpha]\n"
              "\n[HKEY_CURRENT_USER\\Software\\Alpha\\Deep]\n"
              "\n[HKEY_CURRENT_USER\\Software\\Alpha\\Deep\\Deeper]\n"
              "\"x\"=hex:01,02\n"
              "\n[HKEY_CURRENT_USER\\Software\\Zeta]\n"
              "@=\"default\"\n"
              "\"A\"=dword:00000010\n"
              "\"b\"=\"second\"\n"
              "\n[HKEY_LOCAL_MACHINE]\n"
              "\n[HKEY_LOCAL_MACHINE\\System]\n"
              "\"Odd\"=hex(b):01,00,00,00,00,00,00,00\n");
    HKEY root = nullptr;
    std::string path;
    ASSERT_TRUE(rtereg::SplitKey("hkcu\\Software\\Alpha", &root, &path));
    EXPECT_EQ(root, HKEY_CURRENT_USER);
    EXPECT_EQ(rtereg::DeleteTree(root, path), ERROR_SUCCESS);
    ASSERT_TRUE(rtereg::ExportKeys("HKEY_CURRENT_USER\\Software", &text, &error)) << error;
    EXPECT_EQ(text.find("Alpha"), std::string::npos) << text;
    EXPECT_FALSE(rtereg::ExportKeys("HKEY_CURRENT_USER\\Software\\Alpha", &text, &error));
    EXPECT_FALSE(rtereg::ExportKeys("HKXX\\Software", &text, &error));
}
