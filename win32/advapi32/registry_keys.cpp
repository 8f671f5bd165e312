// Registry keys: the table of open handles, opening and creating key paths, closing, deleting
// and enumerating keys, and the facts of a key.
#include "win32/advapi32/registry_keys_internal.h"

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace win32::registry {

namespace {

constexpr size_t kMaxKeyNameLength = 255;
constexpr uintptr_t kFirstRoot = 0x80000000u;
constexpr int64_t kRootIds[] = {1, 2, 3, 4, 0 /* performance data: not kept */, 5};

// An open handle. A handle opened from the calling thread's path cache is not yet checked
// (checked == false): its first use confirms the key, or resolves the path again when the key
// went away meanwhile, as if it had been opened then.
struct OpenKey {
    bool inUse = false;
    int64_t id = 0;
    REGSAM access = 0;
    bool checked = true;
    bool create = false;       // re-resolving creates missing keys (RegCreateKeyExA)
    int64_t baseId = 0;
    std::string path;          // as written, for re-resolving
    std::string keyClass;
};

std::mutex g_handlesLock;
std::vector<OpenKey> g_handles;  // handle = index + 1

int64_t RootId(HKEY key) {
    auto value = reinterpret_cast<uintptr_t>(key);
    if (value < kFirstRoot || value >= kFirstRoot + sizeof kRootIds / sizeof kRootIds[0]) return 0;
    return kRootIds[value - kFirstRoot];
}

bool IsRoot(HKEY key) {
    auto value = reinterpret_cast<uintptr_t>(key);
    return value >= kFirstRoot && value < kFirstRoot + sizeof kRootIds / sizeof kRootIds[0];
}

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
            if (i - start > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
            names->emplace_back(path + start, i - start);
            start = i + 1;
        }
    }
    return ERROR_SUCCESS;
}

bool Alive(Connection *c, int64_t id, int *rc) {
    sqlite3_stmt *s = Statement(c, kKeyAlive);
    if (s == nullptr) {
        *rc = SQLITE_ERROR;
        return false;
    }
    sqlite3_bind_int64(s, 1, id);
    *rc = sqlite3_step(s);
    bool alive = *rc == SQLITE_ROW;
    if (*rc == SQLITE_ROW || *rc == SQLITE_DONE) *rc = SQLITE_OK;
    sqlite3_reset(s);
    return alive;
}

// Walks names from key base, creating missing keys when create is set (the last one gets
// keyClass). *created tells whether the last key was made here.
LONG Resolve(Connection *c, int64_t base, const std::vector<std::string> &names, bool create,
             const std::string &keyClass, int64_t *id, bool *created) {
    int64_t current = base;
    *created = false;
    for (size_t i = 0; i < names.size(); ++i) {
        std::string folded = Folded(names[i].data(), names[i].size());
        sqlite3_stmt *s = Statement(c, kFindChild);
        if (s == nullptr) return StoreError(sqlite3_errcode(Database(c)), create);
        sqlite3_bind_int64(s, 1, current);
        BindBlob(s, 2, folded.data(), folded.size());
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
        if (s == nullptr) return StoreError(sqlite3_errcode(Database(c)), true);
        sqlite3_bind_int64(s, 1, current);
        BindBlob(s, 2, names[i].data(), names[i].size());
        BindBlob(s, 3, folded.data(), folded.size());
        const std::string &cls = i + 1 == names.size() ? keyClass : std::string();
        BindBlob(s, 4, cls.data(), cls.size());
        rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_DONE) return StoreError(rc, true);
        current = sqlite3_last_insert_rowid(Database(c));
        *created = i + 1 == names.size();
    }
    *id = current;
    return ERROR_SUCCESS;
}

std::string CacheName(int64_t base, const std::vector<std::string> &names) {
    std::string key = std::to_string(base);
    for (const auto &n : names) {
        key += '\\';
        key += Folded(n.data(), n.size());
    }
    return key;
}

// A copy of handle key's entry; false when it is not open. Roots give their fixed entry.
bool Lookup(HKEY key, OpenKey *entry) {
    if (IsRoot(key)) {
        int64_t id = RootId(key);
        if (id == 0) return false;
        entry->inUse = true;
        entry->id = id;
        entry->access = KEY_ALL_ACCESS;
        entry->checked = true;
        return true;
    }
    auto index = reinterpret_cast<uintptr_t>(key);
    std::lock_guard<std::mutex> hold(g_handlesLock);
    if (index == 0 || index > g_handles.size() || !g_handles[index - 1].inUse) return false;
    *entry = g_handles[index - 1];
    return true;
}

