// The registry's SQLite store: where it lives, opening it (read-only when it cannot be written),
// the calling thread's connection with its prepared statements and path cache, running work
// with busy retries, flushing to the disk, and the calling thread's transactions
// (RegBeginTransaction, RegCommitTransaction, RegRollbackTransaction).
#include "win32/advapi32/registry_store_internal.h"
#include "win32/advapi32/registry_store_testing.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

namespace win32::registry {

namespace {

constexpr int kAttemptTimeoutMs = 100;  // SQLite's own waiting inside one attempt

std::atomic<int> g_busyLimitMs{5000};

const char *const kStatementText[kStatementCount] = {
    "SELECT id FROM keys WHERE parent=?1 AND folded=?2",
    "INSERT INTO keys(parent,name,folded,class) VALUES(?1,?2,?3,?4)",
    "SELECT 1 FROM keys WHERE id=?1",
    "SELECT class FROM keys WHERE id=?1",
    "SELECT v.type,v.data FROM keys k LEFT JOIN vals v ON v.key=k.id AND v.folded=?2 WHERE k.id=?1",
    ("INSERT INTO vals(key,name,folded,type,data) SELECT ?1,?2,?3,?4,?5 WHERE EXISTS"
     "(SELECT 1 FROM keys WHERE id=?1) "
     "ON CONFLICT(key,folded) DO UPDATE SET type=excluded.type,data=excluded.data"),
    "DELETE FROM vals WHERE key=?1 AND folded=?2",
    "SELECT name,type,data FROM vals WHERE key=?1 ORDER BY folded LIMIT 1 OFFSET ?2",
    "SELECT name,class FROM keys WHERE parent=?1 ORDER BY folded LIMIT 1 OFFSET ?2",
    "SELECT count(*),max(length(name)),max(length(class)) FROM keys WHERE parent=?1",
    "SELECT count(*),max(length(name)),max(length(data)) FROM vals WHERE key=?1",
    "SELECT 1 FROM keys WHERE parent=?1 LIMIT 1",
    "DELETE FROM vals WHERE key=?1",
    "DELETE FROM keys WHERE id=?1",
    "SELECT seq+1 FROM sqlite_sequence WHERE name='keys'",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
    "SAVEPOINT call",
    "RELEASE call",
    "ROLLBACK TO call",
};

// Counts the forks of this process, as seen in the children: a connection made before a fork
// belongs to the parent (getpid is a system call; this is a load).
std::atomic<unsigned> g_forks{0};
void CountFork() { g_forks.fetch_add(1); }

// The calling thread's connection. A plain pointer, never destroyed with the thread's objects:
// a thread's end closes its connection through g_connectionKey's destructor, and the process's
// exit the connection of the thread that ends it (usually the main thread) through an exit
// handler; an exit handler that runs after that one and uses the store opens a new connection,
// left for the process's end to close. Connections inherited through fork are kept on a list,
// unused and unclosed: they are the parent's.
thread_local Connection *t_connection = nullptr;
pthread_key_t g_connectionKey;
std::atomic<Connection *> g_inherited{nullptr};

void Close(Connection *c) {
    for (auto &s : c->statements) {
        sqlite3_finalize(s);
        s = nullptr;
    }
    sqlite3_close(c->db);
    c->db = nullptr;
    UnmapDeletionCounter(c->deletions);
    c->deletions = nullptr;
}

// Drops the caller's transaction of the connection, marking the handles of keys it made as
// deleted while the write lock is still held.
void AbandonTransaction(Connection *c) {
    if (!c->inTransaction) return;
    c->inTransaction = false;
    AbandonHandlesFrom(c->firstNewId);
    c->pendingKeys.clear();
    c->deletedKeys = false;
    if (sqlite3_get_autocommit(c->db) == 0) StepOnce(c, kRollback);
}

// Closes the calling thread's connection; one inherited through fork is the parent's, and is
// kept aside unused and unclosed.
void DropThreadConnection() {
    Connection *c = t_connection;
    if (c == nullptr) return;
    t_connection = nullptr;
    pthread_setspecific(g_connectionKey, nullptr);
    if (c->forks != g_forks.load()) {
        c->nextInherited = g_inherited.load();
        g_inherited.store(c);
        return;
    }
    AbandonTransaction(c);
    Close(c);
    delete c;
}

void EndOfThread(void *) { DropThreadConnection(); }

void Setup() {
    pthread_atfork(nullptr, nullptr, CountFork);
    pthread_key_create(&g_connectionKey, EndOfThread);
    std::atexit(DropThreadConnection);
}

std::string DataHome() {
    const char *xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const char *home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/share";
}

std::string Folder(const std::string &path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes every missing folder of dir, owner-only.
bool MakeFolders(const std::string &dir) {
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '/') {
            std::string part = dir.substr(0, i);
            if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        }
    }
    return true;
}

// Makes the store's file, owner-only, when it does not exist yet. An existing file of any
// content is left as it is.
bool EnsureFile(const std::string &path) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        close(fd);
        return true;
    }
    return errno == EEXIST;
}

