// win32/advapi32/registry_keys_internal.h - open key handles and key paths (internal, C++).
#ifndef WIN32_ADVAPI32_REGISTRY_KEYS_INTERNAL_H
#define WIN32_ADVAPI32_REGISTRY_KEYS_INTERNAL_H

#include "win32/advapi32/registry_store_internal.h"

#include <cstdint>
#include <string>

namespace win32::registry {

// What a call on an open key needs: the key's id in the store, checked to exist. Inside a
// store body: resolves a handle (re-resolving one opened from the path cache whose key was
// replaced meanwhile) and checks the access right. Returns ERROR_SUCCESS, ERROR_INVALID_HANDLE,
// ERROR_ACCESS_DENIED, ERROR_KEY_DELETED, kRetry or a store error. With verify false the key is
// not checked: the caller's own statement must find out whether it is still there and, when it
// is not, call again with verify true (which resolves a handle opened from the cache anew, so
// the id may change) before reporting ERROR_KEY_DELETED.
LONG KeyForCall(Connection *connection, HKEY key, REGSAM needed, int64_t *id, bool verify = true);

// Lower-cases ASCII letters: the form names are compared in.
std::string Folded(const char *name, size_t length);

// Binds text as a blob (a zero-length blob for an empty text, never NULL).
int BindBlob(sqlite3_stmt *statement, int index, const void *data, size_t size);

}  // namespace win32::registry

#endif
