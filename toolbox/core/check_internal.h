/* toolbox/core/check_internal.h - the argument checks used inside the library (not installed).
 *
 * TOOLBOX_CHECK(condition, message) stops the program through DoAssert when the condition is
 * false. TOOLBOX_CHECK_ARG(argument, message) is the same check for one pointer argument that
 * must not be NULL. The assertion names what the caller needs to find the wrong call: the
 * library function the check is in and what was wrong with its arguments, on a line before the
 * message ("ListInsertItem: list is NULL"), then the message itself; the file is the library's
 * source file as it stands in the tree ("toolbox/containers/list.cpp") and the line the check's.
 * What was wrong is read from the condition: "x != NULL" or "x != nullptr" (and the argument of
 * TOOLBOX_CHECK_ARG) gives "x is NULL", a constant false condition "invalid argument", any
 * other "<condition> does not hold" (so name what a condition tests: "itemSize == kPointerSize").
 */
#ifndef TOOLBOX_CORE_CHECK_H
#define TOOLBOX_CORE_CHECK_H

#include "toolbox/core/assert.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Shows the assertion for a failed check and aborts; see above. */
__attribute__((noreturn)) void ToolboxCheckFailed(const char *function, const char *condition, const char *file,
                                                  int line, const char *message);

#ifdef __cplusplus
}
#endif

/* Expressions of type void, usable wherever a call of DoAssert was. */
#define TOOLBOX_CHECK(condition, message) \
    ((condition) ? (void)0 : ToolboxCheckFailed(__func__, #condition, __FILE__, __LINE__, (message)))
#define TOOLBOX_CHECK_ARG(argument, message) \
    ((argument) != 0 ? (void)0 : ToolboxCheckFailed(__func__, #argument " != NULL", __FILE__, __LINE__, (message)))

#endif