bool Writable(const std::string &path) {
    return access(path.c_str(), W_OK) == 0 && access(Folder(path).c_str(), W_OK) == 0;
}

// SQLite makes the store's -wal and -shm files with the store's own permissions: made while the
// store was read-only, they would stay so and keep every later writer out. The owner gets to
// read and write them again. (sideFiles: the two files' names.)
void RepairSideFiles(const std::string sideFiles[2]) {
    for (int i = 0; i < 2; ++i) {
        struct stat st;
        const char *file = sideFiles[i].c_str();
        if (lstat(file, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 0600) != 0600) {
            chmod(file, (st.st_mode & 07777) | 0600);
        }
    }
}

// The URI that opens the file at path as unchangeable.
std::string ImmutableUri(const std::string &path) {
    std::string uri = "file:";
    for (char ch : path) {
        if (ch == '%' || ch == '?' || ch == '#') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(ch));
            uri += escaped;
        } else {
            uri += ch;
        }
    }
    return uri + "?immutable=1";
}

// Opens the connection c to the store at path. A Windows code. (Everything that may throw
// std::bad_alloc comes before the database is opened, so nothing is left open.)
LONG Open(Connection *c, const std::string &path) {
    c->path = path;
    std::string folder = Folder(path);
    const std::string sideFiles[2] = {path + "-wal", path + "-shm"};
    const std::string counterFile = path + "-gen";
    if (!MakeFolders(folder) || !EnsureFile(path)) return ERROR_BADKEY;
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return ERROR_BADKEY;
    // A store the process cannot write (the file, or the folder its -wal and -shm files go to)
    // is opened read-only: reads work, and writes give ERROR_ACCESS_DENIED. In a folder where
    // SQLite cannot make the -shm file it needs to read, a store without a -wal file is all in
    // its database file and nobody can change it: it is read as unchangeable (until it is
    // writable again, ThreadConnection).
    bool readOnly = !Writable(path);
    bool immutable = readOnly && access(folder.c_str(), W_OK) != 0 && access(sideFiles[0].c_str(), F_OK) != 0;
    std::string name = immutable ? ImmutableUri(path) : path;
    RepairSideFiles(sideFiles);
    sqlite3 *db = nullptr;
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX |
                (immutable ? SQLITE_OPEN_URI : 0);
    int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, kAttemptTimeoutMs);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_busyLimitMs.load());
        try {
            do rc = PrepareStore(db, readOnly, &c->unicodeNames);
            while ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && std::chrono::steady_clock::now() < deadline);
        } catch (const std::bad_alloc &) {
            rc = SQLITE_NOMEM;
        }
    }
    // Each commit reaches the operating system before the call returns, so a killed process
    // loses nothing; the disk is synchronised at checkpoints and by RegFlushKey.
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    RepairSideFiles(sideFiles);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) return ERROR_BADDB;
        if (rc == SQLITE_NOMEM) return ERROR_NOT_ENOUGH_MEMORY;
        return ERROR_BADKEY;
    }
    c->db = db;
    c->deletions = MapDeletionCounter(counterFile, readOnly);
    c->readOnly = readOnly;
    c->immutable = immutable;
    c->forks = g_forks.load();
    return ERROR_SUCCESS;
}

