// Registry keys: the table of open handles, opening and creating key paths, closing, flushing,
// deleting and enumerating keys, and the facts of a key.
#include "win32/advapi32/registry_keys_internal.h"
#include "win32/advapi32/registry_names_internal.h"

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace win32::registry {

namespace {

constexpr size_t kMaxKeyNameLength = 255;
constexpr uintptr_t kFirstRoot = 0x80000000u;
constexpr int64_t kRootIds[] = {1, 2, 3, 4, 0 /* performance data: not kept */, 5};
constexpr int64_t kLastRootId = 5;

// An open handle: the id of a committed key (0 once a rolled-back transaction took its key
// away) and the rights it was opened with.
struct OpenKey {
    bool inUse = false;
    int64_t id = 0;
    REGSAM access = 0;
};

// The handle table (handle = index + 1). Made on first use and never destroyed, so that exit
// handlers may still open keys.
std::mutex g_handlesLock;
std::vector<OpenKey> &Handles() {
    static auto *handles = new std::vector<OpenKey>();
    return *handles;
}

bool IsRoot(HKEY key) {
    auto value = reinterpret_cast<uintptr_t>(key);
    return value >= kFirstRoot && value < kFirstRoot + sizeof kRootIds / sizeof kRootIds[0];
}

int64_t RootId(HKEY key) { return IsRoot(key) ? kRootIds[reinterpret_cast<uintptr_t>(key) - kFirstRoot] : 0; }

// Splits a key path into its names. ERROR_BAD_PATHNAME for an empty name inside the path or a
// leading '\', ERROR_INVALID_PARAMETER for a name over 255 characters.
LONG SplitPath(const char *path, std::vector<std::string> *names) {
    names->clear();
    if (path == nullptr || path[0] == '\0') return ERROR_SUCCESS;
    size_t length = std::strlen(path);
    if (path[length - 1] == '\\') --length;  // one trailing separator is allowed
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i == length || path[i] == '\\') {
            if (i == start) return ERROR_BAD_PATHNAME;
            if (NameLength(path + start, i - start) > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
            names->emplace_back(path + start, i - start);
            start = i + 1;
        }
    }
    return ERROR_SUCCESS;
}

// Walks names from key base, creating missing keys when create is set (the last one gets
// keyClass). *created tells whether the last key was made here.
LONG Resolve(Connection *c, int64_t base, const std::vector<std::string> &folded,
             const std::vector<std::string> &names, bool create, const std::string &keyClass,
             int64_t *id, bool *created) {
    int64_t current = base;
    *created = false;
    for (size_t i = 0; i < names.size(); ++i) {
        sqlite3_stmt *s = Statement(c, kFindChild);
        if (s == nullptr) return StoreError(sqlite3_errcode(c->db), create);
        sqlite3_bind_int64(s, 1, current);
        BindBlob(s, 2, folded[i].data(), folded[i].size());
        int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            current = sqlite3_column_int64(s, 0);
            sqlite3_reset(s);
            continue;
        }
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) return StoreError(rc, create);
        if (!create) return ERROR_FILE_NOT_FOUND;
        s = Statement(c, kInsertKey);
        if (s == nullptr) return StoreError(sqlite3_errcode(c->db), true);
        sqlite3_bind_int64(s, 1, current);
        BindBlob(s, 2, names[i].data(), names[i].size());
        BindBlob(s, 3, folded[i].data(), folded[i].size());
        const std::string &cls = i + 1 == names.size() ? keyClass : std::string();
        BindBlob(s, 4, cls.data(), cls.size());
        rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) return StoreError(rc, true);
        current = sqlite3_last_insert_rowid(c->db);
        *created = i + 1 == names.size();
    }
    *id = current;
    return ERROR_SUCCESS;
}

// The names of a path in folded form, and the path cache's name of the path below base.
std::string FoldPath(Connection *c, int64_t base, const std::vector<std::string> &names,
                     std::vector<std::string> *folded) {
    std::string cacheName = std::to_string(base);
    folded->clear();
    for (const auto &n : names) {
        folded->push_back(Folded(c, n.data(), n.size()));
        cacheName += '\\';
        cacheName += folded->back();
    }
    return cacheName;
}

