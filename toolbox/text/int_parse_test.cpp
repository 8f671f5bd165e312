// Tests of the strict integer parsers: each group is a table of texts with the expected outcome.
#include "toolbox/text/int_parse.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

struct IntCase {
    const char *text;
    int ok;
    long long value;  // meaningful only when ok
};

// Runs every case through both parsers; a rejected text must leave the target untouched.
void CheckSigned(const IntCase *cases, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        int value = 12345;
        EXPECT_EQ(StrToInt(cases[i].text, &value), cases[i].ok) << '"' << cases[i].text << '"';
        EXPECT_EQ(value, cases[i].ok ? cases[i].value : 12345) << '"' << cases[i].text << '"';
    }
}

void CheckUnsigned(const IntCase *cases, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        unsigned int value = 777;
        EXPECT_EQ(StrToUInt(cases[i].text, &value), cases[i].ok) << '"' << cases[i].text << '"';
        EXPECT_EQ(value, cases[i].ok ? (unsigned int)cases[i].value : 777u)
            << '"' << cases[i].text << '"';
    }
}

TEST(StrToInt, AcceptsOneNumberWithBlanksAround)
{
    const IntCase cases[] = {
        {"0", 1, 0},         {"12", 1, 12},           {"+12", 1, 12},
        {"012", 1, 12},      {" 12 ", 1, 12},         {"\t\n12\r\n", 1, 12},
        {"-0", 1, 0},        {"-17", 1, -17},         {"  -17\t", 1, -17},
        {"000000000000000000001", 1, 1},              {"\v+5\f", 1, 5},
    };
    CheckSigned(cases, std::size(cases));
}

TEST(StrToInt, RejectsAnythingButOneDecimalNumber)
{
    const IntCase cases[] = {
        {"", 0, 0},      {"   ", 0, 0},   {"+", 0, 0},     {"-", 0, 0},     {" - ", 0, 0},
        {"- 1", 0, 0},   {"1 2", 0, 0},   {"+-1", 0, 0},   {"--1", 0, 0},   {"1-", 0, 0},
        {"0x10", 0, 0},  {"1.0", 0, 0},   {"1e3", 0, 0},   {"12abc", 0, 0}, {"1,000", 0, 0},
        {"1 x", 0, 0},   {"\xef\xbc\x91", 0, 0},  // a full-width digit is not a digit
    };
    CheckSigned(cases, std::size(cases));
}

TEST(StrToInt, DetectsOverflowAtTheLimitsExactly)
{
    const IntCase cases[] = {
        {"2147483647", 1, 2147483647LL},   {"-2147483648", 1, -2147483648LL},
        {"2147483648", 0, 0},              {"-2147483649", 0, 0},
        {"4294967295", 0, 0},              {"4294967296", 0, 0},
        {"-4294967296", 0, 0},             {"99999999999999999999", 0, 0},
        {"0000002147483647", 1, 2147483647LL},
    };
    CheckSigned(cases, std::size(cases));
}

TEST(StrToUInt, AcceptsTheFullUnsignedRangeAndNoMinusSign)
{
    const IntCase cases[] = {
        {"0", 1, 0},                 {"+7", 1, 7},            {" 4294967295 ", 1, 4294967295LL},
        {"4294967296", 0, 0},        {"4294967300", 0, 0},    {"42949672950", 0, 0},
        {"-0", 0, 0},                {"-1", 0, 0},            {"", 0, 0},
        {"1 1", 0, 0},               {"0x1", 0, 0},           {"00000000000000000000001", 1, 1},
    };
    CheckUnsigned(cases, std::size(cases));
}

}  // namespace
