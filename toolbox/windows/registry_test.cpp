// Tests of the one-call registry functions: each function's results as tables, including the
// pointer checks and the size queries, on a private registry store.
#include "toolbox/windows/registry.h"
#include "toolbox/windows/registry_testing.h"

#include "toolbox/core/errors.h"
#include "win32/registry_scratch_testing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char kKey[] = "Software\\Toolbox Tests";

class Registry : public ::testing::Test {
protected:
    win32::testing::ScratchRegistry store_;
};

// Reads a text value of a key (or "<error N>"), as a caller with a buffer of 16 bytes does.
std::string ReadText(const char *name, const char *key = kKey) {
    char buffer[16];
    unsigned int size = 0;
    int rc = RegReadString(HKEY_CURRENT_USER, key, name, buffer, sizeof buffer, &size);
    return rc == 0 ? buffer : "<error " + std::to_string(rc) + ">";
}

// Stores a value of kKey byte for byte, past the library's writers (any type, no zero added).
void SetRaw(const char *name, DWORD type, const char *data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

}  // namespace

TEST_F(Registry, PointerChecksComeFirstAndTouchNothing) {
    unsigned int size = 0;
    uint32_t value = 0;
    const char *names[] = {"a"};
    const char *texts[] = {"x"};
    char buffer[8];
    struct Case {
        const char *what;
        int result;
    } cases[] = {
        {"WriteBinary subkey", RegWriteBinary(HKEY_CURRENT_USER, nullptr, "v", "d", 1)},
        {"WriteBinary name", RegWriteBinary(HKEY_CURRENT_USER, kKey, nullptr, "d", 1)},
        {"WriteBinary data", RegWriteBinary(HKEY_CURRENT_USER, kKey, "v", nullptr, 1)},
        {"ReadBinary subkey", RegReadBinary(HKEY_CURRENT_USER, nullptr, "v", buffer, 8, &size)},
        {"ReadBinary name", RegReadBinary(HKEY_CURRENT_USER, kKey, nullptr, buffer, 8, &size)},
        {"ReadBinary size", RegReadBinary(HKEY_CURRENT_USER, kKey, "v", buffer, 8, nullptr)},
        {"WriteULong subkey", RegWriteULong(HKEY_CURRENT_USER, nullptr, "v", 1, 0)},
        {"WriteULong name", RegWriteULong(HKEY_CURRENT_USER, kKey, nullptr, 1, 0)},
        {"ReadULong subkey", RegReadULong(HKEY_CURRENT_USER, nullptr, "v", &value, 0)},
        {"ReadULong name", RegReadULong(HKEY_CURRENT_USER, kKey, nullptr, &value, 0)},
        {"ReadULong value", RegReadULong(HKEY_CURRENT_USER, kKey, "v", nullptr, 0)},
        {"WriteString subkey", RegWriteString(HKEY_CURRENT_USER, nullptr, "v", "x")},
        {"WriteString text", RegWriteString(HKEY_CURRENT_USER, kKey, "v", nullptr)},
        {"WriteStringArray subkey", RegWriteStringArray(HKEY_CURRENT_USER, nullptr, 1, names, texts)},
        {"WriteStringArray names", RegWriteStringArray(HKEY_CURRENT_USER, kKey, 1, nullptr, texts)},
        {"WriteStringArray texts", RegWriteStringArray(HKEY_CURRENT_USER, kKey, 1, names, nullptr)},
        {"ReadString subkey", RegReadString(HKEY_CURRENT_USER, nullptr, "v", buffer, 8, &size)},
        {"ReadString size", RegReadString(HKEY_CURRENT_USER, kKey, "v", buffer, 8, nullptr)},
        {"QueryInfoOnKey subkey", RegQueryInfoOnKey(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr)},
        {"EnumerateValue subkey", RegEnumerateValue(HKEY_CURRENT_USER, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr)},
        {"EnumerateValue name length", RegEnumerateValue(HKEY_CURRENT_USER, kKey, 0, buffer, nullptr, nullptr, nullptr, nullptr)},
        {"EnumerateValue data size", RegEnumerateValue(HKEY_CURRENT_USER, kKey, 0, nullptr, nullptr, buffer, nullptr, nullptr)},
    };
    for (const auto &c : cases) EXPECT_EQ(c.result, -65) << c.what;
    // Nothing was created by any of them.
    EXPECT_EQ(RegQueryInfoOnKey(HKEY_CURRENT_USER, kKey, nullptr, nullptr, nullptr, nullptr, nullptr), TOOLBOX_ERR_REG_NO_KEY);
}

