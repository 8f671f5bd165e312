// Registry values: setting, reading, enumerating and deleting the named values of a key.
#include "win32/advapi32/registry_keys_internal.h"

#include <cstring>
#include <new>

using namespace win32::registry;

namespace {

std::string FoldedName(Connection *c, LPCSTR name) {
    return name == nullptr ? std::string() : Folded(c, name, std::strlen(name));
}

// Copies a value's data (column `column` of s) into data/size as RegQueryValueExA does.
LONG CopyData(sqlite3_stmt *s, int column, LPBYTE data, LPDWORD size) {
    size_t bytes = static_cast<size_t>(sqlite3_column_bytes(s, column));
    if (bytes > 0xFFFFFFFFu) return ERROR_CANTREAD;
    if (size == nullptr) return ERROR_SUCCESS;
    DWORD capacity = *size;
    *size = static_cast<DWORD>(bytes);
    if (data == nullptr) return ERROR_SUCCESS;
    if (capacity < bytes) return ERROR_MORE_DATA;
    if (bytes > 0) std::memcpy(data, sqlite3_column_blob(s, column), bytes);
    return ERROR_SUCCESS;
}

}  // namespace

extern "C" LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                               const BYTE *data, DWORD size) {
    if (reserved != 0 || (data == nullptr && size != 0)) return ERROR_INVALID_PARAMETER;
    int64_t id = 0;
    LONG error = KeyForCall(key, KEY_SET_VALUE, &id);
    if (error != ERROR_SUCCESS) return error;
    try {
        const char *written = name != nullptr ? name : "";
        return RunStore(true, [&](Connection *c) -> LONG {
            std::string folded = FoldedName(c, name);
            sqlite3_stmt *s = Statement(c, kSetValue);
            if (s == nullptr) return StoreError(sqlite3_errcode(c->db), true);
            sqlite3_bind_int64(s, 1, id);
            BindBlob(s, 2, written, std::strlen(written));
            BindBlob(s, 3, folded.data(), folded.size());
            sqlite3_bind_int64(s, 4, type);
            BindBlob(s, 5, data, size);
            int rc = sqlite3_step(s);
            sqlite3_reset(s);
            if (rc != SQLITE_DONE) return StoreError(rc, true);
            // Nothing written: the key is gone (the statement writes only under a key that exists).
            return sqlite3_changes(c->db) > 0 ? ERROR_SUCCESS : ERROR_KEY_DELETED;
        });
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

extern "C" LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type,
                                 LPBYTE data, LPDWORD size) {
    if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
    int64_t id = 0;
    LONG error = KeyForCall(key, KEY_QUERY_VALUE, &id);
    if (error != ERROR_SUCCESS) return error;
    try {
        return RunStore(false, [&](Connection *c) -> LONG {
            std::string folded = FoldedName(c, name);
            sqlite3_stmt *s = Statement(c, kGetValue);
            if (s == nullptr) return StoreError(sqlite3_errcode(c->db), false);
            sqlite3_bind_int64(s, 1, id);
            BindBlob(s, 2, folded.data(), folded.size());
            int rc = sqlite3_step(s);
            if (rc != SQLITE_ROW) {
                sqlite3_reset(s);
                return rc == SQLITE_DONE ? ERROR_KEY_DELETED : StoreError(rc, false);
            }
            if (sqlite3_column_type(s, 0) == SQLITE_NULL) {
                sqlite3_reset(s);
                return ERROR_FILE_NOT_FOUND;
            }
            if (type != nullptr) *type = static_cast<DWORD>(sqlite3_column_int64(s, 0));
            LONG e = CopyData(s, 1, data, size);
            sqlite3_reset(s);
            return e;
        });
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

extern "C" LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength,
                              LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataLength) {
    if (reserved != nullptr || name == nullptr || nameLength == nullptr ||
        (data != nullptr && dataLength == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    int64_t id = 0;
    LONG error = KeyForCall(key, KEY_QUERY_VALUE, &id);
    if (error != ERROR_SUCCESS) return error;
    try {
        return RunStore(false, [&](Connection *c) -> LONG {
            sqlite3_stmt *s = Statement(c, kEnumValue);
            if (s == nullptr) return StoreError(sqlite3_errcode(c->db), false);
            sqlite3_bind_int64(s, 1, id);
            sqlite3_bind_int64(s, 2, index);
            int rc = sqlite3_step(s);
            if (rc != SQLITE_ROW) {
                sqlite3_reset(s);
                if (rc != SQLITE_DONE) return StoreError(rc, false);
                LONG alive = CheckAlive(c, id, false);
                return alive == ERROR_SUCCESS ? ERROR_NO_MORE_ITEMS : alive;
            }
            size_t nameSize = static_cast<size_t>(sqlite3_column_bytes(s, 0));
            size_t dataSize = static_cast<size_t>(sqlite3_column_bytes(s, 2));
            bool nameFits = *nameLength >= nameSize + 1;
            bool dataFits = data == nullptr || *dataLength >= dataSize;
            if (!nameFits || !dataFits) {
                *nameLength = static_cast<DWORD>(nameSize + 1);
                if (dataLength != nullptr) *dataLength = static_cast<DWORD>(dataSize);
                sqlite3_reset(s);
                return ERROR_MORE_DATA;
            }
            if (nameSize > 0) std::memcpy(name, sqlite3_column_blob(s, 0), nameSize);
            name[nameSize] = '\0';
            *nameLength = static_cast<DWORD>(nameSize + 1);
            if (type != nullptr) *type = static_cast<DWORD>(sqlite3_column_int64(s, 1));
            LONG e = CopyData(s, 2, data, dataLength);
            sqlite3_reset(s);
            return e;
        });
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

extern "C" LONG RegDeleteValueA(HKEY key, LPCSTR name) {
    int64_t id = 0;
    LONG error = KeyForCall(key, KEY_SET_VALUE, &id);
    if (error != ERROR_SUCCESS) return error;
    try {
        return RunStore(true, [&](Connection *c) -> LONG {
            std::string folded = FoldedName(c, name);
            sqlite3_stmt *s = Statement(c, kDeleteValue);
            if (s == nullptr) return StoreError(sqlite3_errcode(c->db), true);
            sqlite3_bind_int64(s, 1, id);
            BindBlob(s, 2, folded.data(), folded.size());
            int rc = sqlite3_step(s);
            sqlite3_reset(s);
            if (rc != SQLITE_DONE) return StoreError(rc, true);
            if (sqlite3_changes(c->db) > 0) return ERROR_SUCCESS;
            LONG alive = CheckAlive(c, id, true);
            return alive == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : alive;
        });
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
