// Tests of the registry store itself: a writer killed at random moments loses nothing it
// reported, damaged or foreign files are refused and left as they were, a store locked by
// another writer gives an error within the time limit instead of hanging, a failed commit or
// allocation leaves nothing behind, exit handlers may use the store, and a store that cannot be
// written is read and refused for writing.
#include "win32/winreg.h"

#include "rte/alloc_new_testing.h"
#include "rte/alloc_testing.h"
#include "rte/waiting_testing.h"
#include "win32/advapi32/registry_store_testing.h"
#include "win32/registry_scratch_testing.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

// Runs the tests of this program matching filter in a child process with the variable
// childVariable set (as user uid when not 0) and gives its exit status (128 + signal when
// killed).
int RunChild(const char *filter, const char *childVariable, uid_t uid = 0) {
    pid_t child = fork();
    if (child == 0) {
        if (uid != 0 && (setgid(uid) != 0 || setuid(uid) != 0)) _exit(126);
        setenv(childVariable, "1", 1);
        std::string filterOption = std::string("--gtest_filter=") + filter;
        execl("/proc/self/exe", "child", filterOption.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Whether another connection can take the store's write lock now.
bool StoreIsUnlocked(const std::string &path) {
    sqlite3 *db = nullptr;
    bool free = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                sqlite3_exec(db, "BEGIN IMMEDIATE; ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return free;
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
        ASSERT_FALSE(WIFEXITED(status)) << "the writer ended by itself, status " << WEXITSTATUS(status) << ":\n" << text;
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

// The child of the exit test: uses the store, then again from an exit handler registered before
// its first use, which runs after the main thread's thread-local objects are gone and after
// everything the store set up for the process's end.
TEST(RegistryExitChild, UsesTheStoreFromAnExitHandler) {
    if (std::getenv("REGISTRY_EXIT_CHILD") == nullptr) GTEST_SKIP() << "runs as the child of the exit test";
    std::atexit([] {
        DWORD value = 0;
        if (WriteDword("Exit", "atexit", 2) != ERROR_SUCCESS || ReadDword("Exit", "during", &value) != ERROR_SUCCESS ||
            value != 1) {
            _exit(3);
        }
    });
    ASSERT_EQ(WriteDword("Exit", "during", 1), ERROR_SUCCESS);
}

TEST(RegistryStore, ExitHandlersMayUseTheStore) {
    win32::testing::ScratchRegistry store;
    EXPECT_EQ(RunChild("RegistryExitChild.*", "REGISTRY_EXIT_CHILD"), 0);
    DWORD value = 0;
    EXPECT_EQ(ReadDword("Exit", "atexit", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
}

TEST(RegistryStore, AFailedCommitLeavesNoPathThatLeadsElsewhere) {
    win32::testing::ScratchRegistry store;
    ASSERT_EQ(WriteDword("First", "v", 1), ERROR_SUCCESS);
    // The disk is full when the new key is committed.
    struct rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    struct rlimit full = limit;
    full.rlim_cur = 0;
    void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    LONG failed = WriteDword("Victim", "v", 2);
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(failed, ERROR_CANTWRITE);
    // Space is back: another key is made, and the victim's path does not lead to it.
    ASSERT_EQ(WriteDword("Other", "v", 3), ERROR_SUCCESS);
    DWORD value = 0;
    EXPECT_EQ(ReadDword("Victim", "v", &value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadDword("Other", "v", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 3u);
}

TEST(RegistryStore, AnAllocationFailingInAWriteGivesUpTheWriteLock) {
    win32::testing::ScratchRegistry store;
    ASSERT_EQ(WriteDword("Key", "v", 1), ERROR_SUCCESS);
    DWORD value = 7;
    rte::testing::ForEachAllocationFailure([&](bool injected) {
        win32::registry::testing::CloseThreadConnection();  // the same allocations every time
        HKEY key = nullptr;
        LONG e;
        {
            rte::testing::ScopedNewFaults faults;
            e = RegCreateKeyExA(HKEY_CURRENT_USER, "Key\\Deeper", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
            if (e == ERROR_SUCCESS) {
                e = RegSetValueExA(key, "v", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
            }
        }
        if (key != nullptr) RegCloseKey(key);
        // A few allocations only serve the path cache: the call succeeds without them.
        EXPECT_TRUE(e == ERROR_SUCCESS || (injected && e == ERROR_NOT_ENOUGH_MEMORY)) << e;
        DWORD read = 0;
        EXPECT_EQ(ReadDword("Key\\Deeper", "v", &read) == ERROR_SUCCESS && read == value, e == ERROR_SUCCESS);
        EXPECT_TRUE(StoreIsUnlocked(store.path())) << "the write lock is still held";
        RegDeleteKeyA(HKEY_CURRENT_USER, "Key\\Deeper");
    });
}

// The child of the read-only test, as a user the permissions apply to. The store holds
// Key\v = 1 and no other connection is open.
TEST(RegistryReadOnlyChild, ReadsAndRefusesWritesUntilWritable) {
    if (std::getenv("REGISTRY_READONLY_CHILD") == nullptr) GTEST_SKIP() << "runs as the child of the read-only test";
    std::string path = std::getenv("WIN32_REGISTRY");
    std::string folder = path.substr(0, path.rfind('/'));
    struct Case {
        const char *what;
        mode_t file, folder;
    } cases[] = {{"a read-only file", 0400, 0700}, {"a read-only folder", 0600, 0500}};
    for (const auto &c : cases) {
        win32::registry::testing::CloseThreadConnection();
        ASSERT_EQ(chmod(path.c_str(), c.file), 0);
        ASSERT_EQ(chmod(folder.c_str(), c.folder), 0);
        DWORD value = 0;
        EXPECT_EQ(ReadDword("Key", "v", &value), ERROR_SUCCESS) << c.what;
        EXPECT_EQ(value, 1u) << c.what;
        EXPECT_EQ(WriteDword("Key", "v", 2), ERROR_ACCESS_DENIED) << c.what;
        EXPECT_EQ(WriteDword("New", "v", 2), ERROR_ACCESS_DENIED) << c.what;
        chmod(path.c_str(), 0600);
        chmod(folder.c_str(), 0700);
        EXPECT_EQ(WriteDword("Key", "v", 3), ERROR_SUCCESS) << c.what << ", once writable again";
        EXPECT_EQ(WriteDword("Key", "v", 1), ERROR_SUCCESS);
        // No file of the store is left that its owner cannot read and write.
        DIR *dir = opendir(folder.c_str());
        ASSERT_NE(dir, nullptr);
        while (struct dirent *entry = readdir(dir)) {
            struct stat st;
            std::string file = folder + "/" + entry->d_name;
            if (entry->d_name[0] != '.' && stat(file.c_str(), &st) == 0) {
                EXPECT_EQ(st.st_mode & 0600, 0600u) << c.what << ": " << file;
            }
        }
        closedir(dir);
    }
}

TEST(RegistryStore, AStoreThatCannotBeWrittenIsReadAndRefusesWrites) {
    win32::testing::ScratchRegistry store;
    ASSERT_EQ(WriteDword("Key", "v", 1), ERROR_SUCCESS);
    win32::registry::testing::CloseThreadConnection();
    // Permissions bind every user but root: as root, the child runs as nobody.
    uid_t user = geteuid() == 0 ? 65534 : 0;
    if (user != 0) {
        for (const std::string &file : {store.folder(), store.path()}) ASSERT_EQ(chown(file.c_str(), user, user), 0);
    }
    EXPECT_EQ(RunChild("RegistryReadOnlyChild.*", "REGISTRY_READONLY_CHILD", user), 0);
}

TEST(RegistryStore, AStoreOfTheFirstVersionIsMigratedKeepingEveryName) {
    win32::testing::ScratchRegistry store;
    // Version 1 folded ASCII letters only: "Émile" and "émile" were two keys, "Näme" and
    // "NÄME" two values. Such a store, from one of today's made with a key "Plain":
    ASSERT_EQ(WriteDword("Plain", "x", 0), ERROR_SUCCESS);
    win32::registry::testing::CloseThreadConnection();
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(store.path().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "DELETE FROM vals;"
                           "INSERT INTO keys(parent,name,folded) VALUES (2,CAST('\xC3\x89mile' AS BLOB),CAST('\xC3\x89mile' AS BLOB)),"
                           " (2,CAST('\xC3\xA9mile' AS BLOB),CAST('\xC3\xA9mile' AS BLOB));"
                           "INSERT INTO vals SELECT id,CAST('N\xC3\xA4me' AS BLOB),CAST('n\xC3\xA4me' AS BLOB),4,x'01000000' FROM keys WHERE name=CAST('Plain' AS BLOB);"
                           "INSERT INTO vals SELECT id,CAST('N\xC3\x84ME' AS BLOB),CAST('n\xC3\x84me' AS BLOB),4,x'02000000' FROM keys WHERE name=CAST('Plain' AS BLOB);"
                           "PRAGMA user_version=1;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    // Found across Unicode now; the names that became one are both kept.
    DWORD value = 0;
    EXPECT_EQ(ReadDword("PLAIN", "N\xC3\xA4ME", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(ReadDword("plain", "n\xC3\x84me (2)", &value), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
    HKEY key = nullptr;
    for (const char *name : {"\xC3\x89MILE", "\xC3\x89mile (2)"}) {
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, name, 0, KEY_READ, &key), ERROR_SUCCESS) << name;
        RegCloseKey(key);
    }
    win32::registry::testing::CloseThreadConnection();
    ASSERT_EQ(sqlite3_open(store.path().c_str(), &db), SQLITE_OK);
    sqlite3_stmt *version = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &version, nullptr);
    ASSERT_EQ(sqlite3_step(version), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(version, 0), 2);
    sqlite3_finalize(version);
    sqlite3_close(db);
}