// The id and access of an open handle, without copying its strings.
bool LookupId(HKEY key, int64_t *id, REGSAM *access) {
    if (IsRoot(key)) {
        *id = RootId(key);
        *access = KEY_ALL_ACCESS;
        return *id != 0;
    }
    auto index = reinterpret_cast<uintptr_t>(key);
    std::lock_guard<std::mutex> hold(g_handlesLock);
    if (index == 0 || index > g_handles.size() || !g_handles[index - 1].inUse) return false;
    *id = g_handles[index - 1].id;
    *access = g_handles[index - 1].access;
    return true;
}

HKEY AddHandle(const OpenKey &entry) {
    std::lock_guard<std::mutex> hold(g_handlesLock);
    for (size_t i = 0; i < g_handles.size(); ++i) {
        if (!g_handles[i].inUse) {
            g_handles[i] = entry;
            return reinterpret_cast<HKEY>(static_cast<uintptr_t>(i + 1));
        }
    }
    g_handles.push_back(entry);
    return reinterpret_cast<HKEY>(static_cast<uintptr_t>(g_handles.size()));
}

void MarkChecked(HKEY key, int64_t id) {
    auto index = reinterpret_cast<uintptr_t>(key);
    std::lock_guard<std::mutex> hold(g_handlesLock);
    if (index == 0 || index > g_handles.size() || !g_handles[index - 1].inUse) return;
    OpenKey &e = g_handles[index - 1];
    e.id = id;
    e.checked = true;
    e.path.clear();
    e.path.shrink_to_fit();
    e.keyClass.clear();
}

LONG OpenOrCreate(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, LPCSTR keyClass,
                  bool create, PHKEY result, LPDWORD disposition) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if ((create && options != REG_OPTION_NON_VOLATILE) || (!create && options != 0)) {
        return ERROR_INVALID_PARAMETER;
    }
    OpenKey base;
    if (!Lookup(key, &base)) return ERROR_INVALID_HANDLE;
    std::vector<std::string> names;
    LONG split = SplitPath(subKey, &names);
    if (split != ERROR_SUCCESS) return split;
    std::string cls = keyClass != nullptr ? keyClass : "";
    bool created = false;
    int64_t id = 0;
    bool checked = true;
    // One attempt: with write false it only finds keys (from the cache when it may), with write
    // true it makes the missing ones inside a write transaction.
    auto attempt = [&](Connection *c, bool write) -> LONG {
        int64_t baseId = base.id;
        if (!base.checked) {
            LONG e = KeyForCall(c, key, 0, &baseId);
            if (e != ERROR_SUCCESS) return e;
        }
        base.id = baseId;
        created = false;
        checked = true;
        std::string cacheName = CacheName(baseId, names);
        // The cache serves an open, and a create whose caller does not ask what happened.
        if (!write && (!create || disposition == nullptr) && !names.empty() &&
            CachedKey(c, cacheName, &id)) {
            checked = false;
            return ERROR_SUCCESS;
        }
        int rc = SQLITE_OK;
        if (names.empty() && !Alive(c, baseId, &rc)) {
            return rc != SQLITE_OK ? StoreError(rc, write) : ERROR_KEY_DELETED;
        }
        if (write && (base.access & KEY_CREATE_SUB_KEY) == 0) return ERROR_ACCESS_DENIED;
        LONG e = Resolve(c, baseId, names, write, cls, &id, &created);
        if (e == ERROR_SUCCESS && !names.empty()) CacheKey(c, cacheName, id);
        return e;
    };
    LONG error = RunStore(false, [&](Connection *c) { return attempt(c, false); });
    if (error == ERROR_FILE_NOT_FOUND && create) {
        error = RunStore(true, [&](Connection *c) { return attempt(c, true); });
    }
    if (error != ERROR_SUCCESS) return error;
    OpenKey entry;
    entry.inUse = true;
    entry.id = id;
    entry.access = access;
    entry.checked = checked;
    if (!checked) {
        entry.create = create;
        entry.baseId = base.id;
        entry.path = subKey;
        entry.keyClass = cls;
    }
    *result = AddHandle(entry);
    if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

}  // namespace

std::string Folded(const char *name, size_t length) {
    std::string folded(name, length);
    for (auto &ch : folded) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    return folded;
}

