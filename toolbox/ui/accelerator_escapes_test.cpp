// Tests of accelerator escapes in labels, in single-byte text and under code page 932, with
// texts that end in underscores or in a lone lead byte.
#include "toolbox/ui/ui_services.h"

#include "rte/mbs_testing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Case {
    const char *text;
    int at0;    // location in single-byte text
    int at932;  // location under code page 932
};

// \x82 is a lead byte of code page 932 and \x5F ('_') one of its trail bytes.
const Case kCases[] = {
    {"__File", 0, 0},
    {"Save __As", 5, 5},
    {"a___b", -1, -1},
    {"____x__y", 5, 5},    // the run hides x; the scan goes on after it
    {"___x__y", 4, 4},
    {"ends__", -1, -1},
    {"ends_", -1, -1},
    {"__", -1, -1},
    {"_", -1, -1},
    {"", -1, -1},
    {"\x82\x5F_x", 1, -1},       // under 932 the first underscore is the trail byte of a character
    {"\x82\x5F__x", -1, 2},     // single-byte: a run of three underscores
    {"__\x82\x5F", 0, 0},        // the accelerator is a double-byte character
    {"ab\x82", -1, -1},          // a lone lead byte at the end
    {"a\x82__\x82", 2, -1},      // under 932 \x82_ is one character, then "_" and a lone lead byte
    {"__\x82", 0, 0},
};

TEST(AcceleratorEscapes, TheEscapeIsFoundByWholeCharacters) {
    for (int codePage : {0, 932}) {
        rte::testing::ScopedCodePage cp(codePage);
        for (const Case &k : kCases) {
            EXPECT_EQ(AcceleratorEscapeCodeLocation(k.text), codePage ? k.at932 : k.at0)
                << "code page " << codePage << ": " << k.text;
        }
    }
    EXPECT_EQ(AcceleratorEscapeCodeLocation(nullptr), -1);
}

TEST(AcceleratorEscapes, RemovingTakesOutTheTwoUnderscoresOnly) {
    for (int codePage : {0, 932}) {
        rte::testing::ScopedCodePage cp(codePage);
        for (const Case &k : kCases) {
            // A buffer of exactly the text's size: reading past its end would show under ASan.
            std::string original = k.text;
            char *text = new char[original.size() + 1];
            std::memcpy(text, original.c_str(), original.size() + 1);
            RemoveAcceleratorEscapeCode(text);
            int at = codePage ? k.at932 : k.at0;
            std::string expected = at < 0 ? original : original.erase(static_cast<size_t>(at), 2);
            EXPECT_EQ(std::string(text), expected) << "code page " << codePage << ": " << k.text;
            delete[] text;
        }
    }
    RemoveAcceleratorEscapeCode(nullptr);
    char saveAs[] = "Save __As";
    RemoveAcceleratorEscapeCode(saveAs);
    EXPECT_STREQ(saveAs, "Save As");
}

}  // namespace
