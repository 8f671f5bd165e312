// Tests of the error texts: the library's codes, the ranges of GetGeneralErrorString, the
// data-acquisition status table, and the break-on-library-errors switch.
#include "toolbox/core/errors.h"

#include "rte/engine.h"
#include "rte/ui.h"
#include "toolbox/core/daq_errors_internal.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>

namespace {

bool StartsWith(const char *text, const char *prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

TEST(ErrorStrings, ToolboxCodesIgnoreTheSign) {
    EXPECT_STREQ(GetToolboxErrorString(-5003), "Could Not Find Unused Temporary File Name");
    EXPECT_STREQ(GetToolboxErrorString(5003), "Could Not Find Unused Temporary File Name");
    EXPECT_STREQ(GetToolboxErrorString(TOOLBOX_ERR_SYSTEM), "Unknown system error");
    EXPECT_STREQ(GetToolboxErrorString(TOOLBOX_ERR_MSG_CALLBACK_INSTALLED), "Message-callback already installed.");
    for (int gap : {-5007, -5020, -5086, -5091, -5092, -5000, -5999, 0, INT_MIN})
        EXPECT_STREQ(GetToolboxErrorString(gap), "No description available. ") << gap;
    // Every named code has a text of its own.
    int named = 0;
    for (int code = -5001; code >= -5095; --code) {
        if (std::strcmp(GetToolboxErrorString(code), "No description available. ") != 0) {
            ++named;
            EXPECT_STREQ(GetGeneralErrorString(code), GetToolboxErrorString(code));
        }
    }
    EXPECT_EQ(named, 38);
}

TEST(ErrorStrings, GeneralLookupDispatchesByMagnitude) {
    EXPECT_STREQ(GetGeneralErrorString(-6000), "Invalid or corrupt language file");
    EXPECT_STREQ(GetGeneralErrorString(6000), "Invalid or corrupt language file");
    for (int code : {-1000, -4999, -6001, -7000, -9000, -9999, -11000, 11000, INT_MIN, INT_MAX})
        EXPECT_STREQ(GetGeneralErrorString(code), "No description available. ") << code;
    EXPECT_STREQ(GetGeneralErrorString(5071), "Out of memory");
    EXPECT_STREQ(GetGeneralErrorString(-12), GetUILErrorString(-12));
    EXPECT_STREQ(GetGeneralErrorString(-65), GetUILErrorString(-65));
}

TEST(ErrorStrings, DataAcquisitionCodesTryTheNegationToo) {
    EXPECT_TRUE(StartsWith(GetGeneralErrorString(-10034), "noSuchMessageErr: "));
    EXPECT_STREQ(GetGeneralErrorString(10034), GetGeneralErrorString(-10034));
    EXPECT_TRUE(StartsWith(GetGeneralErrorString(10012), "badRangeWarn: "));
    EXPECT_TRUE(StartsWith(GetGeneralErrorString(-10012), "badRangeErr: "));
    EXPECT_STREQ(GetGeneralErrorString(10012) + std::strlen("badRangeWarn: "),
                 GetGeneralErrorString(-10012) + std::strlen("badRangeErr: "));
    EXPECT_TRUE(StartsWith(GetGeneralErrorString(-10800), "timeOutErr: "));
    EXPECT_TRUE(StartsWith(GetGeneralErrorString(-10942), "invalidResetSignatureErr: "));
    EXPECT_TRUE(StartsWith(GetGeneralErrorString(-10001), "syntaxErr: "));
    EXPECT_STREQ(GetGeneralErrorString(-10039), "No description available. ");
    EXPECT_STREQ(GetGeneralErrorString(-10999), "No description available. ");
}

TEST(ErrorStrings, StatusTableHasEveryCodeOnceInOneForm) {
    int entries = 0;
    std::set<std::string> names;
    for (int code = SHRT_MIN; code <= SHRT_MAX; ++code) {
        const char *text = toolbox::DaqErrorText(static_cast<short>(code));
        if (text == nullptr)
            continue;
        ++entries;
        size_t length = std::strlen(text);
        ASSERT_GT(length, 2u) << code;
        EXPECT_EQ(text[length - 1], ' ') << code;
        if (code != 0) {
            const char *colon = std::strstr(text, ": ");
            ASSERT_NE(colon, nullptr) << code;
            names.insert(std::string(text, colon));
        }
    }
    EXPECT_EQ(entries, 245);
    EXPECT_EQ(names.size(), 243u) << "-60 and -10401 share unknownDeviceErr";
    EXPECT_STREQ(toolbox::DaqErrorText(0), "No error. ");
    EXPECT_EQ(toolbox::DaqErrorText(-60), toolbox::DaqErrorText(-10401));
    EXPECT_TRUE(StartsWith(toolbox::DaqErrorText(-9000), "cmdSyntaxErr: "));
    EXPECT_EQ(toolbox::DaqErrorText(-10039), nullptr);
}

TEST(ErrorStrings, SetBOLERestoresTheSetting) {
    int original = GetBreakOnLibraryErrors();
    int before = SetBOLE(0);
    EXPECT_EQ(before, original);
    EXPECT_EQ(GetBreakOnLibraryErrors(), 0);
    EXPECT_EQ(SetBOLE(1), 0);
    EXPECT_EQ(GetBreakOnLibraryErrors(), 1);
    SetBOLE(before);
    EXPECT_EQ(GetBreakOnLibraryErrors(), original);
}

}  // namespace
