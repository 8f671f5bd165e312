// Concurrency of the registry store: 4 processes of 4 threads each write distinct values at
// once into one key, one thread of each inside a transaction, and none is lost. The threads
// also run under ThreadSanitizer.
#include "win32/winreg.h"

#include "win32/registry_scratch_testing.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kThreads = 4;
constexpr int kProcesses = 4;
constexpr int kValuesPerThread = 25;

LONG Write(const std::string &name, DWORD value) {
    HKEY key = nullptr;
    LONG e = RegCreateKeyExA(HKEY_CURRENT_USER, "Shared\\Counters", 0, nullptr, 0, KEY_SET_VALUE,
                             nullptr, &key, nullptr);
    if (e != ERROR_SUCCESS) return e;
    e = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
    RegCloseKey(key);
    return e;
}

// Writes this process's share from kThreads threads; false when any write failed.
bool WriteShare(int process) {
    std::vector<std::thread> threads;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, process, &failures] {
            bool transaction = t == 0;
            if (transaction && RegBeginTransaction() != ERROR_SUCCESS) failures[t]++;
            for (int i = 0; i < kValuesPerThread; ++i) {
                std::string name = "p" + std::to_string(process) + "t" + std::to_string(t) + "v" + std::to_string(i);
                if (Write(name, static_cast<DWORD>(process * 10000 + t * 100 + i)) != ERROR_SUCCESS) failures[t]++;
            }
            if (transaction && RegCommitTransaction() != ERROR_SUCCESS) failures[t]++;
        });
    }
    for (auto &t : threads) t.join();
    for (int f : failures) {
        if (f != 0) return false;
    }
    return true;
}

}  // namespace

// One writer process of the test below; runs only as its child.
TEST(RegistryConcurrentWriter, WritesItsShare) {
    const char *process = std::getenv("REGISTRY_WRITER");
    if (process == nullptr) GTEST_SKIP() << "runs as a child of the concurrency test";
    EXPECT_TRUE(WriteShare(std::atoi(process)));
}

TEST(RegistryStore, ProcessesAndThreadsWritingAtOnceLoseNothing) {
    win32::testing::ScratchRegistry store;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t child = fork();
        if (child == 0) {
            setenv("REGISTRY_WRITER", std::to_string(p).c_str(), 1);
            execl("/proc/self/exe", "writer", "--gtest_filter=RegistryConcurrentWriter.*", nullptr);
            _exit(127);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed";
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Shared\\Counters", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(values, static_cast<DWORD>(kProcesses * kThreads * kValuesPerThread));
    for (int p = 0; p < kProcesses; ++p) {
        for (int t = 0; t < kThreads; ++t) {
            for (int i = 0; i < kValuesPerThread; ++i) {
                std::string name = "p" + std::to_string(p) + "t" + std::to_string(t) + "v" + std::to_string(i);
                DWORD value = 0, size = sizeof value;
                ASSERT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size), ERROR_SUCCESS) << name;
                EXPECT_EQ(value, static_cast<DWORD>(p * 10000 + t * 100 + i));
            }
        }
    }
    RegCloseKey(key);
}
