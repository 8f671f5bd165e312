// The registry store's schema: recognising a store file, giving a new one its tables, checking
// it for damage, and migrating a store of schema version 1 (names folded in ASCII only) to
// version 2 (names folded across Unicode).
#include "win32/advapi32/registry_names_internal.h"
#include "win32/advapi32/registry_store_internal.h"

#include <cstring>
#include <vector>

namespace win32::registry {

namespace {

constexpr int kApplicationId = 0x57333252;  // "W3 2R"
constexpr int kSchemaVersion = 2;
constexpr size_t kMaxKeyNameLength = 255;

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
    "PRAGMA user_version=2;";
static_assert(kApplicationId == 1462973010, "the schema text names the application id");
static_assert(kSchemaVersion == 2, "the schema text names the version");

int Exec(sqlite3 *db, const char *sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

// The integers of the first row of sql: its first column into *first, its second (when asked
// for) into *second.
int QueryInts(sqlite3 *db, const char *sql, int *first, int *second = nullptr) {
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            *first = sqlite3_column_int(s, 0);
            if (second != nullptr) *second = sqlite3_column_int(s, 1);
            rc = SQLITE_OK;
        }
    }
    sqlite3_finalize(s);
    return rc;
}

// A row of keys or vals as the migration sees it.
struct Row {
    int64_t owner;  // the parent of a key, the key of a value
    int64_t id;     // a key's id (values: 0)
    std::string name, folded;
};

// The statements of one table, each with the parameters ?1 new folded name, ?2 owner, ?3 old
// folded name, ?4 id, ?5 new name (a statement uses those it needs).
struct Table {
    const char *rows;     // owner, id, name, folded of every row to fold anew
    const char *refold;   // sets the folded name
    const char *taken;    // a row when a sibling has the folded name ?1
    const char *rename;   // sets name and folded name
    bool keyNames;        // names of at most 255 characters
};

const Table kKeysTable = {
    "SELECT parent, id, name, folded FROM keys WHERE id > 5 ORDER BY id",
    "UPDATE keys SET folded=?1 WHERE id=?4",
    "SELECT 1 FROM keys WHERE parent=?2 AND folded=?1",
    "UPDATE keys SET name=?5, folded=?1 WHERE id=?4",
    true,
};
const Table kValuesTable = {
    "SELECT key, 0, name, folded FROM vals ORDER BY key, name",
    "UPDATE vals SET folded=?1 WHERE key=?2 AND folded=?3",
    "SELECT 1 FROM vals WHERE key=?2 AND folded=?1",
    "UPDATE vals SET name=?5, folded=?1 WHERE key=?2 AND folded=?3",
    false,
};

// Runs sql once for row with newFolded and newName: SQLITE_DONE or SQLITE_ROW, or the error.
int Run(sqlite3 *db, const char *sql, const Row &row, const std::string &newFolded, const std::string &newName) {
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    if (rc == SQLITE_OK) {
        int count = sqlite3_bind_parameter_count(s);
        sqlite3_bind_blob64(s, 1, newFolded.data(), newFolded.size(), SQLITE_STATIC);
        if (count >= 2) sqlite3_bind_int64(s, 2, row.owner);
        if (count >= 3) sqlite3_bind_blob64(s, 3, row.folded.data(), row.folded.size(), SQLITE_STATIC);
        if (count >= 4) sqlite3_bind_int64(s, 4, row.id);
        if (count >= 5) sqlite3_bind_blob64(s, 5, newName.data(), newName.size(), SQLITE_STATIC);
        rc = sqlite3_step(s);
    }
    sqlite3_finalize(s);
    return rc;
}

int ReadRows(sqlite3 *db, const char *sql, std::vector<Row> *rows) {
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(s)) == SQLITE_ROW) {
        auto blob = [s](int column) {
            const char *data = static_cast<const char *>(sqlite3_column_blob(s, column));
            return std::string(data != nullptr ? data : "", static_cast<size_t>(sqlite3_column_bytes(s, column)));
        };
        rows->push_back({sqlite3_column_int64(s, 0), sqlite3_column_int64(s, 1), blob(2), blob(3)});
        rc = SQLITE_OK;
    }
    sqlite3_finalize(s);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// Drops the last character of UTF-8 text.
