// Benchmarks of the strict integer parsers against strtol given the same strictness: the whole
// text must be one decimal number with only white space around it, overflow detected, and no
// hexadecimal, octal or other forms.
#include "toolbox/text/int_parse.h"

#include <benchmark/benchmark.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

const char *const kTexts[] = {"0", "12", "  255 ", "-2147483648", "+000017", "2147483648",
                              "12abc", "0x10", "", " - 1"};

// strtol made as strict as StrToInt: one sign directly before the digits, digits required,
// nothing but white space after, and the value within int.
int StrictStrtol(const char *str, int *value)
{
    const char *p = str;
    while (isspace((unsigned char)*p))
        p++;
    const char *digits = (*p == '+' || *p == '-') ? p + 1 : p;
    if (!isdigit((unsigned char)*digits))
        return 0;
    char *end;
    errno = 0;
    long v = strtol(p, &end, 10);
    if (errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return 0;
    while (isspace((unsigned char)*end))
        end++;
    if (*end != '\0')
        return 0;
    *value = (int)v;
    return 1;
}

void BM_StrToInt(benchmark::State &state)
{
    int value = 0;
    for (auto _ : state) {
        for (const char *t : kTexts)
            benchmark::DoNotOptimize(StrToInt(t, &value));
    }
    state.SetItemsProcessed(state.iterations() * std::size(kTexts));
}
BENCHMARK(BM_StrToInt);

void BM_StrictStrtol(benchmark::State &state)
{
    int value = 0;
    for (auto _ : state) {
        for (const char *t : kTexts)
            benchmark::DoNotOptimize(StrictStrtol(t, &value));
    }
    state.SetItemsProcessed(state.iterations() * std::size(kTexts));
}
BENCHMARK(BM_StrictStrtol);

void BM_StrToUInt(benchmark::State &state)
{
    unsigned int value = 0;
    for (auto _ : state) {
        for (const char *t : kTexts)
            benchmark::DoNotOptimize(StrToUInt(t, &value));
    }
    state.SetItemsProcessed(state.iterations() * std::size(kTexts));
}
BENCHMARK(BM_StrToUInt);

}  // namespace

BENCHMARK_MAIN();
