// rte/display/sdl_display.h - the parts of the screen display (internal, C++), shared by its
// files: the windows that follow the model (sdl_windows.cpp), their redraw (sdl_redraw.cpp), the
// translation of window-system input into the operator-input layer (sdl_input.cpp), and the
// backend with its event pump (sdl_pump.cpp). Everything here runs on the main thread.
#ifndef RTE_DISPLAY_SDL_DISPLAY_H
#define RTE_DISPLAY_SDL_DISPLAY_H

#include <SDL.h>

#include <functional>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;

namespace rte::internal::sdl {

struct Window {
    SDL_Window *window = nullptr;
    int width = 0, height = 0;        // panel size the window was made for
    int top = 0, left = 0;            // the panel position last given to the window
    bool popup = false;               // shown as the modal popup on top
    std::string title;
    std::vector<std::string> dropped; // files dropped, delivered at the end of the drop
};

// ---- windows (sdl_windows.cpp) ----
// Makes, retitles, resizes, moves and removes windows so that every visible top-level panel of
// the main thread has one, at the place the program gave it; the modal popup on top is kept
// above the others with the keyboard. True when a window was made or changed (it needs drawing).
bool SyncWindows();
// A new window, shown at once and never replaced afterwards (as SDL_CreateWindow may do at the
// first draw); null when the window system refused it (SDL_GetError says why).
SDL_Window *OpenWindow(const char *title, int x, int y, int width, int height, Uint32 flags);
// The window of the modal popup on top, or null when there is none.
Window *TopPopupWindow();
// The usable area of the screen in panel pixels (for SetPanelPos centring).
bool ScreenArea(int *top, int *left, int *height, int *width);
Window *WindowOf(int panel);          // null when the panel has no window
int PanelOfWindowId(Uint32 id);       // 0 when none
std::vector<int> WindowPanels();      // the panels that have a window
SDL_Window *AnyWindow();              // a parent for message boxes, or null
void DestroyWindows();
// Device pixels per panel pixel: RTE_SCALE, else from the screen's density.
void ChooseScale();
double Scale();
// The panel coordinate of a window coordinate.
int ToPanel(int windowCoordinate);

// ---- drawing (sdl_redraw.cpp) ----
// Draws every window as its panel is now.
void RedrawAll();
// Draws into a window through cairo: draw gets a context scaled so that width x height panel
// pixels fill the window, and what it drew is put on the window.
void DrawWindow(SDL_Window *window, int width, int height, const std::function<void(cairo_t *)> &draw);

// ---- the popup menu (sdl_menu.cpp) ----
// Opens or closes the menu's window as the open menu (of the main thread) says; true when it
// did either.
bool SyncMenuWindow();
void RedrawMenu();
// Input while the menu's window is up goes to the menu: true when it took the event. keyCode:
// the engine's code of a key going down (0 for other events).
bool HandleMenuInput(const SDL_Event &event, int keyCode);
void DestroyMenuWindow();

// ---- input (sdl_input.cpp) ----
// Turns one window-system event into operator input (rte/events/operator_input.h).
void HandleInput(const SDL_Event &event);
// Gives the entries the desktop's clipboard (rte/events/clipboard.h); once SDL is up.
void StartInput();

}  // namespace rte::internal::sdl

#endif
