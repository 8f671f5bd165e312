// Tests of the bounded device list scan: it must agree with sscanf "%[^,],%s" on every text
// whose pieces fit. Over-long names are tested through the panel (QM7300_Test_test.cpp).
#include "app/device_list_scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

namespace {

TEST(ScanDeviceListEntry, AgreesWithTheScanfFormWhenEverythingFits)
{
    // Random texts over a small alphabet rich in the characters that matter: commas, blanks,
    // tabs and line ends, empty texts, leading and doubled commas.
    std::mt19937 rng(7300);
    const char alphabet[] = "ab, \t\n,";
    for (int i = 0; i < 20000; i++) {
        std::string t(rng() % 22, ' ');
        for (char &c : t)
            c = alphabet[rng() % (sizeof alphabet - 1)];
        char n1[24] = "?", r1[1024] = "?", n2[24] = "?", r2[1024] = "?";
        int expected = sscanf(t.c_str(), "%[^,],%s", n1, r1);
        ASSERT_EQ(ScanDeviceListEntry(t.c_str(), n2, sizeof n2, r2, sizeof r2), expected) << t;
        if (expected >= 1) {
            ASSERT_STREQ(n2, n1) << t;
        }
        if (expected == 2) {
            ASSERT_STREQ(r2, r1) << t;
        }
    }
}

}  // namespace
