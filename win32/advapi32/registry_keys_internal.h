// win32/advapi32/registry_keys_internal.h - open key handles and names as the calls on keys and
// values share them (internal, C++).
#ifndef WIN32_ADVAPI32_REGISTRY_KEYS_INTERNAL_H
#define WIN32_ADVAPI32_REGISTRY_KEYS_INTERNAL_H

#include "win32/advapi32/registry_store_internal.h"

#include <cstdint>
#include <string>

namespace win32::registry {

// The key id and access rights of an open handle (a root key has every right). False when key
// is not an open handle. The id is that of a committed key, or 0 for a key a rolled-back
// transaction made; the key may have been deleted since: the caller's statements find out.
bool LookupKey(HKEY key, int64_t *id, REGSAM *access);

// The id of handle key for a call needing the rights needed: ERROR_SUCCESS, ERROR_INVALID_HANDLE
// or ERROR_ACCESS_DENIED. The key is not checked to exist.
LONG KeyForCall(HKEY key, REGSAM needed, int64_t *id);

// Whether key id exists: ERROR_SUCCESS, ERROR_KEY_DELETED or a store error (inside a body).
LONG CheckAlive(Connection *connection, int64_t id, bool write);

// A name in the form the connection's store compares names in.
std::string Folded(Connection *connection, const char *name, size_t length);

// Binds text as a blob (a zero-length blob for an empty text, never NULL).
int BindBlob(sqlite3_stmt *statement, int index, const void *data, size_t size);

}  // namespace win32::registry

#endif
