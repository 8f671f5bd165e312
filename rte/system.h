/* rte/system.h - system-wide attributes of the engine: facts about the user's environment that
 * do not belong to a panel or a control.
 *
 * Attributes are read with GetSystemAttribute by number. The only system attribute so far:
 *   ATTR_DECIMAL_SEPARATOR (1452)  int: the user's decimal separator in its low byte, taken
 *       from the environment's locale (the first set of LC_ALL, LC_NUMERIC, LANG) at each call,
 *       without changing the process's own locale. When no such variable is set, or it names a
 *       locale this machine lacks, the separator is '.'. A separator that takes more than one
 *       byte in the locale's character set cannot be carried in one byte, so it reads as '.'.
 * Safe on any thread (it reads the environment; do not change the environment meanwhile).
 */
#ifndef RTE_SYSTEM_H
#define RTE_SYSTEM_H

#ifdef __cplusplus
extern "C" {
#endif

#define ATTR_DECIMAL_SEPARATOR 1452

/* Platform codes of GetCurrentPlatform. They also tell how the Windows registry calls of the
 * platform count the characters of names and strings: on RTE_PLATFORM_WINDOWS_NT the counts
 * exclude the terminating zero; on every other platform they include it. */
#define RTE_PLATFORM_WINDOWS_95 2
#define RTE_PLATFORM_WINDOWS_NT 3
#define RTE_PLATFORM_LINUX      4

/* The code of the platform the engine runs on: RTE_PLATFORM_LINUX (4) here. Linux has the
 * rule of the counts that include the terminating zero, which the library's Windows API
 * subset keeps (win32/winreg.h): its registry stores a string written with its zero, and
 * reports name lengths with the zero. */
int GetCurrentPlatform(void);

/* Stores the value of system attribute `attribute` through `value` (an int for every attribute
 * so far) and returns 0. Returns -45 for an attribute that is not a system attribute and -65
 * when value is NULL; *value is then untouched. */
int GetSystemAttribute(int attribute, void *value);

#ifdef __cplusplus
}
#endif

#endif
