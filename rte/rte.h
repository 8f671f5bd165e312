/* rte/rte.h - the run-time engine's public interface (plain C, usable from C and C++).
 *
 * One header for everything the engine offers; each family lives in its own header below and
 * is documented there:
 *   rte/alloc.h    heap allocation with fault injection
 *   rte/files.h    file existence, size, dates, renaming, path splitting, errno
 *   rte/mbs.h      multi-byte (double-byte code page) text functions
 *   rte/system.h   system attributes (the user's decimal separator)
 */
#ifndef RTE_RTE_H
#define RTE_RTE_H

#include "rte/alloc.h"
#include "rte/files.h"
#include "rte/mbs.h"
#include "rte/system.h"

#endif
