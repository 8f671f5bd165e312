// Tests of mutexes: recursion for the owner, ownership, time-outs, a name shared by every
// handle in the process, and many threads serialised by one named mutex.
#include "win32/winbase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

TEST(Mutexes, RecursiveForTheOwnerAndReleasedOnlyByIt) {
    HANDLE m = CreateMutexA(nullptr, TRUE, nullptr);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0) << "the owner takes it again";
    DWORD fromOther = 0;
    BOOL releasedByOther = TRUE;
    std::thread([&] {
        fromOther = WaitForSingleObject(m, 50);
        releasedByOther = ReleaseMutex(m);
    }).join();
    EXPECT_EQ(fromOther, static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(releasedByOther);
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_FALSE(ReleaseMutex(m)) << "more releases than holdings";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    std::thread([&] { fromOther = WaitForSingleObject(m, 0); ReleaseMutex(m); }).join();
    EXPECT_EQ(fromOther, WAIT_OBJECT_0);
    EXPECT_TRUE(CloseHandle(m));
    EXPECT_FALSE(CloseHandle(m));
    EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_FAILED);
}

TEST(Mutexes, ANameIsOneMutexForTheProcess) {
    std::string name = "win32 test mutex " + std::to_string(GetCurrentProcessId());
    HANDLE first = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    HANDLE second = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(first, second);
    ASSERT_EQ(WaitForSingleObject(first, INFINITE), WAIT_OBJECT_0);
    DWORD other = 0;
    std::thread([&] { other = WaitForSingleObject(second, 20); }).join();
    EXPECT_EQ(other, static_cast<DWORD>(WAIT_TIMEOUT)) << "held through the other handle";
    EXPECT_TRUE(ReleaseMutex(second)) << "either handle releases it";
    CloseHandle(first);
    CloseHandle(second);
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, std::string(201, 'n').c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Mutexes, ThreadsOpeningOneNameAreSerialised) {
    std::string name = "win32 counter lock/" + std::to_string(GetCurrentProcessId());
    int counter = 0;  // guarded by the named mutex alone
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                HANDLE m = CreateMutexA(nullptr, FALSE, name.c_str());
                ASSERT_NE(m, nullptr);
                ASSERT_EQ(WaitForSingleObject(m, INFINITE), WAIT_OBJECT_0);
                int seen = counter;
                std::this_thread::yield();
                counter = seen + 1;
                ReleaseMutex(m);
                CloseHandle(m);
            }
        });
    }
    for (auto &t : threads) t.join();
    EXPECT_EQ(counter, 1600);
}