TEST_F(Registry, BinaryValuesRoundTripWithSizeQueries) {
    std::vector<unsigned char> big(1 << 20);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<unsigned char>(i * 7);
    struct Case {
        const char *name;
        std::vector<unsigned char> data;
    } cases[] = {{"empty", {}}, {"one", {0x42}}, {"zeros", {0, 0, 0}}, {"one MiB", big}};
    for (const auto &c : cases) {
        unsigned char anything = 0;
        ASSERT_EQ(RegWriteBinary(HKEY_CURRENT_USER, kKey, c.name, c.data.empty() ? &anything : c.data.data(),
                                 static_cast<unsigned>(c.data.size())), 0) << c.name;
        unsigned int size = 12345;
        EXPECT_EQ(RegReadBinary(HKEY_CURRENT_USER, kKey, c.name, nullptr, 0, &size), 0) << c.name;
        EXPECT_EQ(size, c.data.size()) << c.name;
        std::vector<unsigned char> back(c.data.size() + 1, 0xEE);
        EXPECT_EQ(RegReadBinary(HKEY_CURRENT_USER, kKey, c.name, back.data(), static_cast<unsigned>(back.size()), &size), 0);
        EXPECT_TRUE(std::equal(c.data.begin(), c.data.end(), back.begin())) << c.name;
        EXPECT_EQ(back.back(), 0xEE) << c.name << ": nothing past the data";
        if (!c.data.empty()) {
            size = 0;
            EXPECT_EQ(RegReadBinary(HKEY_CURRENT_USER, kKey, c.name, back.data(), static_cast<unsigned>(c.data.size() - 1), &size), -57);
            EXPECT_EQ(size, c.data.size()) << "the size is reported even when the buffer is too small";
        }
    }
}

TEST_F(Registry, ReadersTellMissingKeysMissingValuesAndWrongTypes) {
    ASSERT_EQ(RegWriteULong(HKEY_CURRENT_USER, kKey, "little", 0x01020304u, 0), 0);
    ASSERT_EQ(RegWriteULong(HKEY_CURRENT_USER, kKey, "big", 0xA0B0C0D0u, 1), 0);
    ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, kKey, "text", "hello"), 0);
    ASSERT_EQ(RegWriteBinary(HKEY_CURRENT_USER, kKey, "short", "ab", 2), 0);
    uint32_t value = 7;
    unsigned int size = 0;
    char buffer[16];
    struct Case {
        const char *what;
        int result;
        int expected;
    } cases[] = {
        {"key missing", RegReadULong(HKEY_CURRENT_USER, "Software\\Nowhere", "little", &value, 0), TOOLBOX_ERR_REG_NO_KEY},
        {"value missing", RegReadULong(HKEY_CURRENT_USER, kKey, "absent", &value, 0), TOOLBOX_ERR_REG_NO_VALUE},
        {"big-endian flag on a DWORD", RegReadULong(HKEY_CURRENT_USER, kKey, "little", &value, 1), TOOLBOX_ERR_REG_VALUE_TYPE},
        {"DWORD read of a string", RegReadULong(HKEY_CURRENT_USER, kKey, "text", &value, 0), TOOLBOX_ERR_REG_VALUE_TYPE},
        {"string read of a DWORD", RegReadString(HKEY_CURRENT_USER, kKey, "little", buffer, 16, &size), TOOLBOX_ERR_REG_VALUE_TYPE},
        {"binary read of a string", RegReadBinary(HKEY_CURRENT_USER, kKey, "text", buffer, 16, &size), TOOLBOX_ERR_REG_VALUE_TYPE},
        {"string in an unknown root", RegReadString(HKEY_PERFORMANCE_DATA, kKey, "text", buffer, 16, &size), TOOLBOX_ERR_REG_OPEN_KEY},
        {"write under an unknown root", RegWriteString(HKEY_PERFORMANCE_DATA, kKey, "text", "x"), TOOLBOX_ERR_REG_OPEN_KEY},
    };
    for (const auto &c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
    EXPECT_EQ(value, 7u) << "failed reads leave the variable";
    EXPECT_EQ(RegReadULong(HKEY_CURRENT_USER, kKey, "little", &value, 0), 0);
    EXPECT_EQ(value, 0x01020304u);
    EXPECT_EQ(RegReadULong(HKEY_CURRENT_USER, kKey, "big", &value, 1), 0);
    EXPECT_EQ(value, 0xA0B0C0D0u) << "the bytes as the variable held them";
    SetRaw("written by reg", REG_DWORD_BIG_ENDIAN, "\0\0\0\x01", 4);  // 1, high byte first
    EXPECT_EQ(RegReadULong(HKEY_CURRENT_USER, kKey, "written by reg", &value, 1), 0);
    EXPECT_EQ(value, 16777216u) << "read as this machine holds a variable";
}