void DropLastCharacter(std::string *text) {
    while (!text->empty() && (static_cast<unsigned char>(text->back()) & 0xC0) == 0x80) text->pop_back();
    if (!text->empty()) text->pop_back();
}

// Folds every name of a table anew. Two names that become one (keys "Émile" and "émile" under
// one parent, which schema 1 kept apart) keep both: the one met second is renamed "émile (2)"
// (or (3), ...; a key name shortened to stay within 255 characters), so nothing is lost and both
// stay reachable.
int Refold(sqlite3 *db, const Table &table) {
    std::vector<Row> rows;
    int rc = ReadRows(db, table.rows, &rows);
    for (const Row &row : rows) {
        if (rc != SQLITE_OK) break;
        std::string folded = FoldName(row.name.data(), row.name.size(), true);
        if (folded == row.folded) continue;
        rc = Run(db, table.refold, row, folded, row.name);
        for (int n = 2; rc == SQLITE_CONSTRAINT; ++n) {
            std::string suffix = " (" + std::to_string(n) + ")";
            std::string name = row.name;
            while (table.keyNames && NameLength(name.data(), name.size()) + suffix.size() > kMaxKeyNameLength) {
                DropLastCharacter(&name);
            }
            name += suffix;
            folded = FoldName(name.data(), name.size(), true);
            rc = Run(db, table.taken, row, folded, name);
            if (rc == SQLITE_ROW) rc = SQLITE_CONSTRAINT;  // taken too: try the next number
            if (rc == SQLITE_DONE) rc = Run(db, table.rename, row, folded, name);
        }
        if (rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    return rc;
}

// Brings a store of schema version 1 to version 2, in one transaction (another process may have
// done so meanwhile).
int Migrate(sqlite3 *db) {
    int rc = Exec(db, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) return rc;
    int version = 0;
    rc = QueryInts(db, "PRAGMA user_version", &version);
    if (rc == SQLITE_OK && version == 1) rc = Refold(db, kKeysTable);
    if (rc == SQLITE_OK && version == 1) rc = Refold(db, kValuesTable);
    if (rc == SQLITE_OK && version == 1) rc = Exec(db, "PRAGMA user_version=2");
    if (rc == SQLITE_OK) rc = Exec(db, "COMMIT");
    if (rc != SQLITE_OK) Exec(db, "ROLLBACK");
    return rc;
}

}  // namespace

int PrepareStore(sqlite3 *db, bool readOnly, bool *unicodeNames) {
    // The store's mark (application_id) and its number of tables, read in one statement and so
    // in one read transaction: read apart, another process's first use could commit the schema
    // between the two reads, and a new store would look like someone else's database.
    int appId = 0, objects = 0;
    int rc = QueryInts(db,
                       "SELECT (SELECT application_id FROM pragma_application_id()), "
                       "(SELECT count(*) FROM sqlite_schema)",
                       &appId, &objects);
    if (rc != SQLITE_OK) return rc;
    *unicodeNames = true;
    if (appId != kApplicationId) {
        if (appId != 0 || objects != 0) return SQLITE_NOTADB;  // someone else's database
        if (readOnly) return SQLITE_CANTOPEN;                 // an empty file that cannot be made one
        // An empty file: give it the schema, unless another connection does so first.
        rc = Exec(db, "PRAGMA journal_mode=WAL; BEGIN IMMEDIATE");
        if (rc != SQLITE_OK) return rc;
        rc = QueryInts(db, "PRAGMA application_id", &appId);
        if (rc == SQLITE_OK && appId == 0) rc = Exec(db, kSchema);
        if (rc == SQLITE_OK) rc = Exec(db, "COMMIT");
        if (rc != SQLITE_OK) Exec(db, "ROLLBACK");
        return rc;
    }
    int version = 0;
    rc = QueryInts(db, "PRAGMA user_version", &version);
    if (rc != SQLITE_OK) return rc;
    if (version != 1 && version != kSchemaVersion) return SQLITE_NOTADB;
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
    if (rc != SQLITE_OK || readOnly) {
        // A store that cannot be written is read as it is, in the folding of its version.
        *unicodeNames = version >= 2;
        return rc;
    }
    // WAL for a store made elsewhere in rollback mode.
    rc = Exec(db, "PRAGMA journal_mode=WAL");
    if (rc == SQLITE_OK && version == 1) rc = Migrate(db);
    return rc;
}

}  // namespace win32::registry
