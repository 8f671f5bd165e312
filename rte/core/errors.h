// rte/core/errors.h - how the engine reports a failed call (internal): the break-on-library-errors
// line on standard error. The texts of the codes are GetUILErrorString's (rte/ui.h).
#ifndef RTE_CORE_ERRORS_H
#define RTE_CORE_ERRORS_H

namespace rte::internal {

// Reports a failed call when break-on-library-errors is on (one line on stderr); returns code.
int Fail(const char *function, int code);
// Reports code when it is negative; returns it either way.
inline int Check(const char *function, int code) { return code < 0 ? Fail(function, code) : code; }

}  // namespace rte::internal

#endif
