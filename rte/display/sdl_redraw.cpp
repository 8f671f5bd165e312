// rte/display/sdl_redraw.cpp - draws the screen display's windows: each panel through the
// engine's one renderer into a cairo image, then onto the window's surface.
#include <cairo.h>

#include <mutex>

#include "rte/display/sdl_display.h"
#include "rte/model/ui_model.h"
#include "rte/render/render.h"

namespace rte::internal::sdl {
namespace {

void Redraw(int panel, Window &win) {
    DrawWindow(win.window, win.width, win.height, [panel](cairo_t *cr) {
        // The panel with what the operator sees of it: caret, selection, typed numbers,
        // held buttons, scrolled lists and the open list of a ring.
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        if (Panel *p = FindPanel(panel)) RenderPanel(cr, *p, &p->view);
    });
}

}  // namespace

void DrawWindow(SDL_Window *window, int width, int height, const std::function<void(cairo_t *)> &draw) {
    SDL_Surface *target = SDL_GetWindowSurface(window);
    if (target == nullptr || width <= 0 || height <= 0) return;
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, target->w, target->h);
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        cairo_t *cr = cairo_create(surface);
        cairo_scale(cr, static_cast<double>(target->w) / width, static_cast<double>(target->h) / height);
        draw(cr);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        SDL_Surface *source = SDL_CreateRGBSurfaceWithFormatFrom(
            cairo_image_surface_get_data(surface), target->w, target->h, 32, cairo_image_surface_get_stride(surface),
            SDL_PIXELFORMAT_RGB888);
        if (source != nullptr) {
            SDL_BlitSurface(source, nullptr, target, nullptr);
            SDL_FreeSurface(source);
            SDL_UpdateWindowSurface(window);
        }
    }
    cairo_surface_destroy(surface);
}

void RedrawAll() {
    for (int panel : WindowPanels()) {
        if (Window *win = WindowOf(panel)) Redraw(panel, *win);
    }
}

}  // namespace rte::internal::sdl
