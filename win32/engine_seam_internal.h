/* win32/engine_seam_internal.h - where the Windows modules meet the run-time engine (internal).
 *
 * The windows of user32 are the engine's top-level panels, and shell32's dropped files and
 * notification-area icons arrive through the engine's displays; these two modules include this
 * header and nothing else of the engine. kernel32 and advapi32 never include it, so they build
 * and link without the engine. Not installed.
 */
#ifndef WIN32_ENGINE_SEAM_INTERNAL_H
#define WIN32_ENGINE_SEAM_INTERNAL_H

#include "rte/engine.h"
#include "rte/graphics.h"
#include "rte/ui.h"

#endif
