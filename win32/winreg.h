/* win32/winreg.h - advapi32: the registry, and the user's name (plain C).
 *
 * Implemented in win32/advapi32/ on POSIX. Each function keeps its Windows name, types and
 * result convention: the registry calls return ERROR_SUCCESS (0) or a code of
 * win32/winerror.h (they do not set GetLastError).
 *
 * The store. The registry is one SQLite database per user: the file named by the environment
 * variable WIN32_REGISTRY, else $XDG_DATA_HOME/win32/registry.db ($HOME/.local/share when
 * XDG_DATA_HOME is unset or not absolute). It is made on first use, with its folder, readable
 * and writable by the owner alone (0600, folder 0700). Every root key lives in it: there is
 * no machine-wide part, so HKEY_LOCAL_MACHINE is per user too. It runs in WAL mode with normal
 * synchronisation: a call that returns ERROR_SUCCESS has handed its change to the operating
 * system, so a process killed at any moment loses no acknowledged change and leaves a store
 * that opens cleanly; only a power loss or a crash of the system itself can lose the last
 * changes before the disk is next synchronised (at SQLite's checkpoints, and by RegFlushKey, as
 * Windows writes its registry lazily). Readers never wait for writers. Several threads and
 * processes may use it at once; a call that finds the store locked by another writer waits
 * and retries for up to five seconds before failing with ERROR_CANTWRITE (or ERROR_CANTREAD).
 * A file that is not a registry database, or is damaged, gives ERROR_BADDB and is never
 * written to; a store that cannot be opened at all (a folder, no permission to read)
 * ERROR_BADKEY. A store the process may read but not write (the file, or its folder, where
 * SQLite keeps its -wal and -shm files) is opened read-only: reads work and every change gives
 * ERROR_ACCESS_DENIED, until it is writable again. Each thread keeps its own connection,
 * prepared statements and the key paths it has opened, so a call does not reopen the store; a
 * count of key deletions shared by every process in the file beside the store named after it
 * with "-gen" (0600) tells when a path must be looked up again. The calls work from exit
 * handlers (atexit) too. A store of an older version is brought up to date in place the first time it
 * is opened writable.
 *
 * The model. Keys form a tree under the predefined root keys; a key path is a sequence of
 * names separated by '\' (one trailing '\' is ignored; an empty name inside a path, or a
 * leading '\', gives ERROR_BAD_PATHNAME). A key name is 1 to 255 characters (longer:
 * ERROR_INVALID_PARAMETER). Names are UTF-8, the system's code page; characters are counted as
 * Windows counts them (UTF-16 code units). Names of keys and values are compared without regard
 * to case across Unicode, character by character as Windows compares them (Unicode's simple case
 * folding: "Émile" and "émile" are one name, "Straße" and "STRASSE" two), and stored as first
 * written. A key holds named values, each with a type (REG_...) and 0 or
 * more bytes of data (the store keeps bytes as given: a string's terminating zero is stored only
 * when the writer counts it); the value of name NULL or "" is the key's default value. Keys
 * and values are enumerated in the order of their names without regard to case.
 *
 * Counting rule: the character counts of names that these calls report (RegEnumValueA,
 * RegEnumKeyExA, RegQueryInfoKeyA) include the terminating zero; a count of a name-less
 * maximum is 0. This is the rule the run-time engine's platform code announces for this
 * system (rte/system.h, GetCurrentPlatform).
 */
#ifndef WIN32_WINREG_H
#define WIN32_WINREG_H

#include "win32/windef.h"
#include "win32/winerror.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Keys and their handles --------------------------------------------------------------- */

/* An open key: a predefined root key, or a small positive number from RegOpenKeyExA or
 * RegCreateKeyExA, valid on every thread until RegCloseKey. */
typedef struct HKEY__ *HKEY;
typedef HKEY *PHKEY;

#define HKEY_CLASSES_ROOT     ((HKEY)(uintptr_t)0x80000000u)
#define HKEY_CURRENT_USER     ((HKEY)(uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE    ((HKEY)(uintptr_t)0x80000002u)
#define HKEY_USERS            ((HKEY)(uintptr_t)0x80000003u)
#define HKEY_PERFORMANCE_DATA ((HKEY)(uintptr_t)0x80000004u) /* not kept: ERROR_INVALID_HANDLE */
#define HKEY_CURRENT_CONFIG   ((HKEY)(uintptr_t)0x80000005u)

