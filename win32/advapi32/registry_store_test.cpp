// Tests of the registry store itself: a writer killed at random moments loses nothing it
// reported, damaged or foreign files are refused and left as they were, and a store locked by
// another writer gives an error within the time limit instead of hanging.
#include "win32/winreg.h"

#include "rte/waiting_testing.h"
#include "win32/advapi32/registry_store_testing.h"
#include "win32/registry_scratch_testing.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace {

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

LONG ReadDword(const char *key, const char *name, DWORD *value) {
    HKEY k = nullptr;
    LONG e = RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &k);
    if (e != ERROR_SUCCESS) return e;
    DWORD size = sizeof *value;
    e = RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size);
    RegCloseKey(k);
    return e;
}

LONG WriteDword(const char *key, const char *name, DWORD value) {
    HKEY k = nullptr;
    LONG e = RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr);
    if (e != ERROR_SUCCESS) return e;
    e = RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
    RegCloseKey(k);
    return e;
}

// The writer's reports in what it printed: whole lines of digits alone.
size_t WholeReports(const std::string &text) {
    size_t count = 0, start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        if (end > start && text.find_first_not_of("0123456789", start) == end) ++count;
    }
    return count;
}

}  // namespace

// The writer of the kill test; runs only as its child. Writes "Crash\v<i>" = i for i from
// REGISTRY_CRASH_FROM on and prints i after each write has returned.
TEST(RegistryCrashWriter, WritesUntilKilled) {
    const char *from = std::getenv("REGISTRY_CRASH_FROM");
    if (from == nullptr) GTEST_SKIP() << "runs as the child of the kill test";
    for (DWORD i = static_cast<DWORD>(std::atoi(from));; ++i) {
        std::string name = "v" + std::to_string(i);
        if (WriteDword("Crash", name.c_str(), i) != ERROR_SUCCESS) _exit(2);
        std::printf("%u\n", i);
        std::fflush(stdout);
    }
}

TEST(RegistryStore, AWriterKilledAtAnyMomentLosesNothingItReported) {
    win32::testing::ScratchRegistry store;
    std::mt19937 random(20240607);
    unsigned next = 0;
    std::set<unsigned> reported;
    for (int round = 0; round < 20; ++round) {
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        pid_t child = fork();
        if (child == 0) {
            dup2(out[1], 1);
            close(out[0]);
            setenv("REGISTRY_CRASH_FROM", std::to_string(next).c_str(), 1);
            execl("/proc/self/exe", "writer", "--gtest_filter=RegistryCrashWriter.*", nullptr);
            _exit(127);
        }
        close(out[1]);
        // It is killed at a random moment of its writing: once it has reported two writes (on a
        // busy machine its start alone may take seconds), after a random while more.
        std::string text;
        char buffer[4096];
        bool open = true;
        auto readUntil = [&](auto done, std::chrono::steady_clock::time_point until) {
            while (open && !done() && std::chrono::steady_clock::now() < until) {
                fd_set readable;
                FD_ZERO(&readable);
                FD_SET(out[0], &readable);
                struct timeval tick = {0, 5000};
                if (select(out[0] + 1, &readable, nullptr, nullptr, &tick) > 0) {
                    ssize_t n = read(out[0], buffer, sizeof buffer);
                    open = n > 0;
                    if (open) text.append(buffer, static_cast<size_t>(n));
                }
            }
        };
        auto now = std::chrono::steady_clock::now();
        readUntil([&] { return WholeReports(text) >= 2; }, now + rte::testing::kPatience);
        readUntil([] { return false; }, std::chrono::steady_clock::now() + std::chrono::milliseconds(random() % 300));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ssize_t n;
        while ((n = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
        close(out[0]);
        // Lines of digits alone are the writer's reports (the rest is the test runner's).
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.empty() || line.find_first_not_of("0123456789") != std::string::npos) continue;
            if (lines.eof()) break;  // cut off by the kill: not a whole report
            unsigned value = static_cast<unsigned>(std::stoul(line));
            reported.insert(value);
            next = value + 1;
        }
        // The store opens cleanly (the store checks itself on opening) and holds every value.
        win32::registry::testing::CloseThreadConnection();
        for (unsigned v : reported) {
            DWORD read = 0xFFFFFFFF;
            std::string name = "v" + std::to_string(v);
            ASSERT_EQ(ReadDword("Crash", name.c_str(), &read), ERROR_SUCCESS) << "round " << round << ", " << name;
            ASSERT_EQ(read, v);
        }
    }
    EXPECT_GT(reported.size(), 20u) << "the writer hardly wrote";
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(store.path().c_str(), &db), SQLITE_OK);
    sqlite3_stmt *check = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);
}

TEST(RegistryStore, FilesThatAreNoRegistryAreRefusedAndNeverWritten) {
    win32::testing::ScratchRegistry store;
    // A registry with a value, then its pages damaged behind the header.
    ASSERT_EQ(WriteDword("Key", "v", 1), ERROR_SUCCESS);
    win32::registry::testing::CloseThreadConnection();
    std::string good = ReadFile(store.path());
    ASSERT_GE(good.size(), 8192u);
    std::string damaged = good;
    for (size_t i = 4096 + 100; i < damaged.size(); i += 7) damaged[i] = static_cast<char>(0xA5);

    // Another program's SQLite database.
    std::string foreign = store.folder() + "/foreign.db";
    sqlite3 *db = nullptr;
    sqlite3_open(foreign.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES(1)", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    struct Case {
        const char *what;
        std::string bytes;
    } cases[] = {
        {"text", "this is not a database, and must stay as it is\n"},
        {"damaged registry", damaged},
        {"another program's database", ReadFile(foreign)},
    };
    for (const auto &c : cases) {
        win32::registry::testing::CloseThreadConnection();
        WriteFile(store.path(), c.bytes);
        DWORD value = 0;
        EXPECT_EQ(WriteDword("Key", "v", 2), ERROR_BADDB) << c.what;
        EXPECT_EQ(ReadDword("Key", "v", &value), ERROR_BADDB) << c.what;
        EXPECT_EQ(ReadFile(store.path()), c.bytes) << c.what << " was changed";
    }
    win32::registry::testing::CloseThreadConnection();
}

TEST(RegistryStore, AWriterHeldUpByAnotherGivesUpWithinTheLimit) {
    win32::testing::ScratchRegistry store;
    ASSERT_EQ(WriteDword("Key", "v", 1), ERROR_SUCCESS);
    // Another connection holds the write lock.
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(store.path().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    win32::registry::testing::SetBusyLimit(300);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WriteDword("Key", "v", 2), ERROR_CANTWRITE);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
    // Readers are not held up by the writer (WAL).
    DWORD value = 0;
    EXPECT_EQ(ReadDword("Key", "v", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    // Once the lock is given up, writing works again; a writer that waits a little gets in.
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    EXPECT_EQ(WriteDword("Key", "v", 3), ERROR_SUCCESS);
    release.join();
    sqlite3_close(other);
    win32::registry::testing::SetBusyLimit(5000);
    EXPECT_EQ(ReadDword("Key", "v", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 3u);
}
