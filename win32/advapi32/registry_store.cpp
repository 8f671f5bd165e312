// The registry's SQLite store: where it lives, opening and checking it, the schema, the calling
// thread's connection with its prepared statements, and running work with busy retries.
#include "win32/advapi32/registry_store_internal.h"
#include "win32/advapi32/registry_store_testing.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <unordered_map>

namespace win32::registry {

namespace {

constexpr int kApplicationId = 0x57333252;  // "W3 2R"
constexpr int kSchemaVersion = 1;
constexpr int kAttemptTimeoutMs = 100;      // SQLite's own waiting inside one attempt
constexpr size_t kMaxCachedKeys = 1024;

std::atomic<int> g_busyLimitMs{5000};

const char *const kStatementText[kStatementCount] = {
    "SELECT id FROM keys WHERE parent=?1 AND folded=?2",
    "INSERT INTO keys(parent,name,folded,class) VALUES(?1,?2,?3,?4)",
    "SELECT 1 FROM keys WHERE id=?1",
    "SELECT class FROM keys WHERE id=?1",
    "SELECT v.type,v.data FROM keys k LEFT JOIN vals v ON v.key=k.id AND v.folded=?2 WHERE k.id=?1",
    ("INSERT INTO vals(key,name,folded,type,data) VALUES(?1,?2,?3,?4,?5) "
     "ON CONFLICT(key,folded) DO UPDATE SET type=excluded.type,data=excluded.data"),
    "DELETE FROM vals WHERE key=?1 AND folded=?2",
    "SELECT name,type,data FROM vals WHERE key=?1 ORDER BY folded LIMIT 1 OFFSET ?2",
    "SELECT name,class FROM keys WHERE parent=?1 ORDER BY folded LIMIT 1 OFFSET ?2",
    "SELECT count(*),max(length(name)),max(length(class)) FROM keys WHERE parent=?1",
    "SELECT count(*),max(length(name)),max(length(data)) FROM vals WHERE key=?1",
    "SELECT 1 FROM keys WHERE parent=?1 LIMIT 1",
    "DELETE FROM vals WHERE key=?1",
    "DELETE FROM keys WHERE id=?1",
};

const char kSchema[] =
    "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL,"
    " name BLOB NOT NULL, folded BLOB NOT NULL, class BLOB NOT NULL DEFAULT x'',"
    " UNIQUE(parent, folded));"
    "CREATE TABLE vals(key INTEGER NOT NULL, name BLOB NOT NULL, folded BLOB NOT NULL,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, folded)) WITHOUT ROWID;"
    "INSERT INTO keys(id,parent,name,folded) VALUES"
    " (1,0,'HKEY_CLASSES_ROOT','hkey_classes_root'),"
    " (2,0,'HKEY_CURRENT_USER','hkey_current_user'),"
    " (3,0,'HKEY_LOCAL_MACHINE','hkey_local_machine'),"
    " (4,0,'HKEY_USERS','hkey_users'),"
    " (5,0,'HKEY_CURRENT_CONFIG','hkey_current_config');"
    "PRAGMA application_id=1462973010;"
    "PRAGMA user_version=1;";
static_assert(kApplicationId == 1462973010, "the schema text names the application id");

}  // namespace

// Counts the forks of this process, as seen in the children: a connection made before a fork
// belongs to the parent (getpid is a system call; this is a load).
static std::atomic<unsigned> g_forks{0};
static void CountFork() { g_forks.fetch_add(1); }

struct Connection {
    sqlite3 *db = nullptr;
    std::string path;
    pid_t pid = 0;
    unsigned forks = 0;       // g_forks when it was opened
    sqlite3_stmt *statements[kStatementCount] = {};
    std::unordered_map<std::string, int64_t> keyCache;

    void Close() {
        for (auto &s : statements) {
            sqlite3_finalize(s);
            s = nullptr;
        }
        if (db != nullptr) sqlite3_close(db);
        db = nullptr;
        keyCache.clear();
    }
    ~Connection() {
        // A connection inherited through fork belongs to the parent: never close it here.
        if (pid == getpid()) Close();
    }
};

namespace {

thread_local Connection t_connection;

std::string DataHome() {
    const char *xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const char *home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/share";
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

int QueryInt(sqlite3 *db, const char *sql, int *value) {
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            *value = sqlite3_column_int(s, 0);
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(s);
    return rc;
}

// Checks that the open database is a registry (or a new, empty file, which gets the schema)
// and undamaged. Returns a SQLite code; SQLITE_NOTADB for a database of something else.
int CheckAndPrepare(sqlite3 *db) {
    int appId = 0;
    int rc = QueryInt(db, "PRAGMA application_id", &appId);
    if (rc != SQLITE_OK) return rc;
    if (appId != kApplicationId) {
        int objects = 0;
        rc = QueryInt(db, "SELECT count(*) FROM sqlite_schema", &objects);
        if (rc != SQLITE_OK) return rc;
        if (appId != 0 || objects != 0) return SQLITE_NOTADB;  // someone else's database
        // An empty file: give it the schema, unless another connection does so first.
        rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL; BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return rc;
        rc = QueryInt(db, "PRAGMA application_id", &appId);
        if (rc == SQLITE_OK && appId == 0) rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            return rc;
        }
        return SQLITE_OK;
    }
    int version = 0;
    rc = QueryInt(db, "PRAGMA user_version", &version);
    if (rc != SQLITE_OK) return rc;
    if (version != kSchemaVersion) return SQLITE_NOTADB;
    // A damaged file is reported, never repaired or replaced.
    sqlite3_stmt *s = nullptr;
    rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &s, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            const unsigned char *text = sqlite3_column_text(s, 0);
            rc = (text != nullptr && std::strcmp(reinterpret_cast<const char *>(text), "ok") == 0)
                     ? SQLITE_OK
                     : SQLITE_CORRUPT;
        }
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_OK) return rc;
    // WAL for a store made elsewhere in rollback mode (a read-only file keeps its mode).
    rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    return rc == SQLITE_READONLY ? SQLITE_OK : rc;
}