// The calling thread's connection to the store the process names now (for a write, writable
// when the store has become writable since it was opened).
LONG ThreadConnection(bool write, Connection **out) {
    static std::once_flag setup;
    std::call_once(setup, Setup);
    Connection *c = t_connection;
    if (c != nullptr && c->forks != g_forks.load()) {
        DropThreadConnection();
        c = nullptr;
    }
    if (c != nullptr && c->inTransaction) {  // stays on its store until the transaction ends
        *out = c;
        return ERROR_SUCCESS;
    }
    // The common case, the store named as before, without building the path. A store opened
    // read-only is looked at again when it is to be written, or when it was read as
    // unchangeable: once writable, it is opened anew.
    bool recheck = c != nullptr && c->readOnly && (write || c->immutable);
    const char *named = std::getenv("WIN32_REGISTRY");
    if (c != nullptr && named != nullptr && named[0] != '\0' && c->path == named && !recheck) {
        *out = c;
        return ERROR_SUCCESS;
    }
    std::string path = StorePath();
    if (c != nullptr && (c->path != path || (recheck && Writable(path)))) {
        DropThreadConnection();
        c = nullptr;
    }
    if (c == nullptr) {
        auto fresh = std::make_unique<Connection>();
        LONG error = Open(fresh.get(), path);
        if (error != ERROR_SUCCESS) return error;
        c = fresh.release();
        t_connection = c;
        pthread_setspecific(g_connectionKey, c);
    }
    *out = c;
    return ERROR_SUCCESS;
}