/* Access rights asked for when opening a key; a call needing a right the handle was not
 * opened with gives ERROR_ACCESS_DENIED. Root keys have every right. */
#define KEY_QUERY_VALUE        0x0001  /* RegQueryValueExA, RegEnumValueA, RegQueryInfoKeyA */
#define KEY_SET_VALUE          0x0002  /* RegSetValueExA, RegDeleteValueA */
#define KEY_CREATE_SUB_KEY     0x0004  /* RegCreateKeyExA below this key */
#define KEY_ENUMERATE_SUB_KEYS 0x0008  /* RegEnumKeyExA */
#define KEY_NOTIFY             0x0010
#define KEY_CREATE_LINK        0x0020
#define DELETE                 0x00010000  /* RegDeleteKeyA of the key itself ("" subkey) */
#define READ_CONTROL           0x00020000
#define KEY_READ               0x00020019
#define KEY_WRITE              0x00020006
#define KEY_ALL_ACCESS         0x000F003F

#define REG_OPTION_NON_VOLATILE 0x0000  /* the only kind of key kept: every key is durable */
#define REG_OPTION_VOLATILE     0x0001  /* refused: ERROR_INVALID_PARAMETER */

#define REG_CREATED_NEW_KEY     1
#define REG_OPENED_EXISTING_KEY 2

/* Value types. The store keeps any type number; these are the registry's own. */
#define REG_NONE                       0
#define REG_SZ                         1
#define REG_EXPAND_SZ                  2
#define REG_BINARY                     3
#define REG_DWORD                      4
#define REG_DWORD_LITTLE_ENDIAN        4
#define REG_DWORD_BIG_ENDIAN           5
#define REG_LINK                       6
#define REG_MULTI_SZ                   7
#define REG_RESOURCE_LIST              8
#define REG_FULL_RESOURCE_DESCRIPTOR   9
#define REG_RESOURCE_REQUIREMENTS_LIST 10
#define REG_QWORD                      11

/* Opens subKey (NULL or "": key itself) below key, creating every missing key of the path;
 * a created key gets keyClass (NULL: "") as its class. *result receives the new handle;
 * *disposition (may be NULL) REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY. reserved must be
 * 0; security attributes are ignored. ERROR_SUCCESS, ERROR_INVALID_HANDLE, ERROR_INVALID_PARAMETER
 * (NULL result, a name too long, REG_OPTION_VOLATILE), ERROR_BAD_PATHNAME, ERROR_ACCESS_DENIED
 * (key lacks KEY_CREATE_SUB_KEY), ERROR_KEY_DELETED, or a store error. */
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                     REGSAM access, const LPSECURITY_ATTRIBUTES securityAttributes,
                     PHKEY result, LPDWORD disposition);

/* Opens an existing key: ERROR_FILE_NOT_FOUND when some key of the path is missing; other
 * results as RegCreateKeyExA. options must be 0. */
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);

/* Closes a handle (closing a root key does nothing). ERROR_INVALID_HANDLE for one not open. */
LONG RegCloseKey(HKEY key);

/* Writes every change committed so far to the disk, so that not even a power loss can lose it
 * (the whole store, whichever key is given; changes of the calling thread's open transaction
 * are not committed yet). ERROR_SUCCESS, ERROR_INVALID_HANDLE, or a store error. */
LONG RegFlushKey(HKEY key);

/* Deletes subKey below key ("" : the key itself, which needs DELETE) with its values. A key
 * that still has subkeys is not deleted: ERROR_ACCESS_DENIED, as on Windows; root keys
 * neither. ERROR_FILE_NOT_FOUND when it does not exist. Open handles of a deleted key give
 * ERROR_KEY_DELETED afterwards. */
LONG RegDeleteKeyA(HKEY key, LPCSTR subKey);

/* The subkey number index (from 0) of key: its name with a zero into name, whose size in
 * characters *nameLength gives; *nameLength becomes the name's length with the zero. A name
 * that does not fit: ERROR_MORE_DATA, *nameLength = the size needed. keyClass and classLength
 * likewise for the class (both may be NULL; keyClass without classLength:
 * ERROR_INVALID_PARAMETER); lastWriteTime (may be NULL) is zeroed. Past the
 * last subkey: ERROR_NO_MORE_ITEMS. Needs KEY_ENUMERATE_SUB_KEYS. */
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved,
                   LPSTR keyClass, LPDWORD classLength, PFILETIME lastWriteTime);

