// Tests that the library may be called from several threads at once: each thread opens its own
// handles, writes and reads back a device, and lists; nothing fails and no handle is shared; and
// a network device that is silent holds up no other.
#include "qm7300/QM7300.h"

#include "qm7300/devices_file_testing.h"
#include "qm7300/modbus_peers_testing.h"
#include "qm7300/sim_server/sim_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

TEST(QM7300Threads, ConcurrentCallsKeepHandlesDistinctAndLatchesWhole)
{
    constexpr int kThreads = 4, kRounds = 200;
    std::vector<std::vector<int>> seen(kThreads);
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; t++) {
        threads.emplace_back([t, &seen, &failures] {
            // Threads 0 and 2 share QM7300-0, 1 and 3 QM7300-1, on different ports.
            const char *name = (t % 2) ? "QM7300-1" : "QM7300-0";
            int out = (t < 2) ? 16 : 17, in = out - 16;
            char err[QM_ERROR_TEXT_SIZE], list[QM_LIST_TEXT_SIZE];
            for (int r = 0; r < kRounds; r++) {
                int h = 0, count = 0;
                unsigned char v = 0;
                if (QM_OpenDIO(name, &h) != QM_OK || QM_WritePort(h, out, (unsigned char)r, err) ||
                    QM_ReadPort(h, in, &v, err) || v != (unsigned char)r ||
                    QM_ListDIO(&count, list, nullptr) || count != 2)
                    failures[t]++;
                seen[t].push_back(h);
                if (r % 2)
                    QM_CloseDIO(h);  // every other handle stays open to the end
            }
        });
    }
    for (std::thread &th : threads)
        th.join();
    std::set<int> open;
    for (int t = 0; t < kThreads; t++) {
        EXPECT_EQ(failures[t], 0);
        for (int r = 0; r < kRounds; r += 2)
            EXPECT_TRUE(open.insert(seen[t][r]).second) << "handle given twice";
    }
    for (int h : open)
        EXPECT_EQ(QM_CloseDIO(h), QM_OK);
}

// Two threads on two modules on the network, one of them silent: the other thread's calls run
// at their own pace while the first waits for its answer, and so do listing and opening, which
// need the library's table lock.
TEST(QM7300Threads, ASilentModuleDelaysOnlyCallsOnItself)
{
    qm7300::testing::SilentServer silent;
    std::string error;
    auto server = qm7300::SimServer::Listen(qm7300::DefaultDevices(), "127.0.0.1", 0, 4, &error);
    ASSERT_NE(server, nullptr) << error;
    std::thread serving([&] { server->Run(); });
    const std::string &address = server->Address();
    qm7300::testing::ScopedDevicesFile devices(
        "device mute\n  modbus 127.0.0.1:" + std::to_string(silent.port()) + "\n  timeout 60000\n"
        "device live\n  modbus " + address + "\n");

    int muteStatus = 0;
    std::atomic<bool> muteReturned{false};
    std::thread waiting([&] {
        int h = 0;
        unsigned char v;
        char err[QM_ERROR_TEXT_SIZE];
        if (QM_OpenDIO("mute", &h) == QM_OK)
            muteStatus = QM_ReadPort(h, 0, &v, err);
        muteReturned = true;
        QM_CloseDIO(h);
    });
    ASSERT_TRUE(silent.WaitForRequest());

    int failures = 0;
    std::thread working([&] {
        char err[QM_ERROR_TEXT_SIZE], list[QM_LIST_TEXT_SIZE];
        for (int r = 0; r < 50; r++) {
            int h = 0, count = 0;
            unsigned char v = 0;
            if (QM_ListDIO(&count, list, nullptr) != QM_OK || QM_OpenDIO("live", &h) != QM_OK ||
                QM_WritePort(h, 16, (unsigned char)r, err) != QM_OK ||
                QM_ReadPort(h, 0, &v, err) != QM_OK || v != r)
                failures++;
            QM_CloseDIO(h);
        }
    });
    working.join();
    EXPECT_EQ(failures, 0);
    EXPECT_FALSE(muteReturned) << "the silent module's time-out is a minute";

    // The silent module goes away: its call finds the connection closed, tries once more, is
    // refused, and returns.
    silent.Close();
    waiting.join();
    EXPECT_EQ(muteStatus, QM_ERR_DEVICE);
    server->Stop();
    serving.join();
}
