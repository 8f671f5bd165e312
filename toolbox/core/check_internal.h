/* toolbox/core/check_internal.h - the argument check used inside the library (not installed).
 *
 * TOOLBOX_CHECK(condition, message) stops the program through DoAssert when the condition is
 * false, naming the library's source file as "toolbox" and the line of the check, as every
 * library assertion does.
 */
#ifndef TOOLBOX_CORE_CHECK_H
#define TOOLBOX_CORE_CHECK_H

#include "toolbox/core/assert.h"

#define TOOLBOX_CHECK(condition, message) \
    DoAssert((condition) ? 1 : 0, "toolbox", __LINE__, (message))

#endif