int BindBlob(sqlite3_stmt *s, int index, const void *data, size_t size) {
    if (size == 0) return sqlite3_bind_zeroblob(s, index, 0);
    return sqlite3_bind_blob64(s, index, data, size, SQLITE_STATIC);
}

LONG KeyForCall(Connection *c, HKEY key, REGSAM needed, int64_t *id, bool verify) {
    if (!verify) {
        // The caller's own statement tells whether the key is still there.
        int64_t known = 0;
        REGSAM access = 0;
        if (!LookupId(key, &known, &access)) return ERROR_INVALID_HANDLE;
        if ((access & needed) != needed) return ERROR_ACCESS_DENIED;
        *id = known;
        return ERROR_SUCCESS;
    }
    OpenKey entry;
    if (!Lookup(key, &entry)) return ERROR_INVALID_HANDLE;
    if ((entry.access & needed) != needed) return ERROR_ACCESS_DENIED;
    int rc = SQLITE_OK;
    if (Alive(c, entry.id, &rc)) {
        if (!entry.checked) MarkChecked(key, entry.id);
        *id = entry.id;
        return ERROR_SUCCESS;
    }
    if (rc != SQLITE_OK) return StoreError(rc, false);
    if (entry.checked) return ERROR_KEY_DELETED;
    // Opened from a stale cache entry: resolve the path now, as the open would have.
    ForgetCachedKeys(c);
    std::vector<std::string> names;
    SplitPath(entry.path.c_str(), &names);
    bool created = false;
    int64_t resolved = 0;
    // Creating needs a write transaction; inside a read body a missing key reads as deleted.
    bool canCreate = entry.create && sqlite3_get_autocommit(Database(c)) == 0;
    LONG e = Resolve(c, entry.baseId, names, canCreate, entry.keyClass, &resolved, &created);
    if (e == ERROR_FILE_NOT_FOUND) return ERROR_KEY_DELETED;
    if (e != ERROR_SUCCESS) return e;
    MarkChecked(key, resolved);
    *id = resolved;
    return ERROR_SUCCESS;
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
    if (index == 0 || index > g_handles.size() || !g_handles[index - 1].inUse) {
        return ERROR_INVALID_HANDLE;
    }
    g_handles[index - 1] = OpenKey();
    return ERROR_SUCCESS;
}