TEST_F(Registry, StringsAreStoredWithTheirZeroAndReadSafely) {
    ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, kKey, "text", "hello"), 0);
    ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, kKey, nullptr, "default"), 0);
    unsigned int size = 0;
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "TEXT", nullptr, 0, &size), 0) << "names ignore case";
    EXPECT_EQ(size, 6u) << "the size includes the terminating zero as stored";
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "text", buffer, 5, &size), -57);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(buffer[0], 'x') << "nothing copied into a buffer too small";
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "text", buffer, 6, &size), 0);
    EXPECT_STREQ(buffer, "hello");
    EXPECT_EQ(ReadText(nullptr), "default");
    EXPECT_EQ(ReadText(""), "default") << "\"\" is the default value too";
    // A text written without its zero (as a Windows NT writer stores it) still reads terminated.
    SetRaw("bare", REG_SZ, "abc", 3);
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "bare", buffer, sizeof buffer, &size), 0);
    EXPECT_EQ(size, 3u);
    EXPECT_STREQ(buffer, "abc");
}

TEST_F(Registry, StringArraysWriteInOrderAndStopAtTheFirstFailure) {
    const char *names[] = {"one", nullptr, "three"};
    const char *texts[] = {"1", "default", nullptr};
    EXPECT_EQ(RegWriteStringArray(HKEY_CURRENT_USER, kKey, 0, names, texts), -14);
    EXPECT_EQ(RegWriteStringArray(HKEY_CURRENT_USER, kKey, -3, names, texts), -14);
    EXPECT_EQ(RegQueryInfoOnKey(HKEY_CURRENT_USER, kKey, nullptr, nullptr, nullptr, nullptr, nullptr),
              TOOLBOX_ERR_REG_NO_KEY) << "a bad count creates no key";
    EXPECT_EQ(RegWriteStringArray(HKEY_CURRENT_USER, kKey, 3, names, texts), -65);
    EXPECT_EQ(ReadText("one"), "1");
    EXPECT_EQ(ReadText(nullptr), "default") << "values before the failure stay written";
    EXPECT_EQ(ReadText("three"), "<error " + std::to_string(TOOLBOX_ERR_REG_NO_VALUE) + ">");
}

TEST_F(Registry, QueryInfoOnKeyCountsAndMeasures) {
    ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, kKey, "abc", "12345"), 0);
    ASSERT_EQ(RegWriteBinary(HKEY_CURRENT_USER, kKey, "longer name", "xyz", 3), 0);
    unsigned subKeys = 9, values = 9, maxSub = 9, maxName = 9, maxData = 9;
    EXPECT_EQ(RegQueryInfoOnKey(HKEY_CURRENT_USER, kKey, &subKeys, &values, &maxSub, &maxName, &maxData), 0);
    EXPECT_EQ(subKeys, 0u);
    EXPECT_EQ(maxSub, 0u) << "no subkeys: 0, not a wrapped -1";
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxName, 12u) << "the longest value name with its zero, as the platform counts";
    EXPECT_EQ(maxData, 6u);
    ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, "Software\\Toolbox Tests\\Sub Key", "v", "x"), 0);
    ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, "Software\\Toolbox Tests\\S", "v", "x"), 0);
    EXPECT_EQ(RegQueryInfoOnKey(HKEY_CURRENT_USER, kKey, &subKeys, nullptr, &maxSub, nullptr, nullptr), 0);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(maxSub, 7u) << "\"Sub Key\" without its zero";
    EXPECT_EQ(RegQueryInfoOnKey(HKEY_CURRENT_USER, "Software\\Missing", &subKeys, nullptr, nullptr, nullptr, nullptr),
              TOOLBOX_ERR_REG_NO_KEY);
}

