// win32/advapi32/registry_names_internal.h - names of keys and values as the store compares and
// measures them (internal, C++).
//
// Names are the A calls' text: UTF-8 (the system's code page), though any bytes are kept.
#ifndef WIN32_ADVAPI32_REGISTRY_NAMES_INTERNAL_H
#define WIN32_ADVAPI32_REGISTRY_NAMES_INTERNAL_H

#include <cstddef>
#include <string>

namespace win32::registry {

// The form a name is compared in: with unicode, every character of valid UTF-8 replaced by its
// Unicode simple case folding (one character for one, as Windows compares names: "Émile" and
// "émile" are one name, "Straße" and "STRASSE" are two); without, ASCII letters lowered only (the
// rule of stores of schema version 1). Bytes that are not valid UTF-8 are kept as they are.
std::string FoldName(const char *name, size_t length, bool unicode);

// The length of a name in the characters Windows counts (UTF-16 code units; a byte that is not
// valid UTF-8 counts as one).
size_t NameLength(const char *name, size_t length);

}  // namespace win32::registry

#endif
