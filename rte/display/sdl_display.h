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
    int top = 0, left = 0;            // the panel position the window was last placed at or moved to
    int seenX = 0, seenY = 0;         // where the window was last seen (window coordinates)
    bool popup = false;               // shown as the modal popup on top
    bool noTaskbar = false;           // made without a taskbar button
    bool madeModal = false;           // given a modal parent once (a popup's window)
    std::string title;
    std::vector<std::string> dropped; // files dropped, delivered at the end of the drop
};

// ---- windows (sdl_windows.cpp) ----
// Shows, retitles, resizes, places and hides windows so that every visible top-level panel of
// the main thread has one, at the place the program gave it; the modal popup on top is kept
// above the others with the keyboard. Windows are hidden and reused, never destroyed (see the
// file). True when a window was shown or changed (it needs drawing).
bool SyncWindows();
// Tells the model where the windows are that moved since the last look: the operator dragged
// them, or the window system put them elsewhere than their panels' places. Nothing on Wayland.
void FollowMoves();
// Where a window's client area is on the screen (window coordinates), as the window system
// knows it; false on Wayland, where it is not known.
bool WindowOrigin(SDL_Window *window, int *x, int *y);
// False on Wayland: the program can neither place its windows nor learn where they are, so
// positions on the screen are known only relative to a window.
bool WindowPositionsKnown();
// The pump took every event SDL had queued (windows hidden before may serve again).
void NoteEventsDrained();
// A new hidden window with its drawing surface set up: SDL sets that up at the first draw and
// may then replace the window by a new one (for one drawn through OpenGL), which must happen
// before the window is shown. Null when the window system refused it (SDL_GetError says why).
SDL_Window *OpenWindow(const char *title, int x, int y, int width, int height, Uint32 flags);
// The window of the modal popup on top, or null when there is none.
Window *TopPopupWindow();
// The usable area of the screen in panel pixels (for SetPanelPos centring).
bool ScreenArea(int *top, int *left, int *height, int *width);
Window *WindowOf(int panel);          // null when the panel has no window
int PanelOfWindowId(Uint32 id);       // 0 when none
std::vector<int> WindowPanels();      // the panels that have a window
SDL_Window *AnyWindow();              // a parent for message boxes, or null
void HideWindows();                   // when the display stops
// Device pixels per panel pixel: RTE_SCALE, else from the screen's density.
void ChooseScale();
double Scale();
// The panel coordinate of a window coordinate.
int ToPanel(int windowCoordinate);
// The pointer in a window's coordinates, and the buttons held (SDL's mask). On X11 it is read
// from the screen, so it is right outside the window too (under XWayland the X server sees the
// pointer only over X windows: elsewhere it is where it was last seen over one). Wayland shows a
// client the pointer only over its own windows: there it is the last place SDL saw it.
Uint32 PointerInWindow(SDL_Window *window, int *x, int *y);

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
void HideMenuWindow();

// ---- X11 itself (sdl_x11.cpp) ----
// Before SDL starts: notes the X error handler the program set, if any, to call after the
// engine's. After SDL's X11 driver started: the engine's handler takes every X error, counts it
// and reports it in one line on stderr, instead of Xlib ending the process.
void NoteProgramXErrorHandler();
void KeepXErrorsFromEndingTheProgram();
unsigned long XErrorsSeen();  // since the display opened
// Where the window's client area is on the X screen, asked of the X server; false off X11.
bool X11WindowOrigin(SDL_Window *window, int *x, int *y);

// ---- input (sdl_input.cpp) ----
// Turns one window-system event into operator input (rte/events/operator_input.h).
void HandleInput(const SDL_Event &event);
// Gives the entries the desktop's clipboard (rte/events/clipboard.h); once SDL is up.
void StartInput();

}  // namespace rte::internal::sdl

#endif
