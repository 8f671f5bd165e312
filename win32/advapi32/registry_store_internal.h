// win32/advapi32/registry_store_internal.h - the registry's SQLite store (internal, C++).
//
// Each thread has its own connection to the store with its prepared statements and its cache of
// key paths, opened on its first use and closed when the thread ends (or when WIN32_REGISTRY
// names another file). The main thread's connection stays open to the end of the process, so
// exit handlers may still use the store; nothing here is destroyed at exit. Work on the store
// runs through RunStore, which retries while another connection holds the store's write lock,
// up to the store's time limit.
//
// Schema (application_id 0x57333252, user_version 2; registry_schema.cpp):
//   keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent, name BLOB, folded BLOB, class BLOB)
//        ids 1..5 are the root keys (parent 0); (parent, folded) is unique. A committed id is
//        never used again (AUTOINCREMENT); an id made by a transaction that rolls back is. So
//        handles and path caches learn ids only from committed transactions, and an id they hold
//        never comes to mean another key.
//   vals(key, name BLOB, folded BLOB, type, data BLOB), primary key (key, folded).
// folded is the name in the form names are compared in (registry_names_internal.h).
#ifndef WIN32_ADVAPI32_REGISTRY_STORE_INTERNAL_H
#define WIN32_ADVAPI32_REGISTRY_STORE_INTERNAL_H

#include "win32/winreg.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <unordered_map>

