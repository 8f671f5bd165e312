// win32/advapi32/registry_store_internal.h - the registry's SQLite store (internal, C++).
//
// Each thread has its own connection to the store with its prepared statements, opened on its
// first use and closed when the thread ends (or when WIN32_REGISTRY names another file). Work
// on the store runs through RunStore, which retries while another connection holds the store's
// write lock, up to the store's time limit.
//
// Schema (application_id 0x57333252, user_version 1):
//   keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent, name BLOB, folded BLOB, class BLOB)
//        ids 1..5 are the root keys (parent 0); (parent, folded) is unique; ids are never
//        reused, so an id held by an open handle never comes to mean another key.
//   vals(key, name BLOB, folded BLOB, type, data BLOB), primary key (key, folded).
// folded is the name in ASCII lower case, the form names are compared in.
#ifndef WIN32_ADVAPI32_REGISTRY_STORE_INTERNAL_H
#define WIN32_ADVAPI32_REGISTRY_STORE_INTERNAL_H

#include "win32/winreg.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace win32::registry {

enum StatementId {
    kFindChild,     // id of (parent ?1, folded ?2)
    kInsertKey,     // new key (parent ?1, name ?2, folded ?3, class ?4)
    kKeyAlive,      // 1 when key ?1 exists
    kKeyClass,      // class of key ?1
    kGetValue,      // type, data of value (key ?1, folded ?2); NULLs: no such value; no row: no key
    kSetValue,      // upsert (key ?1, name ?2, folded ?3, type ?4, data ?5)
    kDeleteValue,   // delete (key ?1, folded ?2)
    kEnumValue,     // name, type, data of value number ?2 of key ?1
    kEnumKey,       // name, class of subkey number ?2 of key ?1
    kKeyStats,      // count, longest name, longest class of the subkeys of ?1
    kValueStats,    // count, longest name, largest data of the values of ?1
    kHasChildren,   // 1 when key ?1 has a subkey
    kDeleteKeyVals, // delete the values of key ?1
    kDeleteKeyRow,  // delete key ?1
    kStatementCount
};

struct Connection;

// The connection's SQLite handle.
sqlite3 *Database(Connection *connection);

// A reset statement of the calling thread's connection, ready for binding; null when it cannot
// be prepared (the error is the connection's).
sqlite3_stmt *Statement(Connection *connection, StatementId id);

// The calling thread's cache of resolved key paths ("<base id>\<folded path>" -> key id).
bool CachedKey(Connection *connection, const std::string &path, int64_t *id);
void CacheKey(Connection *connection, const std::string &path, int64_t id);
void ForgetCachedKeys(Connection *connection);

// Result of a body meaning "the store is busy: run the whole body again".
constexpr LONG kRetry = -1;

// The Windows code for a failed SQLite call: kRetry for a busy or locked store, ERROR_BADDB
// for a damaged one, ERROR_NOT_ENOUGH_MEMORY, else ERROR_CANTWRITE / ERROR_CANTREAD.
LONG StoreError(int sqliteResult, bool write);

using StoreBody = LONG (*)(Connection *connection, void *context);

// Runs body on the calling thread's connection: a write body inside one IMMEDIATE transaction,
// committed when it returns ERROR_SUCCESS and rolled back otherwise; a read body as it is
// (each statement reads a consistent state). Runs it again while it returns kRetry or the
// store is busy, until the time limit; then ERROR_CANTWRITE / ERROR_CANTREAD.
LONG RunStoreErased(bool write, StoreBody body, void *context);

template <typename Body>
LONG RunStore(bool write, Body body) {
    return RunStoreErased(
        write, [](Connection *c, void *context) -> LONG { return (*static_cast<Body *>(context))(c); },
        &body);
}

// The file the store lives in, as the calling process names it now (see win32/winreg.h).
std::string StorePath();

}  // namespace win32::registry

#endif