HKEY AddHandle(int64_t id, REGSAM access) {
    std::lock_guard<std::mutex> hold(g_handlesLock);
    std::vector<OpenKey> &handles = Handles();
    for (size_t i = 0; i < handles.size(); ++i) {
        if (!handles[i].inUse) {
            handles[i] = {true, id, access};
            return reinterpret_cast<HKEY>(static_cast<uintptr_t>(i + 1));
        }
    }
    handles.push_back({true, id, access});
    return reinterpret_cast<HKEY>(static_cast<uintptr_t>(handles.size()));
}

LONG OpenOrCreate(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, LPCSTR keyClass,
                  bool create, PHKEY result, LPDWORD disposition) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if ((create && options != REG_OPTION_NON_VOLATILE) || (!create && options != 0)) {
        return ERROR_INVALID_PARAMETER;
    }
    int64_t baseId = 0;
    REGSAM baseAccess = 0;
    if (!LookupKey(key, &baseId, &baseAccess)) return ERROR_INVALID_HANDLE;
    std::vector<std::string> names, folded;
    LONG split = SplitPath(subKey, &names);
    if (split != ERROR_SUCCESS) return split;
    std::string cls = keyClass != nullptr ? keyClass : "";
    bool created = false;
    int64_t id = baseId;
    // One attempt: with write false it only finds keys, with write true it makes the missing
    // ones. A path in the cache is used as it is while no key was deleted anywhere since its key
    // was last seen alive, else once its key is seen to exist still.
    auto attempt = [&](Connection *c, bool write) -> LONG {
        created = false;
        if (write && (baseAccess & KEY_CREATE_SUB_KEY) == 0) return ERROR_ACCESS_DENIED;
        // A root key always exists; a key below a handle's key must find that key alive.
        if (baseId > kLastRootId || names.empty()) {
            LONG alive = CheckAlive(c, baseId, write);
            if (alive != ERROR_SUCCESS || names.empty()) return alive;
        }
        std::string cacheName = FoldPath(c, baseId, names, &folded);
        bool trusted = false;
        if (CachedKey(c, cacheName, &id, &trusted)) {
            LONG alive = trusted ? ERROR_SUCCESS : CheckAlive(c, id, write);
            if (alive == ERROR_SUCCESS && !trusted) CacheKey(c, cacheName, id);  // seen alive now
            if (alive != ERROR_KEY_DELETED) return alive;
            ForgetCachedKeys(c);  // deleted meanwhile, by another thread or process
        }
        LONG e = Resolve(c, baseId, folded, names, write, cls, &id, &created);
        if (e == ERROR_SUCCESS) CacheKey(c, cacheName, id);
        return e;
    };
    LONG error = RunStore(false, [&](Connection *c) { return attempt(c, false); });
    if (error == ERROR_FILE_NOT_FOUND && create) {
        error = RunStore(true, [&](Connection *c) { return attempt(c, true); });
    }
    if (error != ERROR_SUCCESS) return error;
    *result = AddHandle(id, access);
    if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

// Copies text with a zero into buffer of *length characters, or reports the size needed.
LONG CopyName(const void *text, size_t size, LPSTR buffer, LPDWORD length) {
    if (length == nullptr) return ERROR_SUCCESS;
    if (buffer == nullptr || *length < size + 1) {
        *length = static_cast<DWORD>(size + 1);
        return buffer == nullptr ? ERROR_SUCCESS : ERROR_MORE_DATA;
    }
    if (size > 0) std::memcpy(buffer, text, size);
    buffer[size] = '\0';
    *length = static_cast<DWORD>(size + 1);
    return ERROR_SUCCESS;
}

}  // namespace

bool LookupKey(HKEY key, int64_t *id, REGSAM *access) {
    if (IsRoot(key)) {
        *id = RootId(key);
        *access = KEY_ALL_ACCESS;
        return *id != 0;
    }
    auto index = reinterpret_cast<uintptr_t>(key);
    std::lock_guard<std::mutex> hold(g_handlesLock);
    const std::vector<OpenKey> &handles = Handles();
    if (index == 0 || index > handles.size() || !handles[index - 1].inUse) return false;
    *id = handles[index - 1].id;
    *access = handles[index - 1].access;
    return true;
}

