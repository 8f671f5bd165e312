// rte/display/sdl_windows.cpp - the screen display's windows: one SDL window per visible
// top-level panel of the main thread, shown, retitled, resized, placed and hidden as the model
// changes, and the operator's moves of them reported back to the model.
//
// Windows are never destroyed while the display runs: a window whose panel is hidden or
// discarded is hidden and kept for the next panel shown. On Wayland, SDL leaves a destroyed
// window's decoration frame (libdecor) and shell surface behind, and the compositor's next
// configure of them runs SDL's callback on freed memory; on X11, SDL's wake-up from another
// thread may be sent to a window destroyed a moment before (an X error). A hidden window has
// neither fault, and the same few windows serve every popup a program opens.
//
// Positions: a panel's top and left are its client area's place on the screen. On X11 the
// window manager adds its frame around a window placed there; the window is placed again once
// SDL knows the frame, and any later move is the operator's, which the model takes. Wayland
// lets a client neither place its windows nor learn where they are: there the model keeps what
// the program set.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "rte/core/thread_queue.h"
#include "rte/display/sdl_display.h"
#include "rte/events/operator_input.h"
#include "rte/model/ui_model.h"

namespace rte::internal::sdl {
namespace {

std::map<int, Window> g_windows;      // by panel handle: the windows on the screen
double g_scale = 1.0;                 // device pixels per panel pixel

// A hidden window kept for reuse. What was fixed when it was made (no taskbar button) and a
// modal parent once given (which SDL cannot take back) decide which panels it may serve. It
// serves again only after the pump has taken every event queued when it was hidden, so that
// no input meant for the old panel reaches the new one.
struct Spare {
    SDL_Window *window;
    bool noTaskbar, madeModal;
    unsigned long hiddenAt;
};
std::vector<Spare> g_spares;
unsigned long g_drains = 0;           // times the pump emptied SDL's queue

int Scaled(int v) { return static_cast<int>(std::lround(v * g_scale)); }

constexpr int kNotSeen = INT_MIN;     // a window's place not yet seen since it was placed

void Retire(const Window &win) {
    SDL_HideWindow(win.window);
    g_spares.push_back({win.window, win.noTaskbar, win.madeModal, g_drains});
}

// A hidden window for a panel about to be shown, of its size and at its place (x, y: SDL's
// window position): a spare that may serve it, or a new one. Null when SDL cannot make one.
SDL_Window *TakeWindow(const std::string &title, int x, int y, int width, int height, bool noTaskbar, bool popup,
                       bool *madeModal) {
    for (auto it = g_spares.begin(); it != g_spares.end(); ++it) {
        if (it->hiddenAt < g_drains && it->noTaskbar == noTaskbar && (popup || !it->madeModal)) {
            SDL_Window *window = it->window;
            *madeModal = it->madeModal;
            g_spares.erase(it);
            SDL_SetWindowTitle(window, title.c_str());
            SDL_SetWindowSize(window, width, height);
            if (WindowPositionsKnown()) SDL_SetWindowPosition(window, x, y);
            return window;
        }
    }
    *madeModal = false;
    return OpenWindow(title.c_str(), x, y, width, height, SDL_WINDOW_ALLOW_HIGHDPI | (noTaskbar ? SDL_WINDOW_SKIP_TASKBAR : 0));
}

// The window position for a panel coordinate: a panel never placed on an axis (0) is centred.
int Coordinate(int v) { return v > 0 ? Scaled(v) : static_cast<int>(SDL_WINDOWPOS_CENTERED); }

// True when a window position (SDL's) is the panel's place, on the axes the panel was placed.
bool AtPanelPlace(const Window &win, int x, int y) {
    return (win.left <= 0 || x == Scaled(win.left)) && (win.top <= 0 || y == Scaled(win.top));
}

// A window was shown or placed: an X11 window manager frames it at the place asked, which puts
// its client area beside that place by the frame. Its answer came with the mapping (SDL waits
// for that); once it is taken in, SDL knows the frame and allows for it when placing again.
// Where the window then is, FollowMoves tells the model.
void Settle(Window &win) {
    int x = 0, y = 0;
    if (!WindowOrigin(win.window, &x, &y)) return;
    if (!AtPanelPlace(win, x, y)) {
        SDL_PumpEvents();
        SDL_SetWindowPosition(win.window, Coordinate(win.left), Coordinate(win.top));
    }
    win.seenX = win.seenY = kNotSeen;
}

}  // namespace

Window *WindowOf(int panel) {
    auto it = g_windows.find(panel);
    return it == g_windows.end() ? nullptr : &it->second;
}

int PanelOfWindowId(Uint32 id) {
    for (auto &entry : g_windows) {
        if (SDL_GetWindowID(entry.second.window) == id) return entry.first;
    }
    return 0;
}

std::vector<int> WindowPanels() {
    std::vector<int> panels;
    for (auto &entry : g_windows) panels.push_back(entry.first);
    return panels;
}

SDL_Window *AnyWindow() { return g_windows.empty() ? nullptr : g_windows.begin()->second.window; }

void HideWindows() {
    for (auto &entry : g_windows) Retire(entry.second);
    g_windows.clear();
}

void NoteEventsDrained() { ++g_drains; }

bool WindowPositionsKnown() {
    const char *driver = SDL_GetCurrentVideoDriver();
    return driver == nullptr || std::strcmp(driver, "wayland") != 0;
}

void ChooseScale() {
    g_scale = 1.0;
    if (const char *env = std::getenv("RTE_SCALE")) {
        double v = std::strtod(env, nullptr);
        if (v >= 0.5 && v <= 4) {
            g_scale = v;
            return;
        }
    }
    // Screens of high density (over 1.4 x 96 dots per inch) draw panels larger.
    float ddpi = 0;
    if (SDL_GetDisplayDPI(0, &ddpi, nullptr, nullptr) == 0 && ddpi > 96 * 1.4f) {
        g_scale = std::round(ddpi / 96.0f * 4) / 4;
    }
}

double Scale() { return g_scale; }

bool ScreenArea(int *top, int *left, int *height, int *width) {
    SDL_Rect r;
    if (SDL_GetDisplayUsableBounds(0, &r) != 0 && SDL_GetDisplayBounds(0, &r) != 0) return false;
    *top = static_cast<int>(r.y / g_scale);
    *left = static_cast<int>(r.x / g_scale);
    *height = static_cast<int>(r.h / g_scale);
    *width = static_cast<int>(r.w / g_scale);
    return true;
}

Window *TopPopupWindow() { return WindowOf(TopPopup()); }

SDL_Window *OpenWindow(const char *title, int x, int y, int width, int height, Uint32 flags) {
    // A window the screen shows stays the same window, so what finds it at once (a file
    // manager's drag, the window manager, an automation tool) does not talk to a window about
    // to go away.
    SDL_Window *window = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_HIDDEN);
    if (window != nullptr) SDL_GetWindowSurface(window);
    return window;
}