namespace win32::registry {

enum StatementId {
    kFindChild,     // id of (parent ?1, folded ?2)
    kInsertKey,     // new key (parent ?1, name ?2, folded ?3, class ?4)
    kKeyAlive,      // 1 when key ?1 exists
    kKeyClass,      // class of key ?1
    kGetValue,      // type, data of value (key ?1, folded ?2); NULLs: no such value; no row: no key
    kSetValue,      // upsert (key ?1, name ?2, folded ?3, type ?4, data ?5) when key ?1 exists
    kDeleteValue,   // delete (key ?1, folded ?2)
    kEnumValue,     // name, type, data of value number ?2 of key ?1
    kEnumKey,       // name, class of subkey number ?2 of key ?1
    kKeyStats,      // count, longest name, longest class of the subkeys of ?1
    kValueStats,    // count, longest name, largest data of the values of ?1
    kHasChildren,   // 1 when key ?1 has a subkey
    kDeleteKeyVals, // delete the values of key ?1
    kDeleteKeyRow,  // delete key ?1
    kNextKeyId,     // the id the next key made will get
    kBegin,         // the statements of transactions and of calls inside the caller's transaction
    kCommit,
    kRollback,
    kSavepoint,
    kRelease,
    kRollbackTo,
    kStatementCount
};

// A key path's entry in the path cache: the key's id, and the store's deletion count when the
// key was last seen alive (registry_paths.cpp).
struct CachedPath {
    int64_t id;
    uint64_t checkedAt;
};

// A thread's connection. Plain data, used by the thread alone.
struct Connection {
    sqlite3 *db = nullptr;
    std::string path;
    unsigned forks = 0;            // the process's fork count when opened (registry_store.cpp)
    bool readOnly = false;         // opened read-only: the file or its folder is not writable
    bool immutable = false;        // read-only, and read as a file nobody can change
    bool unicodeNames = true;      // names folded across Unicode (false: a version 1 store read-only)
    sqlite3_stmt *statements[kStatementCount] = {};
    // "<base id>\<folded path>" -> a committed key. Entries are checked before use.
    std::unordered_map<std::string, CachedPath> keyCache;
    // Paths found or made inside the open transaction: cached once it commits, dropped if not.
    std::unordered_map<std::string, CachedPath> pendingKeys;
    uint64_t *deletions = nullptr;  // the store's deletion counter, mapped; null without one
    uint64_t countAtBody = 0;       // the counter as the running body started
    bool deletedKeys = false;       // the open transaction deleted keys
    // The caller's transaction (RegBeginTransaction): open, and the first id its keys get.
    bool inTransaction = false;
    int64_t firstNewId = 0;
    Connection *nextInherited = nullptr;  // inherited through fork: kept, never used
};

// A reset statement of the connection, ready for binding; null when it cannot be prepared (the
// error is the connection's).
sqlite3_stmt *Statement(Connection *connection, StatementId id);

// Steps a statement without arguments once and resets it: SQLITE_DONE, or the error.
int StepOnce(Connection *connection, StatementId id);

// ---- The path cache and the deletion counter (registry_paths.cpp) ----

// The store's deletion counter: mapped from file, "<store>-gen" (made when missing unless
// readOnly); null when it cannot be.
uint64_t *MapDeletionCounter(const std::string &file, bool readOnly);
void UnmapDeletionCounter(uint64_t *counter);

// Reads the counter as a body starts (RunStore); the keys the body sees alive are so as of it.
void NoteDeletionCount(Connection *connection);

// A write body that deletes keys counts the deletion (and forgets the cache); once the write is
// committed, RunStore counts it again.
void CountDeletion(Connection *connection);
void CountCommittedDeletions(Connection *connection);

// A path's key id; *trusted when no key was deleted anywhere since it was seen alive (else the
// caller checks it). CacheKey files an id under the transaction when one is open (it becomes
// visible to CachedKey at once, and stays only if the transaction commits: CachePendingKeys).
bool CachedKey(Connection *connection, const std::string &path, int64_t *id, bool *trusted);
void CacheKey(Connection *connection, const std::string &path, int64_t id);
void ForgetCachedKeys(Connection *connection);
void CachePendingKeys(Connection *connection);

// Result of a body meaning "the store is busy: run the whole body again".
constexpr LONG kRetry = -1;

// The Windows code for a failed SQLite call: kRetry for a busy or locked store, ERROR_BADDB
// for a damaged one, ERROR_ACCESS_DENIED for one opened read-only, ERROR_NOT_ENOUGH_MEMORY,
// else ERROR_CANTWRITE / ERROR_CANTREAD.
LONG StoreError(int sqliteResult, bool write);

using StoreBody = LONG (*)(Connection *connection, void *context);

// Runs body on the calling thread's connection: a write body inside one IMMEDIATE transaction,
// committed when it returns ERROR_SUCCESS and rolled back otherwise (inside the caller's
// transaction: a savepoint, released or rolled back); a read body as it is (each statement
// reads a consistent state). A body that throws std::bad_alloc fails with
// ERROR_NOT_ENOUGH_MEMORY and is rolled back. Runs it again while it returns kRetry or the
// store is busy, until the time limit; then ERROR_CANTWRITE / ERROR_CANTREAD.
LONG RunStoreErased(bool write, StoreBody body, void *context);

template <typename Body>
LONG RunStore(bool write, Body body) {
    return RunStoreErased(
        write, [](Connection *c, void *context) -> LONG { return (*static_cast<Body *>(context))(c); },
        &body);
}

// Marks every open handle of a key with an id from firstNewId on as deleted: the keys made by a
// transaction that is rolled back. Called while the write lock is still held, so no key of such
// an id can have been committed by anyone (kept by registry_keys.cpp).
void AbandonHandlesFrom(int64_t firstNewId);

// Writes what the calling thread's connection has committed to the disk (RegFlushKey).
LONG FlushStore();

// The file the store lives in, as the calling process names it now (see win32/winreg.h).
std::string StorePath();

// Opening a store file: checks that it is a registry (or an empty file, given the schema),
// undamaged, and migrates a store of an older schema when it is writable. Returns a SQLite
// code, SQLITE_NOTADB for a database of something else; *unicodeNames tells how its names are
// folded (registry_schema.cpp).
int PrepareStore(sqlite3 *db, bool readOnly, bool *unicodeNames);

}  // namespace win32::registry

#endif