// Opens the calling thread's connection to the store at path. A Windows code.
LONG Open(Connection *c, const std::string &path) {
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash))) {
        return ERROR_BADKEY;
    }
    if (!EnsureFile(path)) return ERROR_BADKEY;
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return ERROR_BADKEY;
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        return rc == SQLITE_NOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_BADKEY;
    }
    sqlite3_busy_timeout(db, kAttemptTimeoutMs);
    sqlite3_extended_result_codes(db, 0);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_busyLimitMs.load());
    for (;;) {
        rc = CheckAndPrepare(db);
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || std::chrono::steady_clock::now() >= deadline) break;
    }
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) return ERROR_BADDB;
        if (rc == SQLITE_NOMEM) return ERROR_NOT_ENOUGH_MEMORY;
        return ERROR_BADKEY;
    }
    c->db = db;
    c->path = path;
    c->pid = getpid();
    c->forks = g_forks.load();
    return ERROR_SUCCESS;
}

// The calling thread's connection to the store the process names now.
LONG ThreadConnection(Connection **out) {
    static std::once_flag watchForks;
    std::call_once(watchForks, [] { pthread_atfork(nullptr, nullptr, CountFork); });
    Connection *c = &t_connection;
    if (c->db != nullptr && c->forks != g_forks.load()) {
        // Inherited through fork: the parent's; abandon it without closing.
        *c = Connection();
    }
    // The common case, the store named as before, without building the path.
    const char *named = std::getenv("WIN32_REGISTRY");
    if (c->db != nullptr && named != nullptr && named[0] != '\0' && c->path == named) {
        *out = c;
        return ERROR_SUCCESS;
    }
    std::string path = StorePath();
    if (c->db != nullptr && c->path != path) c->Close();
    if (c->db == nullptr) {
        LONG error = Open(c, path);
        if (error != ERROR_SUCCESS) return error;
    }
    *out = c;
    return ERROR_SUCCESS;
}

}  // namespace

sqlite3 *Database(Connection *c) { return c->db; }

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

bool CachedKey(Connection *c, const std::string &path, int64_t *id) {
    auto found = c->keyCache.find(path);
    if (found == c->keyCache.end()) return false;
    *id = found->second;
    return true;
}

void CacheKey(Connection *c, const std::string &path, int64_t id) {
    if (c->keyCache.size() >= kMaxCachedKeys) c->keyCache.clear();
    c->keyCache[path] = id;
}

void ForgetCachedKeys(Connection *c) { c->keyCache.clear(); }

LONG StoreError(int rc, bool write) {
    switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return kRetry;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return ERROR_BADDB;
        case SQLITE_NOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return write ? ERROR_CANTWRITE : ERROR_CANTREAD;
    }
}

LONG RunStoreErased(bool write, StoreBody body, void *context) {
    LONG result;
    try {
        Connection *c = nullptr;
        result = ThreadConnection(&c);
        if (result != ERROR_SUCCESS) return result;
        // The time limit starts with the first busy answer (most calls never see one).
        std::chrono::steady_clock::time_point deadline{};
        for (;;) {
            if (write) {
                int rc = sqlite3_exec(c->db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
                result = rc == SQLITE_OK ? body(c, context) : StoreError(rc, true);
                if (result == ERROR_SUCCESS) {
                    rc = sqlite3_exec(c->db, "COMMIT", nullptr, nullptr, nullptr);
                    if (rc != SQLITE_OK) result = StoreError(rc, true);
                }
                if (result != ERROR_SUCCESS && sqlite3_get_autocommit(c->db) == 0) {
                    sqlite3_exec(c->db, "ROLLBACK", nullptr, nullptr, nullptr);
                }
            } else {
                result = body(c, context);
            }
            if (result != kRetry) break;
            // A failed attempt may have left cached paths of keys another process removed.
            ForgetCachedKeys(c);
            auto now = std::chrono::steady_clock::now();
            if (deadline == std::chrono::steady_clock::time_point{}) {
                deadline = now + std::chrono::milliseconds(g_busyLimitMs.load());
            } else if (now >= deadline) {
                result = write ? ERROR_CANTWRITE : ERROR_CANTREAD;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    } catch (const std::bad_alloc &) {
        result = ERROR_NOT_ENOUGH_MEMORY;
    }
    return result;
}

namespace testing {

void SetBusyLimit(int milliseconds) { g_busyLimitMs.store(milliseconds); }

void CloseThreadConnection() {
    if (t_connection.pid == getpid()) t_connection.Close();
    t_connection = Connection();
}

}  // namespace testing

}  // namespace win32::registry
