// Tests that every call of the library survives an exhausted heap: each allocation it makes
// fails in turn (through a counting replacement of the global operator new, which the shared
// library's allocations reach too), and the call then returns QM_ERR_MEMORY with its outputs
// untouched, or succeeds when the failed allocation was not needed.
#include "qm7300/QM7300.h"

#include "qm7300/sim_test_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
std::atomic<long> g_failCountdown{0};  // 0: off; n: the n-th allocation from now fails
std::atomic<bool> g_fired{false};
}  // namespace

void *operator new(size_t size)
{
    long n = g_failCountdown.load();
    if (n > 0 && g_failCountdown.fetch_sub(1) == 1) {
        g_fired = true;
        throw std::bad_alloc();
    }
    void *p = malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}
// Kept out of line: inlined into a caller, the free of a block that came from operator new
// would look like a mismatched pair to the optimiser's checks.
[[gnu::noinline]] void operator delete(void *p) noexcept { free(p); }
[[gnu::noinline]] void operator delete(void *p, size_t) noexcept { free(p); }

namespace {

using qm7300::testing::ScopedSimFile;

// Runs call with the n-th allocation failing, for n = 1, 2, ... until a run needs fewer.
template <typename Call>
void ForEachNewFailure(Call call)
{
    for (long n = 1;; n++) {
        g_fired = false;
        g_failCountdown = n;
        call(true);
        g_failCountdown = 0;
        if (!g_fired)
            break;
    }
}

TEST(QM7300Memory, ReadingTheSimFileAndListingSurviveAnyFailedAllocation)
{
    ScopedSimFile sim("device Alpha\n  version 3.0\ndevice Beta\nlist count 2\n");
    // Each run sees a changed variable (two spellings of one path), so the file is read again.
    const std::string paths[2] = {sim.path(), "./" + sim.path()};
    int flip = 0;
    ForEachNewFailure([&](bool) {
        setenv("QM7300_SIM", paths[++flip % 2].c_str(), 1);
        int count = -1;
        char list[QM_LIST_TEXT_SIZE] = "old", second[QM_LIST_TEXT_SIZE] = "";
        int status = QM_ListDIO(&count, list, second);
        if (g_fired) {
            ASSERT_EQ(status, QM_ERR_MEMORY);
            EXPECT_EQ(count, -1);
            EXPECT_STREQ(list, "old");
            EXPECT_STREQ(second, "The QM7300 library ran out of memory.");
        } else {
            ASSERT_EQ(status, QM_OK);
            EXPECT_STREQ(list, "Alpha,Beta");
        }
    });
}

}  // namespace
