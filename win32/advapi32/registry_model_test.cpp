// Tests of the registry calls' model: keys, paths, handles, access rights, values, enumeration
// and deletion, names across Unicode, transactions, and the codes Windows gives for each case.
#include "win32/winreg.h"

#include "win32/registry_scratch_testing.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

class RegistryModel : public ::testing::Test {
protected:
    win32::testing::ScratchRegistry store_;

    HKEY Create(const char *path, DWORD *disposition = nullptr, const char *cls = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, const_cast<char *>(cls), 0, KEY_ALL_ACCESS,
                                  nullptr, &key, disposition), ERROR_SUCCESS) << path;
        return key;
    }
    static LONG SetText(HKEY key, const char *name, const char *text) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                              static_cast<DWORD>(std::strlen(text) + 1));
    }
};

}  // namespace

TEST_F(RegistryModel, KeysAreCreatedOnceAndFoundWithoutRegardToCase) {
    DWORD disposition = 0;
    HKEY a = Create("Software\\Vendor\\App", &disposition, "AppClass");
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    HKEY b = Create("SOFTWARE\\vendor\\APP", &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    ASSERT_EQ(SetText(a, "Name", "value"), ERROR_SUCCESS);
    char data[16];
    DWORD size = sizeof data, type = 0;
    EXPECT_EQ(RegQueryValueExA(b, "NAME", nullptr, &type, reinterpret_cast<BYTE *>(data), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(data, "value");
    // Names are kept as first written, and the class is the key's.
    char name[32];
    DWORD nameLength = sizeof name;
    char cls[32];
    DWORD classLength = sizeof cls;
    HKEY vendor = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\VENDOR", 0, KEY_READ, &vendor), ERROR_SUCCESS);
    EXPECT_EQ(RegEnumKeyExA(vendor, 0, name, &nameLength, nullptr, cls, &classLength, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, "App");
    EXPECT_EQ(nameLength, 4u) << "counts include the terminating zero";
    EXPECT_STREQ(cls, "AppClass");
    nameLength = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(vendor, 1, name, &nameLength, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    for (HKEY k : {a, b, vendor}) EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(a), ERROR_INVALID_HANDLE) << "closed twice";
}

TEST_F(RegistryModel, HandlesAndArgumentsAreChecked) {
    RegCloseKey(Create("Sub"));
    HKEY key = nullptr;
    char name[8];
    DWORD nameLength = sizeof name;
    struct Case {
        const char *what;
        LONG result;
        LONG expected;
    } cases[] = {
        {"open missing", RegOpenKeyExA(HKEY_CURRENT_USER, "Missing\\Key", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND},
        {"open with options", RegOpenKeyExA(HKEY_CURRENT_USER, "", 1, KEY_READ, &key), ERROR_INVALID_PARAMETER},
        {"null result", RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER},
        {"performance data", RegOpenKeyExA(HKEY_PERFORMANCE_DATA, "", 0, KEY_READ, &key), ERROR_INVALID_HANDLE},
        {"not a handle", RegOpenKeyExA(reinterpret_cast<HKEY>(uintptr_t{77}), "", 0, KEY_READ, &key), ERROR_INVALID_HANDLE},
        {"volatile key", RegCreateKeyExA(HKEY_CURRENT_USER, "V", 0, nullptr, REG_OPTION_VOLATILE, KEY_READ, nullptr, &key, nullptr), ERROR_INVALID_PARAMETER},
        {"empty name", RegCreateKeyExA(HKEY_CURRENT_USER, "A\\\\B", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr), ERROR_BAD_PATHNAME},
        {"long name", RegCreateKeyExA(HKEY_CURRENT_USER, std::string(256, 'x').c_str(), 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr), ERROR_INVALID_PARAMETER},
        {"data without size", RegQueryValueExA(HKEY_CURRENT_USER, "v", nullptr, nullptr, reinterpret_cast<BYTE *>(&key), nullptr), ERROR_INVALID_PARAMETER},
        {"set null data", RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER},
        {"delete missing value", RegDeleteValueA(HKEY_CURRENT_USER, "none"), ERROR_FILE_NOT_FOUND},
        {"delete missing key", RegDeleteKeyA(HKEY_CURRENT_USER, "None"), ERROR_FILE_NOT_FOUND},
        {"delete a root", RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED},
        {"class without length", RegEnumKeyExA(HKEY_CURRENT_USER, 0, name, &nameLength, nullptr, name, nullptr, nullptr), ERROR_INVALID_PARAMETER},
        {"flush not a handle", RegFlushKey(reinterpret_cast<HKEY>(uintptr_t{77})), ERROR_INVALID_HANDLE},
        {"commit without a transaction", RegCommitTransaction(), ERROR_INVALID_FUNCTION},
        {"roll back without a transaction", RegRollbackTransaction(), ERROR_INVALID_FUNCTION},
    };
    for (const auto &c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
}

TEST_F(RegistryModel, AccessRightsAreThoseTheKeyWasOpenedWith) {
    RegCloseKey(Create("Rights"));
    HKEY reader = nullptr, writer = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Rights", 0, KEY_QUERY_VALUE, &reader), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Rights", 0, KEY_SET_VALUE, &writer), ERROR_SUCCESS);
    EXPECT_EQ(SetText(reader, "v", "x"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetText(writer, "v", "x"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(writer, "v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegQueryValueExA(reader, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(reader, "Sub", 0, nullptr, 0, KEY_READ, nullptr, &sub, nullptr), ERROR_ACCESS_DENIED);
    RegCloseKey(reader);
    RegCloseKey(writer);
}

TEST_F(RegistryModel, ValuesOfEveryShape) {
    HKEY key = Create("Values");
    std::string big(1 << 20, 'b');
    struct Case {
        const char *name;
        DWORD type;
        std::string data;
    } cases[] = {{"", REG_SZ, std::string("default", 8)}, {"empty", REG_BINARY, ""},
                 {"big", REG_BINARY, big},                {"odd type", 77, "xy"},
                 {"back\\slash", REG_DWORD, std::string("\1\0\0\0", 4)}};
    for (const auto &c : cases) {
        ASSERT_EQ(RegSetValueExA(key, c.name, 0, c.type, reinterpret_cast<const BYTE *>(c.data.data()),
                                 static_cast<DWORD>(c.data.size())), ERROR_SUCCESS) << c.name;
    }
    for (const auto &c : cases) {
        DWORD type = 0, size = 0;
        ASSERT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(type, c.type);
        ASSERT_EQ(size, c.data.size());
        std::string back(size, '\0');
        DWORD small = size > 0 ? size - 1 : 0;
        if (size > 0) {
            EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, reinterpret_cast<BYTE *>(back.data()), &small), ERROR_MORE_DATA);
            EXPECT_EQ(small, size);
        }
        EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, reinterpret_cast<BYTE *>(back.data()), &size), ERROR_SUCCESS);
        EXPECT_EQ(back, c.data) << c.name;
    }
    // Replacing keeps one value; deleting removes it.
    ASSERT_EQ(SetText(key, "EMPTY", "now text"), ERROR_SUCCESS);
    DWORD values = 0, maxName = 0, maxData = 0;
    EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, &maxName, &maxData, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(values, 5u);
    EXPECT_EQ(maxName, 11u) << "\"back\\slash\" with its zero";
    EXPECT_EQ(maxData, static_cast<DWORD>(big.size()));
    EXPECT_EQ(RegDeleteValueA(key, "Empty"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "Empty"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryModel, EnumValueReportsInNameOrderAndAsksForRoom) {
    HKEY key = Create("Enum");
    SetText(key, "beta", "2");
    SetText(key, "Alpha", "1");
    char name[8];
    DWORD nameLength = sizeof name, type = 0, size = 0;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Alpha");
    EXPECT_EQ(nameLength, 6u);
    EXPECT_EQ(size, 2u);
    char tiny[3];
    nameLength = sizeof tiny;
    EXPECT_EQ(RegEnumValueA(key, 1, tiny, &nameLength, nullptr, &type, nullptr, &size), ERROR_MORE_DATA);
    EXPECT_EQ(nameLength, 5u);
    nameLength = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 2, name, &nameLength, nullptr, &type, nullptr, &size), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(RegistryModel, DeletingKeysAndTheHandlesLeftOpen) {
    HKEY parent = Create("Parent");
    HKEY child = Create("Parent\\Child");
    SetText(child, "v", "x");
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Parent"), ERROR_ACCESS_DENIED) << "it has a subkey";
    EXPECT_EQ(RegDeleteKeyA(parent, "CHILD"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(child, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(SetText(child, "v", "y"), ERROR_KEY_DELETED);
    // A key made again under the same path is a new key: old handles stay dead, new opens see it.
    HKEY again = Create("Parent\\Child");
    EXPECT_EQ(RegQueryValueExA(again, "v", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(child, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    SetText(again, "v", "new");
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Parent\\Child", 0, KEY_READ, &opened), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(opened, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    for (HKEY k : {parent, child, again, opened}) RegCloseKey(k);
}

TEST_F(RegistryModel, TheStoreIsMadeOwnerOnlyInTheDataFolder) {
    unsetenv("WIN32_REGISTRY");
    std::string data = store_.folder() + "/data";
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    HKEY key = Create("Here");
    RegCloseKey(key);
    unsetenv("XDG_DATA_HOME");
    setenv("WIN32_REGISTRY", store_.path().c_str(), 1);
    struct stat file, folder;
    ASSERT_EQ(stat((data + "/win32/registry.db").c_str(), &file), 0);
    ASSERT_EQ(stat((data + "/win32").c_str(), &folder), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
}

TEST_F(RegistryModel, KeysDeletedElsewhereAreGoneAndFailedCallsChangeNoHandle) {
    auto deleteInThread = [](const char *path) {
        std::thread([path] { EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, path), ERROR_SUCCESS); }).join();
    };
    auto deleteInProcess = [](const char *path) {
        pid_t child = fork();
        if (child == 0) _exit(RegDeleteKeyA(HKEY_CURRENT_USER, path) == ERROR_SUCCESS ? 0 : 1);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    };
    // This thread knows the keys' paths; another thread or process deletes them: opening fails.
    for (void (*deleteElsewhere)(const char *) : {+deleteInThread, +deleteInProcess}) {
        RegCloseKey(Create("Gone"));
        deleteElsewhere("Gone");
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Gone", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    }

    // Made again, and a call that fails: the handle stays on its own key, not on the next one.
    RegCloseKey(Create("App"));
    deleteInThread("App");
    HKEY app = Create("App");
    EXPECT_EQ(RegDeleteValueA(app, "no-such"), ERROR_FILE_NOT_FOUND);
    HKEY other = Create("Other");
    EXPECT_EQ(SetText(app, "meant-for-App", "x"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(other, "meant-for-App", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    HKEY again = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "App", 0, KEY_READ, &again), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(again, "meant-for-App", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    for (HKEY k : {app, other, again}) RegCloseKey(k);
}

TEST_F(RegistryModel, NamesCompareWithoutCaseAcrossUnicode) {
    struct Case {
        const char *written, *asked;
        bool same;
    } cases[] = {
        {"\xC3\x89mile", "\xC3\xA9MILE", true},                      // Émile, éMILE
        {"\xCE\xA3\xCE\x91\xCE\xA3", "\xCF\x83\xCE\xB1\xCF\x82", true},  // ΣΑΣ, σας (final sigma)
        {"\xE2\x84\xAA" "elvin", "kelvin", true},                       // the Kelvin sign
        {"\xE2\x85\xAB", "\xE2\x85\xBB", true},                        // Roman numerals Ⅻ, ⅻ
        {"\xE2\x92\xB6", "\xE2\x93\x90", true},                        // circled Ⓐ, ⓐ
        {"\xC7\x85", "\xC7\x86", true},                                 // title case ǅ, ǆ
        {"\xE1\x8E\xA0", "\xEA\xAD\xB0", true},                        // Cherokee Ꭰ, ꭰ
        {"\xF0\x90\x90\x80", "\xF0\x90\x90\xA8", true},               // Deseret, four bytes
        {"Stra\xC3\x9F" "e", "STRASSE", false},                          // no full folding
        {"\xC4\xB0stanbul", "istanbul", false},                          // Turkic İ folds only in Turkic
        {"bad \xC3\x28 UTF-8", "BAD \xC3\x28 utf-8", true},              // bytes kept, ASCII folded
    };
    HKEY values = Create("Names");
    for (const auto &c : cases) {
        RegCloseKey(Create(c.written));
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, c.asked, 0, KEY_READ, &key) == ERROR_SUCCESS, c.same) << c.written;
        RegCloseKey(key);
        ASSERT_EQ(SetText(values, c.written, "v"), ERROR_SUCCESS);
        DWORD size = 0;
        EXPECT_EQ(RegQueryValueExA(values, c.asked, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS, c.same) << c.written;
    }
    RegCloseKey(values);
    // Name lengths are counted as Windows counts characters: in UTF-16 code units.
    std::string e255, e256, wide127, wide128;
    for (int i = 0; i < 256; ++i) (i < 255 ? e255 : e256) += "\xC3\xA9";
    e256 = e255 + e256;
    for (int i = 0; i < 128; ++i) (i < 127 ? wide127 : wide128) += "\xF0\x90\x90\x80";
    wide128 = wide127 + wide128;
    for (const auto &[name, fits] : {std::pair{e255, true}, {e256, false}, {wide127, true}, {wide128, false}}) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
                  fits ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER) << name.size() << " bytes";
        RegCloseKey(key);
    }
}

TEST_F(RegistryModel, ATransactionCommitsAllOrNothing) {
    auto visibleElsewhere = [](const char *path) {
        bool found = false;
        std::thread([&] {
            HKEY key = nullptr;
            found = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) == ERROR_SUCCESS;
            RegCloseKey(key);
        }).join();
        return found;
    };
    ASSERT_EQ(RegBeginTransaction(), ERROR_SUCCESS);
    EXPECT_EQ(RegBeginTransaction(), ERROR_INVALID_FUNCTION) << "one at a time";
    HKEY kept = Create("Kept");
    EXPECT_EQ(SetText(kept, "v", "1"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(kept, "no-such"), ERROR_FILE_NOT_FOUND) << "a failed call undoes only itself";
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(kept, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS) << "seen by its thread";
    EXPECT_FALSE(visibleElsewhere("Kept")) << "not seen by others before the commit";
    ASSERT_EQ(RegCommitTransaction(), ERROR_SUCCESS);
    EXPECT_TRUE(visibleElsewhere("Kept"));
    EXPECT_EQ(RegFlushKey(kept), ERROR_SUCCESS);

    // Rolled back: the key is gone, and its handle stays dead when its id is made again.
    ASSERT_EQ(RegBeginTransaction(), ERROR_SUCCESS);
    HKEY undone = Create("Undone");
    EXPECT_EQ(SetText(kept, "v", "2"), ERROR_SUCCESS);
    ASSERT_EQ(RegRollbackTransaction(), ERROR_SUCCESS);
    HKEY next = Create("Next");
    EXPECT_EQ(SetText(undone, "v", "x"), ERROR_KEY_DELETED);
    EXPECT_FALSE(visibleElsewhere("Undone"));
    char text[4];
    size = sizeof text;
    EXPECT_EQ(RegQueryValueExA(kept, "v", nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size), ERROR_SUCCESS);
    EXPECT_STREQ(text, "1");

    // A thread that ends inside its transaction leaves nothing of it.
    std::thread([] {
        ASSERT_EQ(RegBeginTransaction(), ERROR_SUCCESS);
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Abandoned", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
        RegCloseKey(key);
    }).join();
    EXPECT_FALSE(visibleElsewhere("Abandoned"));
    for (HKEY k : {kept, undone, next}) RegCloseKey(k);
}