int ToPanel(int v) { return static_cast<int>(std::floor(v / g_scale)); }

Uint32 PointerInWindow(SDL_Window *window, int *x, int *y) {
    int gx = 0, gy = 0, wx = 0, wy = 0;
    if (!WindowOrigin(window, &wx, &wy)) return SDL_GetMouseState(x, y);
    Uint32 buttons = SDL_GetGlobalMouseState(&gx, &gy);
    *x = gx - wx;
    *y = gy - wy;
    return buttons;
}

bool SyncWindows() {
    bool changed = false;
    std::vector<int> shown;
    int popup = TopPopup();
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        for (int handle : PanelHandles()) {
            Panel *p = FindPanel(handle);
            if (p != nullptr && p->parent == 0 && p->visible && p->thread == MainThreadId()) shown.push_back(handle);
        }
    }
    for (auto it = g_windows.begin(); it != g_windows.end();) {
        if (std::find(shown.begin(), shown.end(), it->first) == shown.end()) {
            Retire(it->second);
            it = g_windows.erase(it);
            changed = true;
        } else {
            ++it;
        }
    }
    for (int handle : shown) {
        std::string title;
        int w, h, top, left, noTaskbar = 0;
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Panel *p = FindPanel(handle);
            if (p == nullptr) continue;
            title = p->title;
            w = std::max(1, p->width);
            h = std::max(1, p->height);
            top = p->top;
            left = p->left;
            GetAttr(p, nullptr, ATTR_HAS_TASKBAR_BUTTON_OFF, &noTaskbar);
        }
        Window *win = WindowOf(handle);
        if (win == nullptr) {
            bool madeModal = false;
            SDL_Window *window = TakeWindow(title, Coordinate(left), Coordinate(top), Scaled(w), Scaled(h),
                                            noTaskbar != 0, handle == popup, &madeModal);
            if (window == nullptr) {
                std::fprintf(stderr, "rte: cannot open a window for panel \"%s\": %s\n", title.c_str(), SDL_GetError());
                continue;
            }
            Window &fresh = g_windows[handle];
            fresh.window = window;
            fresh.width = w;
            fresh.height = h;
            fresh.top = top;
            fresh.left = left;
            fresh.title = title;
            fresh.noTaskbar = noTaskbar != 0;
            fresh.madeModal = madeModal;
            SDL_ShowWindow(window);
            Settle(fresh);
            changed = true;
            // A window shown takes the keyboard, as the window system gives it.
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            if (Panel *p = FindPanel(handle)) p->view.hasFocus = true;
            continue;
        }
        if (win->title != title) {
            SDL_SetWindowTitle(win->window, title.c_str());
            win->title = title;
            changed = true;
        }
        if (win->width != w || win->height != h) {
            SDL_SetWindowSize(win->window, Scaled(w), Scaled(h));
            win->width = w;
            win->height = h;
            changed = true;
        }
        // The program placed the panel (SetPanelPos, ATTR_TOP, ATTR_LEFT): the window follows.
        if (win->top != top || win->left != left) {
            win->top = top;
            win->left = left;
            if (WindowPositionsKnown()) SDL_SetWindowPosition(win->window, Coordinate(left), Coordinate(top));
            Settle(*win);
        }
    }
    // The modal popup on top stays above the program's other windows, with the keyboard.
    for (auto &entry : g_windows) {
        bool isTop = entry.first == popup;
        if (isTop && !entry.second.popup) {
            for (auto &other : g_windows) {
                if (other.first != popup) {
                    SDL_SetWindowModalFor(entry.second.window, other.second.window);
                    entry.second.madeModal = true;
                    break;
                }
            }
            SDL_RaiseWindow(entry.second.window);
        }
        entry.second.popup = isTop;
    }
    return changed;
}

bool WindowOrigin(SDL_Window *window, int *x, int *y) {
    if (!WindowPositionsKnown()) return false;
    if (!X11WindowOrigin(window, x, y)) SDL_GetWindowPosition(window, x, y);
    return true;
}

void FollowMoves() {
    struct Move {
        int panel, top, left;
    };
    std::vector<Move> moved;
    for (auto &[panel, win] : g_windows) {
        int x = 0, y = 0;
        if (!WindowOrigin(win.window, &x, &y) || (x == win.seenX && y == win.seenY)) continue;
        win.seenX = x;
        win.seenY = y;
        if (AtPanelPlace(win, x, y) && win.left > 0 && win.top > 0) continue;
        // The operator moved the window, or the window system put it elsewhere.
        win.left = ToPanel(x);
        win.top = ToPanel(y);
        moved.push_back({panel, win.top, win.left});
    }
    // Told once the windows are seen to: the panels' callbacks may change them.
    for (const Move &m : moved) WindowMovedTo(m.panel, m.top, m.left);
}

}  // namespace rte::internal::sdl
