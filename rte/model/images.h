// rte/model/images.h - the engine's bitmap table and picture-control images (internal, C++).
#ifndef RTE_MODEL_IMAGES_H
#define RTE_MODEL_IMAGES_H

#include "rte/model/ui_model.h"

typedef struct _cairo_surface cairo_surface_t;

namespace rte::internal {

// Takes a drawn ARGB32 cairo image surface (opaque) and registers it as a 24-bit bitmap.
// Returns the new bitmap ID, or UIE_OUT_OF_MEMORY.
int RegisterSurfaceBitmap(cairo_surface_t *surface);

// The image of a picture control (or ring item) as an ARGB32 surface to draw, or null when it
// has none. Call with ModelLock() held; the caller destroys the surface.
cairo_surface_t *ImageSurfaceFor(Panel &p, Control &c, int index);

}  // namespace rte::internal

#endif
