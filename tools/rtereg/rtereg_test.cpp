// Tests of the rtereg program: add, query, delete, and an export imported into an empty store
// giving the same store; a malformed import names its line and changes nothing; a store that
// cannot be read is never exported as an empty file.
#include "tools/rtereg/reg_store.h"
#include "tools/rtereg/reg_text.h"

#include "win32/registry_scratch_testing.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Outcome {
    int status;
    std::string out;
};

// Runs rtereg with the arguments (a shell command line) on the scratch store.
Outcome Rtereg(const std::string &arguments) {
    std::string command = std::string(RTEREG_PROGRAM) + " " + arguments + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    Outcome run{-1, ""};
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string ReadText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(Rtereg, AddQueryAndDelete) {
    win32::testing::ScratchRegistry store;
    struct Step {
        const char *arguments;
        int status;
        const char *output;  // a part of what it prints
    } steps[] = {
        {"add 'HKCU\\Software\\Demo' /v Name /d 'hello world'", 0, "completed successfully"},
        {"add HKCU\\\\Software\\\\Demo /v Count /t REG_DWORD /d 0x2A", 0, ""},
        {"add HKCU\\\\Software\\\\Demo /ve /d dflt", 0, ""},
        {"add HKCU\\\\Software\\\\Demo\\\\Sub /v Bytes /t REG_BINARY /d 00ff10", 0, ""},
        {"add 'HKCU\\Software\\\xC3\x89mile' /v Big /t REG_DWORD_BIG_ENDIAN /d 1", 0, ""},
        {"query 'HKCU\\Software\\\xC3\xA9MILE' /v BIG", 0, "    BIG    REG_DWORD_BIG_ENDIAN    0x1"},
        {"add HKCU\\\\Software\\\\Demo /v Bad /t REG_DWORD /d twelve", 1, "is not a number"},
        {"add HKXX\\\\Software /v A /d b", 1, "unknown root key"},
        {"query HKCU\\\\Software\\\\Demo", 0,
         "    (Default)    REG_SZ    dflt\n    Count    REG_DWORD    0x2a\n    Name    REG_SZ    hello world\n"},
        {"query 'HKCU\\Software\\Demo\\' /s", 0, "    Bytes    REG_BINARY    00FF10"},
        {"query HKCU\\\\Software\\\\Demo /v missing", 1, "not found"},
        {"query HKCU\\\\Software\\\\Nowhere", 1, "does not exist"},
        {"delete HKCU\\\\Software\\\\Demo /v Count", 0, ""},
        {"query HKCU\\\\Software\\\\Demo /v Count", 1, "not found"},
        {"delete 'HKCU\\'", 1, "\"HKCU\\\": root keys cannot be deleted"},
        {"delete 'HKCU\\Software\\Demo\\'", 0, ""},
        {"query HKCU\\\\Software\\\\Demo", 1, "does not exist"},
        {"frobnicate", 1, "unknown command"},
    };
    for (const auto &s : steps) {
        Outcome run = Rtereg(s.arguments);
        EXPECT_EQ(run.status, s.status) << s.arguments << "\n" << run.out;
        EXPECT_NE(run.out.find(s.output), std::string::npos) << s.arguments << "\n" << run.out;
    }
}

TEST(Rtereg, ExportThenImportGivesTheSameStore) {
    win32::testing::ScratchRegistry first;
    ASSERT_EQ(Rtereg("add 'HKCU\\Software\\Round Trip' /v Text /d 'quote \" and \\ back'").status, 0);
    ASSERT_EQ(Rtereg("add 'HKCU\\Software\\Round Trip' /v List /t REG_MULTI_SZ /d 'a\\0b'").status, 0);
    ASSERT_EQ(Rtereg("add 'HKLM\\Software\\Machine' /v Big /t REG_QWORD /d 1234567890123").status, 0);
    // Keys and values made directly: an empty key, a text of no zero, bytes that are not UTF-8.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Round Trip\\Empty Key", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExA(key, "Nothing", 0, REG_BINARY, nullptr, 0);
    RegSetValueExA(key, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE *>("bare"), 4);
    RegSetValueExA(key, "Latin-1 \xE9", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE *>("caf\xE9"), 5);
    RegCloseKey(key);
    std::string exported = first.folder() + "/all.reg";
    ASSERT_EQ(Rtereg("export " + exported).status, 0);
    std::string bytes = ReadText(exported), text;
    size_t where = 0;
    ASSERT_EQ(bytes.rfind("\xFF\xFE", 0), 0u) << "UTF-16LE with its byte-order mark";
    ASSERT_TRUE(rtereg::Utf16ToUtf8(bytes.substr(2), &text, &where));
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n\r\n", 0), 0u);
    EXPECT_NE(text.find("\"Text\"=\"quote \\\" and \\\\ back\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Machine]"), std::string::npos) << text;

    win32::testing::ScratchRegistry second;
    ASSERT_EQ(Rtereg("import " + exported).status, 0);
    std::string again = second.folder() + "/again.reg";
    ASSERT_EQ(Rtereg("export " + again).status, 0);
    EXPECT_EQ(ReadText(again), bytes) << "the imported store exports the same";
    // A key alone as REGEDIT4, in the order of Windows' reg; a store that is not ASCII refused.
    std::string one = second.folder() + "/one.reg";
    ASSERT_EQ(Rtereg("export 'HKLM\\Software\\Machine' " + one + " --ascii").status, 0);
    EXPECT_EQ(ReadText(one), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Machine]\r\n\"Big\"=hex(b):cb,04,fb,71,1f,01,00,00\r\n\r\n");
    Outcome run = Rtereg("export " + one + " /a");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("the value \"Latin-1 \xE9\" of \"HKEY_CURRENT_USER\\Software\\Round Trip\\Empty Key\" is not ASCII"),
              std::string::npos) << run.out;
}

TEST(Rtereg, BadImportsAndUnreadableStoresChangeNothing) {
    win32::testing::ScratchRegistry store;
    ASSERT_EQ(Rtereg("add HKCU\\\\Keep /v v /d old").status, 0);
    std::string before = store.folder() + "/before.reg";
    ASSERT_EQ(Rtereg("export " + before).status, 0);
    std::string bad = store.folder() + "/bad.reg";
    std::ofstream(bad) << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Keep]\n\"v\"=\"new\"\n[-HKEY_CURRENT_USER\\Keep]\n"
                          "[HKEY_CURRENT_USER\\Other\\\\Empty]\n";
    Outcome run = Rtereg("import " + bad);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("bad.reg: line 6: an empty key name in the path"), std::string::npos) << run.out;
    std::string after = store.folder() + "/after.reg";
    ASSERT_EQ(Rtereg("export " + after).status, 0);
    EXPECT_EQ(ReadText(after), ReadText(before));
    EXPECT_EQ(Rtereg("import " + store.folder() + "/missing.reg").status, 1);
    // A store that cannot be read: the export fails and writes no file.
    std::string text = store.folder() + "/text.db";
    std::ofstream(text) << "not a registry\n";
    setenv("WIN32_REGISTRY", text.c_str(), 1);
    std::string none = store.folder() + "/none.reg";
    run = Rtereg("export " + none);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("the registry store is damaged or is not a registry"), std::string::npos) << run.out;
    EXPECT_NE(access(none.c_str(), F_OK), 0) << "no empty backup";
}