TEST_F(Registry, EnumerateValueReportsNamesTypesAndSizes) {
    ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, kKey, "b text", "hi"), 0);
    ASSERT_EQ(RegWriteULong(HKEY_CURRENT_USER, kKey, "a number", 5, 0), 0);
    SetRaw("c odd", 11, "12345678", 8);

    struct Row {
        const char *name;
        int type;
        unsigned size;
    } rows[] = {{"a number", 4, 4}, {"b text", 1, 3}, {"c odd", 0 /* type 11 reads as 0 */, 8}};
    for (int i = 0; i < 3; ++i) {
        char name[32];
        unsigned nameLength = sizeof name;
        unsigned char data[16];
        unsigned dataSize = sizeof data;
        int type = -1;
        EXPECT_EQ(RegEnumerateValue(HKEY_CURRENT_USER, kKey, i, name, &nameLength, data, &dataSize, &type), 0);
        EXPECT_STREQ(name, rows[i].name);
        EXPECT_EQ(nameLength, std::strlen(rows[i].name));
        EXPECT_EQ(type, rows[i].type) << rows[i].name;
        EXPECT_EQ(dataSize, rows[i].size) << rows[i].name;
    }
    // Size queries without buffers, then buffers too small: the lengths are still reported.
    unsigned nameLength = 0, dataSize = 0;
    EXPECT_EQ(RegEnumerateValue(HKEY_CURRENT_USER, kKey, 1, nullptr, &nameLength, nullptr, &dataSize, nullptr), 0);
    EXPECT_EQ(nameLength, 6u);
    EXPECT_EQ(dataSize, 3u);
    char small[6];
    nameLength = sizeof small;
    EXPECT_EQ(RegEnumerateValue(HKEY_CURRENT_USER, kKey, 1, small, &nameLength, nullptr, nullptr, nullptr), -57);
    EXPECT_EQ(nameLength, 6u);
    unsigned char tiny[2];
    dataSize = sizeof tiny;
    EXPECT_EQ(RegEnumerateValue(HKEY_CURRENT_USER, kKey, 1, nullptr, nullptr, tiny, &dataSize, nullptr), -57);
    EXPECT_EQ(dataSize, 3u);
    // Past the last value, and keys that are not there.
    EXPECT_EQ(RegEnumerateValue(HKEY_CURRENT_USER, kKey, 3, nullptr, nullptr, nullptr, nullptr, nullptr), TOOLBOX_ERR_REG_ACCESS_VALUE);
    EXPECT_EQ(RegEnumerateValue(HKEY_CURRENT_USER, kKey, -1, nullptr, nullptr, nullptr, nullptr, nullptr), TOOLBOX_ERR_REG_ACCESS_VALUE);
    EXPECT_EQ(RegEnumerateValue(HKEY_CURRENT_USER, "Software\\Missing", 0, nullptr, nullptr, nullptr, nullptr, nullptr), TOOLBOX_ERR_REG_NO_KEY);
}

namespace {
void GrowTheValue() { RegWriteString(HKEY_CURRENT_USER, kKey, "b text", "much longer now"); }
void RetypeTheValue() { RegWriteBinary(HKEY_CURRENT_USER, kKey, "b text", "hi", 3); }
}  // namespace

TEST_F(Registry, EnumerateValueNoticesAValueChangedBetweenItsTwoReads) {
    for (void (*change)() : {GrowTheValue, RetypeTheValue}) {
        ASSERT_EQ(RegWriteString(HKEY_CURRENT_USER, kKey, "b text", "hi"), 0);
        toolbox::testing::SetBetweenEnumerationsHook(change);
        char name[32];
        unsigned nameLength = sizeof name;
        char data[64];
        unsigned dataSize = sizeof data;
        int type = -1;
        EXPECT_EQ(RegEnumerateValue(HKEY_CURRENT_USER, kKey, 0, name, &nameLength, data, &dataSize, &type),
                  TOOLBOX_ERR_REG_ACCESS_VALUE);
        EXPECT_EQ(type, -1) << "nothing of the mixed read is reported as a type";
        toolbox::testing::SetBetweenEnumerationsHook(nullptr);
    }
}

TEST_F(Registry, KeyPathsOfEveryLength) {
    std::string name255(255, 'k'), name256(256, 'k');
    struct Case {
        std::string path;
        int expected;
    } cases[] = {
        {"", 0},                          // the root key itself
        {name255, 0},
        {name256, TOOLBOX_ERR_REG_OPEN_KEY},
        {"A\\\\B", TOOLBOX_ERR_REG_OPEN_KEY},  // an empty name inside the path
        {"\\Leading", TOOLBOX_ERR_REG_OPEN_KEY},
        {"Trailing\\", 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(RegWriteString(HKEY_CURRENT_USER, c.path.c_str(), "v", "x"), c.expected) << c.path.size();
        if (c.expected == 0) {
            EXPECT_EQ(ReadText("V", c.path.c_str()), "x");
        }
    }
    // A value name may hold '\': it is no path.
    EXPECT_EQ(RegWriteString(HKEY_CURRENT_USER, kKey, "a\\b", "slash"), 0);
    EXPECT_EQ(ReadText("a\\b"), "slash");
}

TEST_F(Registry, ABrokenStoreGivesTheOpenCodesAndIsLeftAlone) {
    // The store's path is a folder: nothing can be opened, and nothing is made.
    setenv("WIN32_REGISTRY", store_.folder().c_str(), 1);
    char buffer[8];
    unsigned size = 0;
    EXPECT_EQ(RegWriteString(HKEY_CURRENT_USER, kKey, "v", "x"), TOOLBOX_ERR_REG_OPEN_KEY);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "v", buffer, sizeof buffer, &size), TOOLBOX_ERR_REG_OPEN_KEY);
    setenv("WIN32_REGISTRY", store_.path().c_str(), 1);
}
