// rte/display/sdl_input.cpp - the screen display's input: each SDL event of a panel's window
// becomes the matching call of the operator-input layer (rte/events/operator_input.h), in panel
// coordinates and the engine's key codes. What the input does is decided there, the same for
// the screen, operator scripts and tests. The entries' clipboard is the desktop's, through SDL.
#include <cctype>
#include <string>
#include <vector>

#include "rte/display/sdl_display.h"
#include "rte/events/clipboard.h"
#include "rte/events/editing.h"
#include "rte/events/operator_input.h"
#include "rte/events/pointer.h"
#include "rte/events/window_input.h"
#include "rte/ui.h"

namespace rte::internal::sdl {
namespace {

// The engine's key code of a key going down, or 0 for a key the engine does not know. Keys of
// characters give the character (their text comes as well, as SDL_TEXTINPUT).
int KeyCode(SDL_Keycode key, Uint16 mod) {
    int code;
    switch (key) {
    case SDLK_BACKSPACE: code = VAL_BACKSPACE_VKEY; break;
    case SDLK_TAB: code = VAL_TAB_VKEY; break;
    case SDLK_ESCAPE: code = VAL_ESC_VKEY; break;
    case SDLK_DELETE: code = VAL_FWD_DELETE_VKEY; break;
    case SDLK_RETURN: case SDLK_KP_ENTER: code = VAL_ENTER_VKEY; break;
    case SDLK_UP: code = VAL_UP_ARROW_VKEY; break;
    case SDLK_DOWN: code = VAL_DOWN_ARROW_VKEY; break;
    case SDLK_LEFT: code = VAL_LEFT_ARROW_VKEY; break;
    case SDLK_RIGHT: code = VAL_RIGHT_ARROW_VKEY; break;
    case SDLK_INSERT: code = VAL_INSERT_VKEY; break;
    case SDLK_HOME: code = VAL_HOME_VKEY; break;
    case SDLK_END: code = VAL_END_VKEY; break;
    case SDLK_PAGEUP: code = VAL_PAGE_UP_VKEY; break;
    case SDLK_PAGEDOWN: code = VAL_PAGE_DOWN_VKEY; break;
    default:
        if (key >= SDLK_F1 && key <= SDLK_F12) code = VAL_F1_VKEY + static_cast<int>(key - SDLK_F1) * 0x100;
        else if (key >= 0x20 && key < 0x7F) code = static_cast<int>(key);
        else return 0;
    }
    if (mod & KMOD_SHIFT) code |= VAL_SHIFT_MODIFIER;
    if (mod & KMOD_CTRL) code |= VAL_MENUKEY_MODIFIER;
    if (mod & KMOD_ALT) code |= VAL_ALT_MODIFIER;
    return code;
}

// A character key pressed with Alt: on X11 the window system types its character as well, which
// an Alt command (a label's marked letter) must not leave in a field; yet an Alt that is the
// AltGr of a keyboard layout types another character (AltGr+Q is @ on a German keyboard) and is
// no command. The key's text, already queued behind it, tells the two apart: the same character
// is dropped (g_dropText), another one is typed and the key is a plain character key.
bool g_dropText = false;

int AltKeyCode(int code) {
    int ch = code & 0xFFFF;
    if (!(code & VAL_ALT_MODIFIER) || (code & VAL_MENUKEY_MODIFIER) || ch <= 0x20 || ch >= 0x7F) return code;
    SDL_Event next;
    if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_TEXTINPUT, SDL_TEXTINPUT) != 1) return code;
    const char *text = next.text.text;
    if (text[0] != '\0' && text[1] == '\0' && std::tolower(static_cast<unsigned char>(text[0])) == std::tolower(ch)) {
        g_dropText = true;
        return code;
    }
    return code & ~VAL_ALT_MODIFIER;
}

Uint32 WindowIdOf(const SDL_Event &e) {
    switch (e.type) {
    case SDL_WINDOWEVENT: return e.window.windowID;
    case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    case SDL_KEYDOWN: return e.key.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    case SDL_DROPFILE: case SDL_DROPCOMPLETE: return e.drop.windowID;
    default: return 0;
    }
}

