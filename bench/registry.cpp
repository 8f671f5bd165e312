// Registry store against SQLite used directly, in the same run on the same kind of file and
// settings (WAL, synchronous=NORMAL):
//   reading: RegReadString of an existing value (open the key, read, close) against one
//            prepared SELECT on an open connection;
//   writing: RegWriteString (create/open the key, set the value, close) against one prepared
//            INSERT OR REPLACE in its own transaction;
//   flushing: RegWriteString followed by RegFlushKey, the write that reaches the disk, against
//            the same INSERT with synchronous=FULL.
#include "toolbox/windows/registry.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

const char *kKey = "Software\\Bench\\Settings";

// A scratch folder with the registry store and the plain SQLite database.
struct Files {
    std::string folder;
    Files() {
        char name[] = "/tmp/bench_registry_XXXXXX";
        folder = mkdtemp(name);
        setenv("WIN32_REGISTRY", (folder + "/registry.db").c_str(), 1);
    }
    ~Files() { std::filesystem::remove_all(folder); }
};

Files &TheFiles() {
    static Files files;
    return files;
}

// The plain database: one table of named values, as a program would keep its settings.
sqlite3 *OpenPlain(const char *synchronous = "NORMAL") {
    sqlite3 *db = nullptr;
    sqlite3_open((TheFiles().folder + "/plain.db").c_str(), &db);
    sqlite3_exec(db, (std::string("PRAGMA synchronous=") + synchronous).c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL;"
                 "CREATE TABLE IF NOT EXISTS vals(key INTEGER, name TEXT, type INTEGER, data BLOB,"
                 " PRIMARY KEY(key, name)) WITHOUT ROWID;"
                 "INSERT OR REPLACE INTO vals VALUES(1, 'Name', 1, 'Ada Lovelace');",
                 nullptr, nullptr, nullptr);
    return db;
}

void RegReadStringExisting(benchmark::State &state) {
    TheFiles();
    RegWriteString(HKEY_CURRENT_USER, kKey, "Name", "Ada Lovelace");
    char buffer[64];
    unsigned size = 0;
    for (auto _ : state) {
        int status = RegReadString(HKEY_CURRENT_USER, kKey, "Name", buffer, sizeof buffer, &size);
        benchmark::DoNotOptimize(status);
    }
}
BENCHMARK(RegReadStringExisting);

void SqlitePreparedSelect(benchmark::State &state) {
    sqlite3 *db = OpenPlain();
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(db, "SELECT type, data FROM vals WHERE key=?1 AND name=?2", -1, &select, nullptr);
    char buffer[64];
    for (auto _ : state) {
        sqlite3_bind_int(select, 1, 1);
        sqlite3_bind_text(select, 2, "Name", -1, SQLITE_STATIC);
        if (sqlite3_step(select) == SQLITE_ROW) {
            int n = sqlite3_column_bytes(select, 1);
            std::memcpy(buffer, sqlite3_column_blob(select, 1), static_cast<size_t>(n));
        }
        sqlite3_reset(select);
        benchmark::DoNotOptimize(buffer);
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
}
BENCHMARK(SqlitePreparedSelect);

// A value written and committed; with flush, also written to the disk.
void RegWriteStringAnd(benchmark::State &state, bool flush) {
    TheFiles();
    long i = 0;
    for (auto _ : state) {
        std::string text = "value " + std::to_string(i++ & 1);
        int status = RegWriteString(HKEY_CURRENT_USER, kKey, "Name", text.c_str());
        if (flush) status += RegFlushKey(HKEY_CURRENT_USER);
        benchmark::DoNotOptimize(status);
    }
}
BENCHMARK_CAPTURE(RegWriteStringAnd, Commit, false)->UseRealTime();
BENCHMARK_CAPTURE(RegWriteStringAnd, Flush, true)->UseRealTime();

void SqlitePreparedInsertOrReplace(benchmark::State &state, const char *synchronous) {
    sqlite3 *db = OpenPlain(synchronous);
    sqlite3_stmt *insert = nullptr, *begin = nullptr, *commit = nullptr;
    sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO vals VALUES(?1, ?2, 1, ?3)", -1, &insert, nullptr);
    sqlite3_prepare_v2(db, "BEGIN IMMEDIATE", -1, &begin, nullptr);
    sqlite3_prepare_v2(db, "COMMIT", -1, &commit, nullptr);
    long i = 0;
    for (auto _ : state) {
        std::string text = "value " + std::to_string(i++ & 1);
        sqlite3_step(begin);
        sqlite3_reset(begin);
        sqlite3_bind_int(insert, 1, 1);
        sqlite3_bind_text(insert, 2, "Name", -1, SQLITE_STATIC);
        sqlite3_bind_blob(insert, 3, text.data(), static_cast<int>(text.size() + 1), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
        sqlite3_step(commit);
        sqlite3_reset(commit);
    }
    sqlite3_finalize(insert);
    sqlite3_finalize(begin);
    sqlite3_finalize(commit);
    sqlite3_close(db);
}
BENCHMARK_CAPTURE(SqlitePreparedInsertOrReplace, Normal, "NORMAL")->UseRealTime();
BENCHMARK_CAPTURE(SqlitePreparedInsertOrReplace, Full, "FULL")->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
