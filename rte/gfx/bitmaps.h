// rte/gfx/bitmaps.h - the engine's bitmap table (internal, C++): pictures held under bitmap IDs
// for GetBitmapInfo, GetBitmapData and DiscardBitmap (rte/graphics.h).
#ifndef RTE_GFX_BITMAPS_H
#define RTE_GFX_BITMAPS_H

typedef struct _cairo_surface cairo_surface_t;

namespace rte::internal {

// Takes a drawn ARGB32 cairo image surface (opaque) and registers it as a 24-bit bitmap.
// Returns the new bitmap ID, or UIE_OUT_OF_MEMORY.
int RegisterSurfaceBitmap(cairo_surface_t *surface);

}  // namespace rte::internal

#endif