extern "C" LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
    try {
        std::vector<std::string> names;
        LONG error = SplitPath(subKey, &names);
        if (error != ERROR_SUCCESS) return error;
        return RunStore(true, [&](Connection *c) -> LONG {
            int64_t baseId = 0;
            LONG e = KeyForCall(c, key, names.empty() ? DELETE : 0, &baseId);
            if (e != ERROR_SUCCESS) return e;
            int64_t id = baseId;
            bool created = false;
            e = Resolve(c, baseId, names, false, std::string(), &id, &created);
            if (e != ERROR_SUCCESS) return e;
            if (id <= 5) return ERROR_ACCESS_DENIED;  // a root key
            sqlite3_stmt *s = Statement(c, kHasChildren);
            if (s == nullptr) return StoreError(sqlite3_errcode(Database(c)), true);
            sqlite3_bind_int64(s, 1, id);
            int rc = sqlite3_step(s);
            sqlite3_reset(s);
            if (rc == SQLITE_ROW) return ERROR_ACCESS_DENIED;
            if (rc != SQLITE_DONE) return StoreError(rc, true);
            for (StatementId which : {kDeleteKeyVals, kDeleteKeyRow}) {
                s = Statement(c, which);
                if (s == nullptr) return StoreError(sqlite3_errcode(Database(c)), true);
                sqlite3_bind_int64(s, 1, id);
                rc = sqlite3_step(s);
                sqlite3_reset(s);
                if (rc != SQLITE_DONE) return StoreError(rc, true);
            }
            ForgetCachedKeys(c);
            return ERROR_SUCCESS;
        });
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

namespace {

// Copies text with a zero into buffer of *length characters, or reports the size needed.
LONG CopyName(const void *text, size_t size, LPSTR buffer, LPDWORD length) {
    if (length == nullptr) return buffer == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
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

extern "C" LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength,
                              LPDWORD reserved, LPSTR keyClass, LPDWORD classLength,
                              PFILETIME lastWriteTime) {
    if (reserved != nullptr || name == nullptr || nameLength == nullptr) return ERROR_INVALID_PARAMETER;
    try {
        return RunStore(false, [&](Connection *c) -> LONG {
            int64_t id = 0;
            LONG e = KeyForCall(c, key, KEY_ENUMERATE_SUB_KEYS, &id);
            if (e != ERROR_SUCCESS) return e;
            sqlite3_stmt *s = Statement(c, kEnumKey);
            if (s == nullptr) return StoreError(sqlite3_errcode(Database(c)), false);
            sqlite3_bind_int64(s, 1, id);
            sqlite3_bind_int64(s, 2, index);
            int rc = sqlite3_step(s);
            if (rc == SQLITE_DONE) {
                sqlite3_reset(s);
                return ERROR_NO_MORE_ITEMS;
            }
            if (rc != SQLITE_ROW) {
                sqlite3_reset(s);
                return StoreError(rc, false);
            }
            size_t nameSize = static_cast<size_t>(sqlite3_column_bytes(s, 0));
            size_t classSize = static_cast<size_t>(sqlite3_column_bytes(s, 1));
            bool nameFits = *nameLength >= nameSize + 1;
            bool classFits = keyClass == nullptr || (classLength != nullptr && *classLength >= classSize + 1);
            if (!nameFits || !classFits) {
                *nameLength = static_cast<DWORD>(nameSize + 1);
                if (classLength != nullptr) *classLength = static_cast<DWORD>(classSize + 1);
                sqlite3_reset(s);
                return ERROR_MORE_DATA;
            }
            CopyName(sqlite3_column_blob(s, 0), nameSize, name, nameLength);
            if (keyClass != nullptr || classLength != nullptr) {
                CopyName(sqlite3_column_blob(s, 1), classSize, keyClass, classLength);
            }
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
    try {
        return RunStore(false, [&](Connection *c) -> LONG {
            int64_t id = 0;
            LONG e = KeyForCall(c, key, KEY_QUERY_VALUE, &id);
            if (e != ERROR_SUCCESS) return e;
            // A count with the zero, 0 when there is no name.
            auto withZero = [](sqlite3_stmt *s, int column) -> DWORD {
                if (sqlite3_column_type(s, column) == SQLITE_NULL) return 0;
                return static_cast<DWORD>(sqlite3_column_int64(s, column) + 1);
            };
            sqlite3_stmt *s = Statement(c, kKeyStats);
            if (s == nullptr) return StoreError(sqlite3_errcode(Database(c)), false);
            sqlite3_bind_int64(s, 1, id);
            int rc = sqlite3_step(s);
            if (rc != SQLITE_ROW) {
                sqlite3_reset(s);
                return StoreError(rc, false);
            }
            if (subKeys != nullptr) *subKeys = static_cast<DWORD>(sqlite3_column_int64(s, 0));
            if (maxSubKeyLength != nullptr) *maxSubKeyLength = withZero(s, 1);
            if (maxClassLength != nullptr) *maxClassLength = withZero(s, 2);
            sqlite3_reset(s);
            s = Statement(c, kValueStats);
            if (s == nullptr) return StoreError(sqlite3_errcode(Database(c)), false);
            sqlite3_bind_int64(s, 1, id);
            rc = sqlite3_step(s);
            if (rc != SQLITE_ROW) {
                sqlite3_reset(s);
                return StoreError(rc, false);
            }
            if (values != nullptr) *values = static_cast<DWORD>(sqlite3_column_int64(s, 0));
            if (maxValueNameLength != nullptr) *maxValueNameLength = withZero(s, 1);
            if (maxValueLength != nullptr) *maxValueLength = static_cast<DWORD>(sqlite3_column_int64(s, 2));
            sqlite3_reset(s);
            if (securityDescriptorSize != nullptr) *securityDescriptorSize = 0;
            if (lastWriteTime != nullptr) *lastWriteTime = FILETIME{0, 0};
            if (classLength != nullptr) {
                s = Statement(c, kKeyClass);
                if (s == nullptr) return StoreError(sqlite3_errcode(Database(c)), false);
                sqlite3_bind_int64(s, 1, id);
                rc = sqlite3_step(s);
                if (rc != SQLITE_ROW) {
                    sqlite3_reset(s);
                    return rc == SQLITE_DONE ? ERROR_KEY_DELETED : StoreError(rc, false);
                }
                LONG copied = CopyName(sqlite3_column_blob(s, 0),
                                       static_cast<size_t>(sqlite3_column_bytes(s, 0)), keyClass,
                                       classLength);
                sqlite3_reset(s);
                if (copied != ERROR_SUCCESS) return copied;
            }
            return ERROR_SUCCESS;
        });
    } catch (const std::bad_alloc &) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
