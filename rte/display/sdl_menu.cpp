// rte/display/sdl_menu.cpp - the screen display's popup menu: a borderless window of its own at
// the menu's place while a menu of the main thread is open, drawn by the engine's renderer, and
// the pointer and keys on it handed to the menu (rte/events/popup_menu.h). While the menu is
// open, a click on one of the panels' windows dismisses it and keys go to it. A menu opened while
// none of the program's windows has the keyboard (a tray icon's menu) takes the keyboard once it
// shows, and is dismissed when it loses it to another program (the operator turned away).
#include <cmath>
#include <mutex>

#include "rte/core/thread_queue.h"
#include "rte/display/sdl_display.h"
#include "rte/events/popup_menu.h"
#include "rte/model/popup_menu.h"
#include "rte/model/ui_model.h"
#include "rte/render/render.h"

namespace rte::internal::sdl {
namespace {

SDL_Window *g_menuWindow = nullptr;
int g_menuLeft = 0, g_menuTop = 0;  // the shown menu's corner on the screen (panel pixels)
// Who has the keys: the program's window; or none when the menu opened (Wanted), asked for once
// the menu shows, so that a window of the program activated meanwhile keeps them (Asked); or
// the menu (Taken).
enum class Keyboard { Program, Wanted, Asked, Taken } g_menuKeyboard = Keyboard::Program;

int Scaled(int v) { return static_cast<int>(std::lround(v * Scale())); }

void CloseMenuWindow() {
    if (g_menuWindow == nullptr) return;
    SDL_CaptureMouse(SDL_FALSE);
    SDL_DestroyWindow(g_menuWindow);
    g_menuWindow = nullptr;
}

}  // namespace

bool SyncMenuWindow() {
    bool open;
    int left = 0, top = 0, width = 0, height = 0;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        const PopupMenu &m = TheMenu();
        open = m.open && !m.answered && m.thread == MainThreadId();
        left = m.left;
        top = m.top;
        width = m.width;
        height = m.height;
    }
    if (!open) {
        bool had = g_menuWindow != nullptr;
        CloseMenuWindow();
        return had;
    }
    if (g_menuWindow != nullptr) return false;
    g_menuWindow = OpenWindow("", Scaled(left), Scaled(top), Scaled(width), Scaled(height),
                              SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_POPUP_MENU |
                                  SDL_WINDOW_SKIP_TASKBAR);
    if (g_menuWindow == nullptr) {
        MenuDismiss();  // no window: nobody could answer it
        return false;
    }
    g_menuLeft = left;
    g_menuTop = top;
    SDL_RaiseWindow(g_menuWindow);
    g_menuKeyboard = SDL_GetKeyboardFocus() == nullptr ? Keyboard::Wanted : Keyboard::Program;
    // Clicks beside the menu come here too where the window system allows it.
    SDL_CaptureMouse(SDL_TRUE);
    return true;
}

void RedrawMenu() {
    if (g_menuWindow == nullptr) return;
    int width = 0, height = 0;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        width = TheMenu().width;
        height = TheMenu().height;
    }
    DrawWindow(g_menuWindow, width, height, [](cairo_t *cr) {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        if (TheMenu().open) RenderPopupMenu(cr, TheMenu());
    });
}

bool HandleMenuInput(const SDL_Event &e, int keyCode) {
    if (g_menuWindow == nullptr) return false;
    Uint32 menuId = SDL_GetWindowID(g_menuWindow);
    // A point of an event in window id's coordinates, on the screen.
    auto onScreen = [&](Uint32 id, int x, int y, int *sx, int *sy) {
        if (id == menuId) {
            *sx = g_menuLeft + ToPanel(x);
            *sy = g_menuTop + ToPanel(y);
            return;
        }
        int wx = 0, wy = 0;
        if (SDL_Window *w = SDL_GetWindowFromID(id)) SDL_GetWindowPosition(w, &wx, &wy);
        *sx = ToPanel(wx + x);
        *sy = ToPanel(wy + y);
    };
    int sx = 0, sy = 0;
    switch (e.type) {
    case SDL_WINDOWEVENT:
        if (e.window.windowID != menuId) return false;
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED && g_menuKeyboard == Keyboard::Wanted) {
            g_menuKeyboard = SDL_GetKeyboardFocus() == nullptr ? Keyboard::Asked : Keyboard::Program;
            if (g_menuKeyboard == Keyboard::Asked) SDL_SetWindowInputFocus(g_menuWindow);
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED && g_menuKeyboard == Keyboard::Asked) {
            g_menuKeyboard = Keyboard::Taken;
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST && g_menuKeyboard == Keyboard::Taken) {
            // To another program: the operator turned away. To one of this program's windows
            // (its panel activated): the menu stays, as a panel's menu does.
            SDL_Window *now = SDL_GetKeyboardFocus();
            if (now == nullptr || now == g_menuWindow) MenuDismiss();
            g_menuKeyboard = Keyboard::Program;
        }
        return false;
    case SDL_MOUSEMOTION:
        onScreen(e.motion.windowID, e.motion.x, e.motion.y, &sx, &sy);
        MenuPointerAt(sx, sy);
        return true;
    case SDL_MOUSEBUTTONDOWN:
        onScreen(e.button.windowID, e.button.x, e.button.y, &sx, &sy);
        MenuClickAt(sx, sy);
        return true;
    case SDL_MOUSEBUTTONUP: case SDL_MOUSEWHEEL: case SDL_TEXTINPUT:
        return true;
    case SDL_KEYDOWN:
        if (keyCode != 0) MenuKey(keyCode);
        return true;
    default:
        return false;
    }
}

void DestroyMenuWindow() { CloseMenuWindow(); }

}  // namespace rte::internal::sdl
