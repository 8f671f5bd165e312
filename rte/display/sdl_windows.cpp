// rte/display/sdl_windows.cpp - the screen display's windows: one SDL window per visible
// top-level panel of the main thread, made, retitled, resized and removed as the model changes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "rte/core/thread_queue.h"
#include "rte/display/sdl_display.h"
#include "rte/model/ui_model.h"

namespace rte::internal::sdl {
namespace {

std::map<int, Window> g_windows;      // by panel handle
double g_scale = 1.0;                 // device pixels per panel pixel

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

void DestroyWindows() {
    for (auto &entry : g_windows) SDL_DestroyWindow(entry.second.window);
    g_windows.clear();
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
    // SDL sets up a window's drawing surface at the first draw and may then replace the window
    // by a new one (for one drawn through OpenGL). That happens here, while it is hidden: a
    // window the screen shows stays the same window, so what finds it at once (a file
    // manager's drag, the window manager, an automation tool) does not talk to a window about
    // to go away.
    SDL_Window *window = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_HIDDEN);
    if (window == nullptr) return nullptr;
    SDL_GetWindowSurface(window);
    SDL_ShowWindow(window);
    return window;
}

int ToPanel(int v) { return static_cast<int>(std::floor(v / g_scale)); }

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
            SDL_DestroyWindow(it->second.window);
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
        int sw = static_cast<int>(std::lround(w * g_scale)), sh = static_cast<int>(std::lround(h * g_scale));
        int sx = static_cast<int>(std::lround(left * g_scale)), sy = static_cast<int>(std::lround(top * g_scale));
        if (win == nullptr) {
            Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI | (noTaskbar ? SDL_WINDOW_SKIP_TASKBAR : 0);
            SDL_Window *window = OpenWindow(title.c_str(), left > 0 ? sx : static_cast<int>(SDL_WINDOWPOS_CENTERED),
                                            top > 0 ? sy : static_cast<int>(SDL_WINDOWPOS_CENTERED), sw, sh, flags);
            if (window == nullptr) {
                std::fprintf(stderr, "rte: cannot open a window for panel \"%s\": %s\n", title.c_str(), SDL_GetError());
                continue;
            }
            Window fresh;
            fresh.window = window;
            fresh.width = w;
            fresh.height = h;
            fresh.top = top;
            fresh.left = left;
            fresh.title = title;
            g_windows[handle] = fresh;
            changed = true;
            // A new window takes the keyboard, as the window system gives it.
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
            SDL_SetWindowSize(win->window, sw, sh);
            win->width = w;
            win->height = h;
            changed = true;
        }
        // The program placed the panel (SetPanelPos, ATTR_TOP, ATTR_LEFT): the window follows.
        // A window the operator dragged keeps its place until the program moves the panel.
        if (win->top != top || win->left != left) {
            SDL_SetWindowPosition(win->window, sx, sy);
            win->top = top;
            win->left = left;
        }
    }
    // The modal popup on top stays above the program's other windows, with the keyboard.
    for (auto &entry : g_windows) {
        bool isTop = entry.first == popup;
        if (isTop && !entry.second.popup) {
            for (auto &other : g_windows) {
                if (other.first != popup) {
                    SDL_SetWindowModalFor(entry.second.window, other.second.window);
                    break;
                }
            }
            SDL_RaiseWindow(entry.second.window);
        }
        entry.second.popup = isTop;
    }
    return changed;
}

}  // namespace rte::internal::sdl
