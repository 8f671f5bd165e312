// Tests that every call of the library survives an exhausted heap: each allocation it makes
// fails in turn (through a counting replacement of the global operator new, which the shared
// library's allocations reach too, and one of libmodbus's context maker), and the call then
// returns QM_ERR_MEMORY with its outputs untouched, or succeeds when the failed allocation was
// not needed.
#include "qm7300/QM7300.h"

#include "qm7300/devices_file_testing.h"
#include "qm7300/modbus_peers_testing.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <modbus/modbus.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
std::atomic<long> g_failCountdown{0};  // 0: off; n: the n-th allocation from now fails
std::atomic<bool> g_fired{false};
std::atomic<bool> g_failContexts{false};  // libmodbus cannot make a context
}  // namespace

// Stands in for libmodbus's call in this test program, which the shared library then reaches.
extern "C" modbus_t *modbus_new_tcp_pi(const char *node, const char *service)
{
    using Make = modbus_t *(*)(const char *, const char *);
    static const Make make = reinterpret_cast<Make>(dlsym(RTLD_NEXT, "modbus_new_tcp_pi"));
    return g_failContexts ? nullptr : make(node, service);
}

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

using qm7300::testing::ScopedDevicesFile;

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

TEST(QM7300Memory, ReadingTheDevicesFileListingAndOpeningSurviveAnyFailedAllocation)
{
    qm7300::testing::SilentServer module;  // accepts: enough to open a network device
    ScopedDevicesFile devices("device Alpha\n  version 3.0\ndevice Beta\nlist count 2\n"
                              "device Gamma\n  modbus 127.0.0.1:" + std::to_string(module.port()) + "\n");
    // Each run sees a changed variable (two spellings of one path), so the file is read again.
    const std::string paths[2] = {devices.path(), "./" + devices.path()};
    int flip = 0;
    ForEachNewFailure([&](bool) {
        setenv("QM7300_DEVICES", paths[++flip % 2].c_str(), 1);
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
            EXPECT_STREQ(list, "Alpha,Beta,Gamma");
        }
    });
    for (const char *name : {"Alpha", "Gamma"}) {
        ForEachNewFailure([&](bool) {
            setenv("QM7300_DEVICES", paths[++flip % 2].c_str(), 1);
            int h = -1;
            int status = QM_OpenDIO(name, &h);
            if (g_fired) {
                ASSERT_EQ(status, QM_ERR_MEMORY) << name;
                EXPECT_EQ(h, -1);
            } else {
                ASSERT_EQ(status, QM_OK) << name;
                EXPECT_EQ(QM_CloseDIO(h), QM_OK);
            }
        });
    }
    g_failContexts = true;
    int h = -1;
    char why[QM_ERROR_TEXT_SIZE];
    EXPECT_EQ(QM_OpenDIO("Gamma", &h), QM_ERR_MEMORY);
    g_failContexts = false;
    EXPECT_EQ(h, -1);
    EXPECT_EQ(QM_GetLastError(why), QM_ERR_MEMORY);
    EXPECT_STREQ(why, "The QM7300 library ran out of memory.");
}

}  // namespace