// The pointer left the window: no more motion comes while no button is held, so its position
// outside is read from the screen, for GetRelativeMouseState to report where it is.
void PointerLeft(int panel, SDL_Window *window) {
    int x = 0, y = 0;
    Uint32 buttons = PointerInWindow(window, &x, &y);
    PointerMoved(panel, ToPanel(x), ToPanel(y), (buttons & SDL_BUTTON_LMASK) != 0, (buttons & SDL_BUTTON_RMASK) != 0);
}

// The desktop's clipboard, for the entries' cut, copy and paste.
bool ReadClipboard(std::string *text) {
    if (!SDL_HasClipboardText()) return false;
    char *held = SDL_GetClipboardText();
    if (held == nullptr) return false;
    *text = held;
    SDL_free(held);
    return true;
}

void WriteClipboard(const std::string &text) { SDL_SetClipboardText(text.c_str()); }

}  // namespace

void StartInput() { SetClipboardHooks(ReadClipboard, WriteClipboard); }

void HandleInput(const SDL_Event &e) {
    int menuKey = e.type == SDL_KEYDOWN ? KeyCode(e.key.keysym.sym, e.key.keysym.mod) : 0;
    if (HandleMenuInput(e, menuKey)) return;
    Uint32 windowId = WindowIdOf(e);
    int panel = windowId != 0 ? PanelOfWindowId(windowId) : 0;
    Window *win = WindowOf(panel);
    if (win == nullptr) {
        if (e.type == SDL_DROPFILE) SDL_free(e.drop.file);
        return;
    }
    // While a modal popup is up, the program's other windows take no input: a click or a key
    // there, or the window coming to the front, brings the popup back to the front instead.
    if (!PanelTakesInput(panel) && e.type != SDL_MOUSEMOTION) {
        bool window = e.type == SDL_WINDOWEVENT;
        bool attempt = !window || e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED || e.window.event == SDL_WINDOWEVENT_CLOSE;
        if (attempt) {
            if (Window *popup = TopPopupWindow()) SDL_RaiseWindow(popup->window);
            if (e.type == SDL_DROPFILE) SDL_free(e.drop.file);
            return;
        }
    }
    switch (e.type) {
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) CloseByOperator(panel);
        else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) WindowFocusChanged(panel, true);
        else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) WindowFocusChanged(panel, false);
        else if (e.window.event == SDL_WINDOWEVENT_LEAVE) PointerLeft(panel, win->window);
        break;
    case SDL_MOUSEMOTION:
        PointerMoved(panel, ToPanel(e.motion.x), ToPanel(e.motion.y), (e.motion.state & SDL_BUTTON_LMASK) != 0,
                     (e.motion.state & SDL_BUTTON_RMASK) != 0);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT || e.button.button == SDL_BUTTON_RIGHT) {
            ButtonDown(panel, ToPanel(e.button.x), ToPanel(e.button.y), e.button.button == SDL_BUTTON_RIGHT,
                       e.button.clicks);
        }
        break;
    case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT || e.button.button == SDL_BUTTON_RIGHT) {
            ButtonUp(panel, ToPanel(e.button.x), ToPanel(e.button.y), e.button.button == SDL_BUTTON_RIGHT);
        }
        break;
    case SDL_MOUSEWHEEL: {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        WheelTurned(panel, ToPanel(x), ToPanel(y), e.wheel.y);
        break;
    }
    case SDL_KEYDOWN:
        g_dropText = false;
        if (int code = KeyCode(e.key.keysym.sym, e.key.keysym.mod)) {
            KeyDown(panel, ActiveControl(panel), AltKeyCode(code), e.key.repeat != 0);
        }
        break;
    case SDL_TEXTINPUT:
        if (g_dropText) {
            g_dropText = false;
            break;
        }
        TypeText(panel, ActiveControl(panel), e.text.text);
        break;
    case SDL_DROPFILE:
        win->dropped.push_back(e.drop.file);
        SDL_free(e.drop.file);
        break;
    case SDL_DROPCOMPLETE: {
        std::vector<std::string> paths;
        paths.swap(win->dropped);
        if (paths.empty()) break;
        // SDL tells no drop point: the pointer is where the file manager let go.
        int x = 0, y = 0;
        PointerInWindow(win->window, &x, &y);
        DropOnPanel(panel, paths, ToPanel(x), ToPanel(y));
        break;
    }
    default: break;
    }
}

}  // namespace rte::internal::sdl
