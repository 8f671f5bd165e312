// rte/model/images.h - the images of picture controls (internal, C++): kept with their controls
// (GetImageInfo, GetImageBits, SetImageBits in rte/graphics.h) and handed to the renderer.
#ifndef RTE_MODEL_IMAGES_H
#define RTE_MODEL_IMAGES_H

#include "rte/model/ui_model.h"

typedef struct _cairo_surface cairo_surface_t;

namespace rte::internal {

// The image of a picture control (or ring item) as an ARGB32 surface to draw, or null when it
// has none. Call with ModelLock() held; the caller destroys the surface.
cairo_surface_t *ImageSurfaceFor(Panel &p, Control &c, int index);

}  // namespace rte::internal

#endif