LONG KeyForCall(HKEY key, REGSAM needed, int64_t *id) {
    REGSAM access = 0;
    if (!LookupKey(key, id, &access)) return ERROR_INVALID_HANDLE;
    return (access & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG CheckAlive(Connection *c, int64_t id, bool write) {
    sqlite3_stmt *s = Statement(c, kKeyAlive);
    if (s == nullptr) return StoreError(sqlite3_errcode(c->db), write);
    sqlite3_bind_int64(s, 1, id);
    int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc == SQLITE_ROW) return ERROR_SUCCESS;
    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : StoreError(rc, write);
}

void AbandonHandlesFrom(int64_t firstNewId) {
    std::lock_guard<std::mutex> hold(g_handlesLock);
    for (OpenKey &handle : Handles()) {
        if (handle.inUse && handle.id >= firstNewId) handle.id = 0;
    }
}

std::string Folded(Connection *c, const char *name, size_t length) {
    return FoldName(name, length, c->unicodeNames);
}

int BindBlob(sqlite3_stmt *s, int index, const void *data, size_t size) {
    if (size == 0) return sqlite3_bind_zeroblob(s, index, 0);
    return sqlite3_bind_blob64(s, index, data, size, SQLITE_STATIC);
}

}  // namespace win32::registry

using namespace win32::registry;

