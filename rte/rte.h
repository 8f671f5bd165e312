/* rte/rte.h - the run-time engine's public interface (plain C, usable from C and C++).
 *
 * One header for everything the engine offers; each family lives in its own header below and
 * is documented there:
 *   rte/alloc.h    heap allocation with fault injection
 *   rte/engine.h   start-up, clock, thread ids, deferred calls, symbol table, break on errors
 *   rte/ui.h       panels, controls, attributes, callbacks, the event loop, popups
 *   rte/graphics.h rectangles, colours, fonts, text sizes, display bitmaps, picture images
 *   rte/files.h    file existence, size, dates, renaming, path splitting, errno
 *   rte/mbs.h      multi-byte (double-byte code page) text functions
 *   rte/system.h   system attributes (the user's decimal separator), the platform code
 *   rte/ports.h    byte I/O on the PC's I/O ports, real or emulated (with the PC speaker)
 *   rte/threads.h  locks, thread-safe variables, thread-local variables
 *
 * Inside, the engine is built in layers whose includes and calls point only down:
 *   core < gfx < model < events, render < display < main
 * (rte/README.md says what each holds). These public headers are the engine's face; only
 * they are installed.
 */
#ifndef RTE_RTE_H
#define RTE_RTE_H

#include "rte/alloc.h"
#include "rte/graphics.h"
#include "rte/engine.h"
#include "rte/ui.h"
#include "rte/files.h"
#include "rte/mbs.h"
#include "rte/system.h"
#include "rte/ports.h"
#include "rte/threads.h"

#endif