/* Facts of key; each output may be NULL: its class (and class length with the zero, as for
 * names), the number of subkeys, the longest subkey name (with its zero; 0 when none), the
 * longest class, the number of values, the longest value name (with its zero; 0 when none),
 * the largest value data in bytes, the security descriptor size (0) and the last write time
 * (zeroed). A class buffer too small: ERROR_MORE_DATA. Needs KEY_QUERY_VALUE. */
LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classLength, LPDWORD reserved,
                      LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                      LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                      LPDWORD securityDescriptorSize, PFILETIME lastWriteTime);

/* ---- Values ------------------------------------------------------------------------------- */

/* Sets value name (NULL or "": the default value) of key to size bytes of data of the given
 * type, replacing what was there. data may be NULL only with size 0. Needs KEY_SET_VALUE.
 * ERROR_SUCCESS once committed. */
LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE *data,
                    DWORD size);

/* Reads value name of key. *type (may be NULL) receives its type. With data NULL and size
 * non-NULL, *size receives the data's size (a size query). With data, *size is the buffer's
 * size: the data are copied and *size becomes their size; a buffer too small gives
 * ERROR_MORE_DATA with *size the size needed and the buffer untouched. data without size:
 * ERROR_INVALID_PARAMETER. A missing value: ERROR_FILE_NOT_FOUND. Needs KEY_QUERY_VALUE. */
LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size);

/* The value number index (from 0) of key: name into name (size *nameLength characters; becomes
 * the name's length with its zero), type, and data as RegQueryValueExA (data may be NULL for a
 * size query through dataLength). A name or data that does not fit: ERROR_MORE_DATA, with
 * *nameLength and *dataLength set to the sizes needed and nothing copied. Past the last value:
 * ERROR_NO_MORE_ITEMS. Needs KEY_QUERY_VALUE. */
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved,
                   LPDWORD type, LPBYTE data, LPDWORD dataLength);

/* Deletes value name of key. ERROR_FILE_NOT_FOUND when there is none. Needs KEY_SET_VALUE. */
LONG RegDeleteValueA(HKEY key, LPCSTR name);

/* ---- Transactions (this subset's own; Windows has none of this form) ------------------------ */

/* Between RegBeginTransaction and RegCommitTransaction every registry call of the calling thread
 * is part of one transaction: the thread sees its own changes, other threads and processes see
 * none of them until the commit makes them all visible at once, and RegRollbackTransaction (or
 * the thread's end) undoes them all. A call that fails inside the transaction changes nothing,
 * as outside one. The store's write lock is held from the beginning to the end, so other
 * writers wait meanwhile (at most five seconds): keep transactions short. Handles of keys the
 * transaction made give ERROR_KEY_DELETED after a rollback.
 * RegBeginTransaction: ERROR_SUCCESS, ERROR_INVALID_FUNCTION when the thread has one open
 * already, ERROR_ACCESS_DENIED for a store that cannot be written, or a store error.
 * RegCommitTransaction: ERROR_SUCCESS once committed; ERROR_INVALID_FUNCTION when none is open;
 * a store error (ERROR_CANTWRITE), in which case everything was rolled back.
 * RegRollbackTransaction: ERROR_SUCCESS, or ERROR_INVALID_FUNCTION when none is open. */
LONG RegBeginTransaction(void);
LONG RegCommitTransaction(void);
LONG RegRollbackTransaction(void);

/* ---- The user ----------------------------------------------------------------------------- */

/* The name of the user the process runs as: on Linux the password database's name of the
 * effective user id (getpwuid_r). *size is the buffer's size in characters; on success the
 * name and its zero are stored and *size becomes the length with the zero. Too small: FALSE,
 * ERROR_INSUFFICIENT_BUFFER, *size = the size needed, nothing stored. NULL size:
 * ERROR_INVALID_PARAMETER; a user without an entry: ERROR_NO_SUCH_USER. */
BOOL GetUserNameA(LPSTR buffer, LPDWORD size);

#ifdef __cplusplus
}
#endif

#endif