extern "C" LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass,
                                DWORD options, REGSAM access, const LPSECURITY_ATTRIBUTES,
                                PHKEY result, LPDWORD disposition) {
    if (reserved != 0) return ERROR_INVALID_PARAMETER;
    try {
        return OpenOrCreate(key, subKey, options, access, keyClass, true, result, disposition);
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

extern "C" LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
    try {
        return OpenOrCreate(key, subKey, options, access, nullptr, false, result, nullptr);
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

extern "C" LONG RegCloseKey(HKEY key) {
    if (IsRoot(key)) return RootId(key) != 0 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    auto index = reinterpret_cast<uintptr_t>(key);
    std::lock_guard<std::mutex> hold(g_handlesLock);
    std::vector<OpenKey> &handles = Handles();
    if (index == 0 || index > handles.size() || !handles[index - 1].inUse) {
        return ERROR_INVALID_HANDLE;
    }
    handles[index - 1] = OpenKey();
    return ERROR_SUCCESS;
}

extern "C" LONG RegFlushKey(HKEY key) {
    int64_t id = 0;
    REGSAM access = 0;
    if (!LookupKey(key, &id, &access)) return ERROR_INVALID_HANDLE;
    try {
        return FlushStore();
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

extern "C" LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
    try {
        std::vector<std::string> names, folded;
        LONG error = SplitPath(subKey, &names);
        if (error != ERROR_SUCCESS) return error;
        int64_t baseId = 0;
        error = KeyForCall(key, names.empty() ? DELETE : 0, &baseId);
        if (error != ERROR_SUCCESS) return error;
        return RunStore(true, [&](Connection *c) -> LONG {
            LONG e = CheckAlive(c, baseId, true);
            if (e != ERROR_SUCCESS) return e;
            int64_t id = baseId;
            bool created = false;
            FoldPath(c, baseId, names, &folded);
            e = Resolve(c, baseId, folded, names, false, std::string(), &id, &created);
            if (e != ERROR_SUCCESS) return e;
            if (id <= kLastRootId) return ERROR_ACCESS_DENIED;  // a root key
            sqlite3_stmt *s = Statement(c, kHasChildren);
            if (s == nullptr) return StoreError(sqlite3_errcode(c->db), true);
            sqlite3_bind_int64(s, 1, id);
            int rc = sqlite3_step(s);
            sqlite3_reset(s);
            if (rc == SQLITE_ROW) return ERROR_ACCESS_DENIED;
            if (rc != SQLITE_DONE) return StoreError(rc, true);
            for (StatementId which : {kDeleteKeyVals, kDeleteKeyRow}) {
                s = Statement(c, which);
                if (s == nullptr) return StoreError(sqlite3_errcode(c->db), true);
                sqlite3_bind_int64(s, 1, id);
                rc = sqlite3_step(s);
                sqlite3_reset(s);
                if (rc != SQLITE_DONE) return StoreError(rc, true);
            }
            CountDeletion(c);
            return ERROR_SUCCESS;
        });
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

extern "C" LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength,
                              LPDWORD reserved, LPSTR keyClass, LPDWORD classLength,
                              PFILETIME lastWriteTime) {
    if (reserved != nullptr || name == nullptr || nameLength == nullptr ||
        (keyClass != nullptr && classLength == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    int64_t id = 0;
    LONG error = KeyForCall(key, KEY_ENUMERATE_SUB_KEYS, &id);
    if (error != ERROR_SUCCESS) return error;
    try {
        return RunStore(false, [&](Connection *c) -> LONG {
            sqlite3_stmt *s = Statement(c, kEnumKey);
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
            size_t classSize = static_cast<size_t>(sqlite3_column_bytes(s, 1));
            bool nameFits = *nameLength >= nameSize + 1;
            bool classFits = keyClass == nullptr || *classLength >= classSize + 1;
            if (!nameFits || !classFits) {
                *nameLength = static_cast<DWORD>(nameSize + 1);
                if (classLength != nullptr) *classLength = static_cast<DWORD>(classSize + 1);
                sqlite3_reset(s);
                return ERROR_MORE_DATA;
            }
            CopyName(sqlite3_column_blob(s, 0), nameSize, name, nameLength);
            CopyName(sqlite3_column_blob(s, 1), classSize, keyClass, classLength);
            if (lastWriteTime != nullptr) *lastWriteTime = FILETIME{0, 0};
            sqlite3_reset(s);
            return ERROR_SUCCESS;
        });
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

extern "C" LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classLength, LPDWORD reserved,
                                 LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                                 LPDWORD values, LPDWORD maxValueNameLength,
                                 LPDWORD maxValueLength, LPDWORD securityDescriptorSize,
                                 PFILETIME lastWriteTime) {
    if (reserved != nullptr || (keyClass != nullptr && classLength == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    int64_t id = 0;
    LONG error = KeyForCall(key, KEY_QUERY_VALUE, &id);
    if (error != ERROR_SUCCESS) return error;
    try {
        return RunStore(false, [&](Connection *c) -> LONG {
            // The class first: it also tells whether the key is still there.
            sqlite3_stmt *s = Statement(c, kKeyClass);
            if (s == nullptr) return StoreError(sqlite3_errcode(c->db), false);
            sqlite3_bind_int64(s, 1, id);
            int rc = sqlite3_step(s);
            if (rc != SQLITE_ROW) {
                sqlite3_reset(s);
                return rc == SQLITE_DONE ? ERROR_KEY_DELETED : StoreError(rc, false);
            }
            LONG copied = CopyName(sqlite3_column_blob(s, 0), static_cast<size_t>(sqlite3_column_bytes(s, 0)),
                                   keyClass, classLength);
            sqlite3_reset(s);
            if (copied != ERROR_SUCCESS) return copied;
            // A count with the zero, 0 when there is no name.
            auto withZero = [](sqlite3_stmt *stats, int column) -> DWORD {
                if (sqlite3_column_type(stats, column) == SQLITE_NULL) return 0;
                return static_cast<DWORD>(sqlite3_column_int64(stats, column) + 1);
            };
            for (StatementId which : {kKeyStats, kValueStats}) {
                s = Statement(c, which);
                if (s == nullptr) return StoreError(sqlite3_errcode(c->db), false);
                sqlite3_bind_int64(s, 1, id);
                rc = sqlite3_step(s);
                if (rc != SQLITE_ROW) {
                    sqlite3_reset(s);
                    return StoreError(rc, false);
                }
                DWORD count = static_cast<DWORD>(sqlite3_column_int64(s, 0));
                if (which == kKeyStats) {
                    if (subKeys != nullptr) *subKeys = count;
                    if (maxSubKeyLength != nullptr) *maxSubKeyLength = withZero(s, 1);
                    if (maxClassLength != nullptr) *maxClassLength = withZero(s, 2);
                } else {
                    if (values != nullptr) *values = count;
                    if (maxValueNameLength != nullptr) *maxValueNameLength = withZero(s, 1);
                    if (maxValueLength != nullptr) *maxValueLength = static_cast<DWORD>(sqlite3_column_int64(s, 2));
                }
                sqlite3_reset(s);
            }
            if (securityDescriptorSize != nullptr) *securityDescriptorSize = 0;
            if (lastWriteTime != nullptr) *lastWriteTime = FILETIME{0, 0};
            return ERROR_SUCCESS;
        });
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
