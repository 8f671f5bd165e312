// Tests of the rtereg program: add, query, delete, and an export imported into an empty store
// giving the same store; a malformed import names its line and changes nothing.
#include "tools/rtereg/reg_store.h"

#include "win32/registry_scratch_testing.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

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
        {"add HKCU\\\\Software\\\\Demo /v Bad /t REG_DWORD /d twelve", 1, "is not a number"},
        {"add HKXX\\\\Software /v A /d b", 1, "unknown root key"},
        {"query HKCU\\\\Software\\\\Demo", 0, "    Name    REG_SZ    hello world"},
        {"query HKCU\\\\Software\\\\Demo", 0, "    Count    REG_DWORD    0x2a"},
        {"query HKCU\\\\Software\\\\Demo", 0, "    (Default)    REG_SZ    dflt"},
        {"query HKCU\\\\Software\\\\Demo /s", 0, "    Bytes    REG_BINARY    00FF10"},
        {"query HKCU\\\\Software\\\\Demo /v missing", 1, "not found"},
        {"query HKCU\\\\Software\\\\Nowhere", 1, "does not exist"},
        {"delete HKCU\\\\Software\\\\Demo /v Count", 0, ""},
        {"query HKCU\\\\Software\\\\Demo /v Count", 1, "not found"},
        {"delete HKCU\\\\Software\\\\Demo", 0, ""},
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
    ASSERT_EQ(Rtereg("add 'HKCU\\Software\\Round Trip' /v Number /t REG_DWORD /d 7").status, 0);
    ASSERT_EQ(Rtereg("add 'HKCU\\Software\\Round Trip' /v List /t REG_MULTI_SZ /d 'a\\0b'").status, 0);
    ASSERT_EQ(Rtereg("add 'HKCU\\Software\\Round Trip\\Empty Key'").status, 0);
    ASSERT_EQ(Rtereg("add 'HKLM\\Software\\Machine' /v Big /t REG_QWORD /d 1234567890123").status, 0);
    // A value of no bytes, one of an unusual type and a text without its zero, written directly.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Round Trip", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExA(key, "Nothing", 0, REG_BINARY, nullptr, 0);
    RegSetValueExA(key, "Odd", 0, 99, reinterpret_cast<const BYTE *>("xyz"), 3);
    RegSetValueExA(key, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE *>("bare"), 4);
    RegCloseKey(key);
    std::string exported = first.folder() + "/all.reg";
    ASSERT_EQ(Rtereg("export " + exported).status, 0);
    std::string text = ReadText(exported);
    EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
    EXPECT_NE(text.find("\"Text\"=\"quote \\\" and \\\\ back\""), std::string::npos) << text;
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Round Trip\\Empty Key]"), std::string::npos);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Machine]"), std::string::npos);

    win32::testing::ScratchRegistry second;
    ASSERT_EQ(Rtereg("import " + exported).status, 0);
    std::string again = second.folder() + "/again.reg";
    ASSERT_EQ(Rtereg("export " + again).status, 0);
    EXPECT_EQ(ReadText(again), text) << "the imported store exports the same";
    // A key alone, in the order of Windows' reg.
    std::string one = second.folder() + "/one.reg";
    ASSERT_EQ(Rtereg("export 'HKLM\\Software\\Machine' " + one).status, 0);
    EXPECT_EQ(ReadText(one), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Machine]\n\"Big\"=hex(b):cb,04,fb,71,1f,01,00,00\n");
}

TEST(Rtereg, AMalformedImportNamesItsLineAndChangesNothing) {
    win32::testing::ScratchRegistry store;
    ASSERT_EQ(Rtereg("add HKCU\\\\Keep /v v /d old").status, 0);
    std::string before = store.folder() + "/before.reg";
    ASSERT_EQ(Rtereg("export " + before).status, 0);
    std::string bad = store.folder() + "/bad.reg";
    std::ofstream(bad) << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Keep]\n\"v\"=\"new\"\n[-HKEY_CURRENT_USER\\Keep]\n"
                          "[HKEY_CURRENT_USER\\Other]\n\"n\"=dword:nothex\n";
    Outcome run = Rtereg("import " + bad);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("bad.reg: line 7:"), std::string::npos) << run.out;
    std::string after = store.folder() + "/after.reg";
    ASSERT_EQ(Rtereg("export " + after).status, 0);
    EXPECT_EQ(ReadText(after), ReadText(before));
    std::ofstream(bad) << "REGEDIT4\n[HKEY_NOWHERE\\X]\n";
    run = Rtereg("import " + bad);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("line 2: unknown root key"), std::string::npos) << run.out;
    EXPECT_EQ(Rtereg("import " + store.folder() + "/missing.reg").status, 1);
}
