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

int ToPanel(int v) { return static_cast<int>(std::floor(v / g_scale)); }

bool SyncWindows() {
    bool changed = false;
    std::vector<int> shown;
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
        } else {
            ++it;
        }
    }
    for (int handle : shown) {
        std::string title;
        int w, h, top, left;
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Panel *p = FindPanel(handle);
            if (p == nullptr) continue;
            title = p->title;
            w = std::max(1, p->width);
            h = std::max(1, p->height);
            top = p->top;
            left = p->left;
        }
        Window *win = WindowOf(handle);
        int sw = static_cast<int>(std::lround(w * g_scale)), sh = static_cast<int>(std::lround(h * g_scale));
        if (win == nullptr) {
            SDL_Window *window = SDL_CreateWindow(title.c_str(), left > 0 ? left : static_cast<int>(SDL_WINDOWPOS_CENTERED),
                                                  top > 0 ? top : static_cast<int>(SDL_WINDOWPOS_CENTERED), sw, sh,
                                                  SDL_WINDOW_ALLOW_HIGHDPI);
            if (window == nullptr) {
                std::fprintf(stderr, "rte: cannot open a window for panel \"%s\": %s\n", title.c_str(), SDL_GetError());
                continue;
            }
            Window fresh;
            fresh.window = window;
            fresh.width = w;
            fresh.height = h;
            fresh.title = title;
            g_windows[handle] = fresh;
            // A new window takes the keyboard, as the window system gives it.
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            if (Panel *p = FindPanel(handle)) p->view.hasFocus = true;
            changed = true;
            continue;
        }
        if (win->title != title) {
            SDL_SetWindowTitle(win->window, title.c_str());
            win->title = title;
        }
        if (win->width != w || win->height != h) {
            SDL_SetWindowSize(win->window, sw, sh);
            win->width = w;
            win->height = h;
            changed = true;
        }
    }
    return changed;
}

}  // namespace rte::internal::sdl