LONG CallBody(StoreBody body, Connection *c, void *context) {
    try {
        return body(c, context);
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

// One attempt of a write body in its own transaction.
LONG WriteAlone(Connection *c, StoreBody body, void *context) {
    int rc = StepOnce(c, kBegin);
    if (rc != SQLITE_DONE) return StoreError(rc, true);
    NoteDeletionCount(c);
    LONG result = CallBody(body, c, context);
    if (result == ERROR_SUCCESS) {
        rc = StepOnce(c, kCommit);
        if (rc != SQLITE_DONE) result = StoreError(rc, true);
    }
    if (result != ERROR_SUCCESS) {
        if (sqlite3_get_autocommit(c->db) == 0) StepOnce(c, kRollback);
        c->pendingKeys.clear();
        c->deletedKeys = false;
        return result;
    }
    CountCommittedDeletions(c);
    CachePendingKeys(c);
    return ERROR_SUCCESS;
}

// One attempt of a write body inside the caller's transaction: a failed call changes nothing
// (and forgets the paths the transaction found so far, which is always safe).
LONG WriteInTransaction(Connection *c, StoreBody body, void *context) {
    int rc = StepOnce(c, kSavepoint);
    NoteDeletionCount(c);
    LONG result = rc == SQLITE_DONE ? CallBody(body, c, context) : StoreError(rc, true);
    if (sqlite3_get_autocommit(c->db) != 0) {
        // SQLite ended the whole transaction itself (a full disk, an I/O error).
        AbandonTransaction(c);
        return result == ERROR_SUCCESS ? ERROR_CANTWRITE : result;
    }
    if (result == ERROR_SUCCESS) {
        rc = StepOnce(c, kRelease);
        if (rc == SQLITE_DONE) return ERROR_SUCCESS;
        result = StoreError(rc, true);
    }
    StepOnce(c, kRollbackTo);
    StepOnce(c, kRelease);
    c->pendingKeys.clear();
    return result;
}

}  // namespace

std::string StorePath() {
    const char *named = std::getenv("WIN32_REGISTRY");
    if (named != nullptr && named[0] != '\0') return named;
    return DataHome() + "/win32/registry.db";
}

sqlite3_stmt *Statement(Connection *c, StatementId id) {
    sqlite3_stmt *&s = c->statements[id];
    if (s == nullptr) {
        if (sqlite3_prepare_v3(c->db, kStatementText[id], -1, SQLITE_PREPARE_PERSISTENT, &s,
                               nullptr) != SQLITE_OK) {
            s = nullptr;
            return nullptr;
        }
    } else {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
    return s;
}

int StepOnce(Connection *c, StatementId id) {
    sqlite3_stmt *s = Statement(c, id);
    if (s == nullptr) return sqlite3_errcode(c->db);
    int rc = sqlite3_step(s);
    sqlite3_reset(s);
    return rc == SQLITE_ROW ? SQLITE_DONE : rc;
}

LONG StoreError(int rc, bool write) {
    switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return kRetry;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return ERROR_BADDB;
        case SQLITE_READONLY:
            return ERROR_ACCESS_DENIED;
        case SQLITE_NOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return write ? ERROR_CANTWRITE : ERROR_CANTREAD;
    }
}

LONG RunStoreErased(bool write, StoreBody body, void *context) {
    try {
        Connection *c = nullptr;
        LONG result = ThreadConnection(write, &c);
        if (result != ERROR_SUCCESS) return result;
        if (write && c->readOnly) return ERROR_ACCESS_DENIED;
        // The time limit starts with the first busy answer (most calls never see one).
        std::chrono::steady_clock::time_point deadline{};
        for (;;) {
            if (!write) {
                NoteDeletionCount(c);
                result = CallBody(body, c, context);
            } else if (c->inTransaction) {
                result = WriteInTransaction(c, body, context);
            } else {
                result = WriteAlone(c, body, context);
            }
            if (result != kRetry) return result;
            auto now = std::chrono::steady_clock::now();
            if (deadline == std::chrono::steady_clock::time_point{}) {
                deadline = now + std::chrono::milliseconds(g_busyLimitMs.load());
            } else if (now >= deadline) {
                return write ? ERROR_CANTWRITE : ERROR_CANTREAD;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

LONG FlushStore() {
    return RunStore(false, [](Connection *c) -> LONG {
        // What is committed and not yet in the database file is in the write-ahead log (the
        // file itself is synchronised by every checkpoint that writes to it): the log is
        // synchronised, through SQLite's own open file.
        sqlite3_file *log = nullptr;
        if (sqlite3_file_control(c->db, "main", SQLITE_FCNTL_JOURNAL_POINTER, &log) != SQLITE_OK ||
            log == nullptr || log->pMethods == nullptr) {
            return ERROR_SUCCESS;  // no log open: nothing committed since the last checkpoint
        }
        int rc = log->pMethods->xSync(log, SQLITE_SYNC_NORMAL);
        return rc == SQLITE_OK ? ERROR_SUCCESS : StoreError(rc, true);
    });
}

namespace testing {

void SetBusyLimit(int milliseconds) { g_busyLimitMs.store(milliseconds); }

void CloseThreadConnection() { DropThreadConnection(); }

}  // namespace testing

}  // namespace win32::registry

using namespace win32::registry;

extern "C" LONG RegBeginTransaction(void) {
    try {
        Connection *c = nullptr;
        LONG result = ThreadConnection(true, &c);
        if (result != ERROR_SUCCESS) return result;
        if (c->inTransaction) return ERROR_INVALID_FUNCTION;
        if (c->readOnly) return ERROR_ACCESS_DENIED;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_busyLimitMs.load());
        int rc;
        while ((rc = StepOnce(c, kBegin)) != SQLITE_DONE) {
            if (StoreError(rc, true) != kRetry) return StoreError(rc, true);
            if (std::chrono::steady_clock::now() >= deadline) return ERROR_CANTWRITE;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        sqlite3_stmt *s = Statement(c, kNextKeyId);
        rc = s != nullptr ? sqlite3_step(s) : sqlite3_errcode(c->db);
        if (rc != SQLITE_ROW) {
            if (s != nullptr) sqlite3_reset(s);
            StepOnce(c, kRollback);
            return StoreError(rc, true);
        }
        c->firstNewId = sqlite3_column_int64(s, 0);
        sqlite3_reset(s);
        c->inTransaction = true;
        return ERROR_SUCCESS;
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

namespace {

LONG EndTransaction(bool commit) {
    Connection *c = t_connection;
    if (c == nullptr || c->forks != g_forks.load() || !c->inTransaction) return ERROR_INVALID_FUNCTION;
    if (commit) {
        int rc = StepOnce(c, kCommit);
        if (rc == SQLITE_DONE) {
            c->inTransaction = false;
            CountCommittedDeletions(c);
            CachePendingKeys(c);
            return ERROR_SUCCESS;
        }
        AbandonTransaction(c);
        return StoreError(rc, true) == kRetry ? ERROR_CANTWRITE : StoreError(rc, true);
    }
    AbandonTransaction(c);
    return ERROR_SUCCESS;
}

}  // namespace

extern "C" LONG RegCommitTransaction(void) { return EndTransaction(true); }

extern "C" LONG RegRollbackTransaction(void) { return EndTransaction(false); }
