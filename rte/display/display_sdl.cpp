// rte/display/display_sdl.cpp - the screen display: one SDL2 window per visible top-level panel, drawn
// by the renderer, with the operator's mouse and keyboard turned into the engine's events.
//
// Everything runs on the main thread (the one that called InitRTEEx), inside the event loop's
// pump: windows follow the model (made, retitled, resized, removed) and are redrawn before each
// wait; the wait blocks in SDL_WaitEventTimeout until input, the next timer, or a wake pushed by
// another thread's post. Callbacks are called with no lock held.
#include <SDL.h>
#include <cairo.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "rte/display/display.h"
#include "rte/engine.h"
#include "rte/core/thread_queue.h"
#include "rte/model/ui_model.h"
#include "rte/render/render.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

struct Window {
    SDL_Window *window = nullptr;
    ViewState view;
    int width = 0, height = 0;        // panel size the window was made for
    std::string title;
    std::string numericEdit;          // text being typed into the active numeric control
    int numericCtrl = 0;              // the control numericEdit belongs to (0: none)
    bool buttonDown = false;          // left button held on view.pressedCtrl
    int selecting = 0;                // the entry whose text the held left button selects
    std::vector<std::string> dropped; // files dropped, delivered at the end of the drop
};

std::map<int, Window> g_windows;      // by panel handle; main thread only
std::atomic<bool> g_started{false};
std::atomic<bool> g_wakePending{false};
Uint32 g_wakeEvent = 0;
double g_scale = 1.0;                 // device pixels per panel pixel

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

// Input reaches a panel unless a modal popup other than it is up.
bool Operable(int panel) {
    int popup = TopPopup();
    return popup == 0 || popup == panel;
}

// ---- windows follow the model ----

void SyncWindows() {
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
            fresh.view.hasFocus = true;
            g_windows[handle] = fresh;
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
        }
    }
}

void Redraw(int panel, Window &win) {
    SDL_Surface *target = SDL_GetWindowSurface(win.window);
    if (target == nullptr) return;
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, target->w, target->h);
    if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
        cairo_t *cr = cairo_create(surface);
        cairo_scale(cr, static_cast<double>(target->w) / win.width, static_cast<double>(target->h) / win.height);
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Panel *p = FindPanel(panel);
            if (p != nullptr) {
                // A numeric being typed into shows the typed text, not its value.
                Control *edited = win.numericCtrl ? FindControl(p, win.numericCtrl) : nullptr;
                double saved = 0;
                std::string savedText;
                if (edited != nullptr) {
                    saved = edited->number;
                    edited->style = CTRL_STRING;  // drawn as text for this one paint
                    savedText.swap(edited->text);
                    edited->text = win.numericEdit;
                }
                RenderPanel(cr, *p, &win.view);
                if (edited != nullptr) {
                    edited->style = CTRL_NUMERIC;
                    edited->text.swap(savedText);
                    edited->number = saved;
                }
            }
        }
        cairo_destroy(cr);
        cairo_surface_flush(surface);
        SDL_Surface *source = SDL_CreateRGBSurfaceWithFormatFrom(
            cairo_image_surface_get_data(surface), target->w, target->h, 32, cairo_image_surface_get_stride(surface),
            SDL_PIXELFORMAT_RGB888);
        if (source != nullptr) {
            SDL_BlitSurface(source, nullptr, target, nullptr);
            SDL_FreeSurface(source);
            SDL_UpdateWindowSurface(win.window);
        }
    }
    cairo_surface_destroy(surface);
}

// ---- focus and editing ----

bool IsEntry(const Control &c) { return c.style == CTRL_STRING || c.style == CTRL_NUMERIC; }

// Commits a numeric control's typed text; returns whether the value changed.
bool CommitNumericEdit(int panel, Window &win) {
    if (win.numericCtrl == 0) return false;
    int control = win.numericCtrl;
    win.numericCtrl = 0;
    bool changed = false;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (c == nullptr) return false;
        double before = c->number;
        Control trial = *c;
        if (SetValueFromText(trial, win.numericEdit) == 0) c->number = trial.number;  // bad text: value kept
        changed = c->number != before;
    }
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
    return changed;
}

void BeginEdit(int panel, Window &win, int control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    if (c == nullptr || !IsEntry(*c)) return;
    if (c->style == CTRL_NUMERIC) {
        win.numericCtrl = control;
        win.numericEdit = ValueAsText(*c);
    }
    // Focusing an entry selects its text, so typing replaces it.
    int length = static_cast<int>((c->style == CTRL_NUMERIC ? win.numericEdit : c->text).size());
    win.view.selStart = 0;
    win.view.selEnd = length;
    win.view.caret = length;
}

void MoveFocus(int panel, Window &win, int control) {
    // A numeric entry being edited takes its text as the value before it loses the focus.
    bool moved = MoveOperatorFocus(panel, control, [&](int old) {
        if (win.numericCtrl == old) CommitNumericEdit(panel, win);
    });
    if (moved) BeginEdit(panel, win, control);
}

// The next (or previous) control in tab order that can take the focus, wrapping; 0 if none.
int TabNeighbour(int panel, int from, bool backwards) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr || p->ctrls.empty()) return 0;
    int n = static_cast<int>(p->ctrls.size()), at = -1;
    for (int i = 0; i < n; ++i) {
        if (p->ctrls[static_cast<size_t>(i)]->id == from) at = i;
    }
    for (int k = 1; k <= n; ++k) {
        int i = at < 0 ? (backwards ? n - k : k - 1) : ((at + (backwards ? -k : k)) % n + n) % n;
        Control &c = *p->ctrls[static_cast<size_t>(i)];
        if (CanTakeFocus(c)) return c.id;
    }
    return 0;
}

// Replaces the selection of the active entry with text (cut to the maximum entry length).
void InsertText(int panel, Window &win, int control, const std::string &typed) {
    bool changed = false;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (c == nullptr || !IsEntry(*c) || !IsEditable(*c)) return;
        std::string &text = c->style == CTRL_NUMERIC ? win.numericEdit : c->text;
        int length = static_cast<int>(text.size());
        int caret = win.view.caret < 0 ? length : std::min(win.view.caret, length);
        int s = std::clamp(std::min(win.view.selStart, win.view.selEnd), 0, length);
        int e = std::clamp(std::max(win.view.selStart, win.view.selEnd), 0, length);
        if (e > s) {
            text.erase(static_cast<size_t>(s), static_cast<size_t>(e - s));
            caret = s;
        }
        std::string add = typed;
        if (c->maxEntryLength >= 0) {
            int room = std::max(0, c->maxEntryLength - static_cast<int>(text.size()));
            if (static_cast<int>(add.size()) > room) add.resize(static_cast<size_t>(room));
        }
        text.insert(static_cast<size_t>(caret), add);
        caret += static_cast<int>(add.size());
        win.view.caret = caret;
        win.view.selStart = win.view.selEnd = caret;
        changed = e > s || !add.empty();
        changed = changed && c->style == CTRL_STRING;
    }
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
}

// Editing keys of an entry: backspace, delete, arrows, home, end, select all.
void EditKey(int panel, Window &win, int control, SDL_Keycode key, bool shift, bool ctrl) {
    bool changed = false;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (c == nullptr || !IsEntry(*c)) return;
        std::string &text = c->style == CTRL_NUMERIC ? win.numericEdit : c->text;
        int length = static_cast<int>(text.size());
        int caret = win.view.caret < 0 ? length : std::min(win.view.caret, length);
        int s = std::clamp(std::min(win.view.selStart, win.view.selEnd), 0, length);
        int e = std::clamp(std::max(win.view.selStart, win.view.selEnd), 0, length);
        bool editable = IsEditable(*c);
        int anchor = win.view.selStart == caret ? win.view.selEnd : win.view.selStart;
        if (e == s) anchor = caret;
        switch (key) {
        case SDLK_BACKSPACE: case SDLK_DELETE:
            if (!editable) return;
            if (e > s) {
                text.erase(static_cast<size_t>(s), static_cast<size_t>(e - s));
                caret = s;
            } else if (key == SDLK_BACKSPACE && caret > 0) {
                text.erase(static_cast<size_t>(--caret), 1);
            } else if (key == SDLK_DELETE && caret < length) {
                text.erase(static_cast<size_t>(caret), 1);
            } else {
                return;
            }
            changed = c->style == CTRL_STRING;
            anchor = caret;
            break;
        case SDLK_LEFT: caret = std::max(0, caret - 1); break;
        case SDLK_RIGHT: caret = std::min(length, caret + 1); break;
        case SDLK_HOME: caret = 0; break;
        case SDLK_END: caret = length; break;
        case SDLK_a:
            if (!ctrl) return;
            anchor = 0;
            caret = length;
            shift = true;
            break;
        default: return;
        }
        if (!shift) anchor = caret;
        win.view.caret = caret;
        win.view.selStart = anchor;
        win.view.selEnd = caret;
    }
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
}

// Moves a list or ring selection by delta (or to index when delta is 0); VAL_CHANGED if moved.
void ChooseItem(int panel, int control, int index, int delta, bool wrap) {
    bool changed = false;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (c == nullptr || !IsListStyle(c->style) || !IsEditable(*c) || c->items.empty()) return;
        int n = static_cast<int>(c->items.size());
        int target = delta == 0 ? index : c->index + delta;
        target = wrap ? ((target % n) + n) % n : std::clamp(target, 0, n - 1);
        if (target < 0 || target >= n) return;
        changed = target != c->index;
        c->index = target;
    }
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
}

// Keeps the selected line of a list box in view after the keyboard moved it.
void ScrollToSelection(int panel, Window &win, int control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    if (c == nullptr || c->style != CTRL_LIST_BOX) return;
    int first = ListFirstVisible(*c, &win.view), lines = ListVisibleLines(*c);
    if (c->index < first) first = c->index;
    if (c->index >= first + lines) first = c->index - lines + 1;
    win.view.listTop[control] = first;
}

// ---- the open list of a ring ----

// Opens the list of a ring's items with its chosen item marked.
void OpenRingPopup(int panel, Window &win, int control) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    if (c == nullptr || !IsListStyle(c->style) || !IsEditable(*c) || c->items.empty()) return;
    win.view.ringPopup = control;
    win.view.ringHover = c->index;
}

// Closes the open list; with choose, its marked item becomes the ring's value, as a click on a
// list box line does: EVENT_VAL_CHANGED when it differs, then EVENT_COMMIT.
void CloseRingPopup(int panel, Window &win, bool choose) {
    int control = win.view.ringPopup, item = win.view.ringHover;
    win.view.ringPopup = 0;
    win.view.ringHover = -1;
    if (!choose || control == 0 || item < 0) return;
    ChooseItem(panel, control, item, 0, false);
    CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
}

// The item of the open list under a point (panel coordinates), or -1.
int RingPopupItem(int panel, const Window &win, int x, int y) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    Control *c = FindControl(p, win.view.ringPopup);
    return c == nullptr ? -1 : RingPopupItemAt(*p, *c, &win.view, x, y);
}

// Keys while the list is open: the arrows, Home and End mark an item, Enter or Space chooses
// it, Escape and Tab close the list.
void RingPopupKey(int panel, Window &win, SDL_Keycode key) {
    int count = 0;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), win.view.ringPopup);
        if (c != nullptr) count = static_cast<int>(c->items.size());
    }
    if (count == 0) {
        CloseRingPopup(panel, win, false);
        return;
    }
    int &hover = win.view.ringHover;
    switch (key) {
    case SDLK_UP: hover = std::clamp(hover - 1, 0, count - 1); break;
    case SDLK_DOWN: hover = std::clamp(hover + 1, 0, count - 1); break;
    case SDLK_HOME: hover = 0; break;
    case SDLK_END: hover = count - 1; break;
    case SDLK_RETURN: case SDLK_KP_ENTER: case SDLK_SPACE: CloseRingPopup(panel, win, true); break;
    case SDLK_ESCAPE: case SDLK_TAB: CloseRingPopup(panel, win, false); break;
    default: break;
    }
}

// ---- mouse ----

// The text an entry shows while it is edited in this window.
std::string &EditedText(Window &win, Control &c) {
    return c.style == CTRL_NUMERIC && win.numericCtrl == c.id ? win.numericEdit : c.text;
}

// A click in an entry puts the caret there (a double click selects the whole text) and starts
// a selection that dragging extends.
void PlaceCaret(int panel, Window &win, int control, int x, bool selectAll) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    if (c == nullptr || !IsEntry(*c)) return;
    const std::string &text = EditedText(win, *c);
    int at = EntryOffsetAt(*c, text, x);
    win.view.selStart = selectAll ? 0 : at;
    win.view.selEnd = win.view.caret = selectAll ? static_cast<int>(text.size()) : at;
    win.selecting = selectAll ? 0 : control;
}

void DragSelection(int panel, Window &win, int x) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    Control *c = FindControl(p, win.selecting);
    if (c == nullptr || p->activeCtrl != c->id) {
        win.selecting = 0;
        return;
    }
    win.view.selEnd = win.view.caret = EntryOffsetAt(*c, EditedText(win, *c), x);
}


// The front-most visible control whose body holds the point (panel coordinates), or 0.
int ControlAt(int panel, int x, int y, int *style) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return 0;
    for (int id : p->zOrder) {
        Control *c = FindControl(p, id);
        if (c == nullptr || !c->visible || c->style == CTRL_TIMER) continue;
        if (x >= c->left && x < c->left + c->width && y >= c->top && y < c->top + c->height) {
            *style = c->style;
            return id;
        }
    }
    return 0;
}

void MouseDown(int panel, Window &win, int x, int y, int button, int clicks) {
    if (win.view.ringPopup != 0) {
        // A click on an item chooses it; anywhere else it only closes the list.
        win.view.ringHover = RingPopupItem(panel, win, x, y);
        CloseRingPopup(panel, win, button == SDL_BUTTON_LEFT);
        return;
    }
    int style = 0;
    int control = ControlAt(panel, x, y, &style);
    bool right = button == SDL_BUTTON_RIGHT;
    int event = right ? (clicks >= 2 ? EVENT_RIGHT_DOUBLE_CLICK : EVENT_RIGHT_CLICK)
                      : (clicks >= 2 ? EVENT_LEFT_DOUBLE_CLICK : EVENT_LEFT_CLICK);
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        Control *c = FindControl(p, control);
        if (p == nullptr || p->dimmed || (c != nullptr && c->dimmed)) return;
    }
    if (control == 0) {
        CallPanel(panel, event, y, x);
        return;
    }
    if (CallCtrl(panel, control, event, y, x) != 0 || right) return;  // swallowed; right: no action
    bool focusable;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        focusable = c != nullptr && CanTakeFocus(*c);
    }
    if (focusable) MoveFocus(panel, win, control);
    switch (style) {
    case CTRL_COMMAND_BUTTON: case CTRL_PICTURE_COMMAND_BUTTON: case CTRL_TOGGLE_BUTTON:
    case CTRL_PICTURE_TOGGLE_BUTTON:
        win.view.pressedCtrl = control;  // commits when released over it
        win.buttonDown = true;
        break;
    case CTRL_LIST_BOX: {
        int index = -1, first = 0, lines = 1, count = 0, cx = 0, cy = 0, width = 0;
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Control *c = FindControl(FindPanel(panel), control);
            if (c == nullptr) return;
            cx = x - c->left;
            cy = y - c->top;
            index = ListItemAt(*c, &win.view, cx, cy);
            first = ListFirstVisible(*c, &win.view);
            lines = ListVisibleLines(*c);
            count = static_cast<int>(c->items.size());
            width = c->width;
        }
        if (index < 0 && count > lines && cx >= width - kListInset - kScrollBarWidth) {
            // The scroll bar: a page up or down by the half that was clicked.
            int half = (lines * kListLineHeight) / 2 + kListInset;
            win.view.listTop[control] = std::clamp(first + (cy < half ? -lines : lines), 0, count - lines);
            return;
        }
        if (index < 0) return;
        ChooseItem(panel, control, index, 0, false);
        win.view.listTop[control] = first;
        CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
        break;
    }
    case CTRL_RING: case CTRL_MENU_RING: case CTRL_PICTURE_RING:
        OpenRingPopup(panel, win, control);
        break;
    case CTRL_STRING:
        PlaceCaret(panel, win, control, x, clicks >= 2);
        break;
    case CTRL_NUMERIC: {
        bool arrows = false, up = false;
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Panel *p = FindPanel(panel);
            Control *c = FindControl(p, control);
            int show = 1;
            GetAttr(p, c, ATTR_SHOW_INCDEC_ARROWS, &show);
            arrows = show && IsEditable(*c) && x < c->left + 16;
            up = y < c->top + c->height / 2;
            if (arrows) {
                win.numericCtrl = 0;
                c->number = CoerceNumber(*c, c->number + (up ? 1 : -1));
            }
        }
        if (arrows) {
            CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
            CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
            BeginEdit(panel, win, control);
        } else {
            PlaceCaret(panel, win, control, x, clicks >= 2);
        }
        break;
    }
    default: break;
    }
}

void MouseUp(int panel, Window &win, int x, int y) {
    win.selecting = 0;
    if (!win.buttonDown) return;
    win.buttonDown = false;
    int control = win.view.pressedCtrl;
    win.view.pressedCtrl = 0;
    int style = 0;
    if (ControlAt(panel, x, y, &style) != control) return;  // released elsewhere: no commit
    bool toggled = false;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (c == nullptr) return;
        if ((c->style == CTRL_TOGGLE_BUTTON || c->style == CTRL_PICTURE_TOGGLE_BUTTON) && c->mode != VAL_INDICATOR) {
            c->number = c->number != 0 ? 0 : 1;
            toggled = true;
        }
    }
    if (toggled) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
    CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
}

// ---- keyboard ----

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
    default:
        if ((mod & KMOD_CTRL) && key >= SDLK_a && key <= SDLK_z) code = static_cast<int>(key);
        else return 0;  // characters arrive as text input
    }
    if (mod & KMOD_SHIFT) code |= VAL_SHIFT_MODIFIER;
    if (mod & KMOD_CTRL) code |= VAL_MENUKEY_MODIFIER;
    if (mod & KMOD_ALT) code |= VAL_ALT_MODIFIER;
    return code;
}

void KeyDown(int panel, Window &win, const SDL_KeyboardEvent &key) {
    if (win.view.ringPopup != 0) {
        RingPopupKey(panel, win, key.keysym.sym);
        return;
    }
    {
        // Space, Alt+Down and F4 open the list of the ring that has the focus.
        SDL_Keycode sym = key.keysym.sym;
        int active = 0;
        bool ring = false, button = false;
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Panel *p = FindPanel(panel);
            Control *c = p != nullptr && !p->dimmed ? FindControl(p, p->activeCtrl) : nullptr;
            ring = c != nullptr && IsListStyle(c->style) && c->style != CTRL_LIST_BOX;
            button = c != nullptr && (c->style == CTRL_COMMAND_BUTTON || c->style == CTRL_PICTURE_COMMAND_BUTTON);
            active = c != nullptr ? c->id : 0;
        }
        if (ring && (sym == SDLK_SPACE || sym == SDLK_F4 || (sym == SDLK_DOWN && (key.keysym.mod & KMOD_ALT)))) {
            OpenRingPopup(panel, win, active);
            return;
        }
        // Space presses the focused button. The key itself also arrives as text, which gives
        // the button its EVENT_KEYPRESS.
        if (button && sym == SDLK_SPACE && !key.repeat) {
            CallCtrl(panel, active, EVENT_COMMIT, 0, 0);
            return;
        }
    }
    int code = KeyCode(key.keysym.sym, key.keysym.mod);
    if (code == 0) return;
    int control;
    int style = 0;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr || p->dimmed) return;
        control = p->activeCtrl;
        if (Control *c = FindControl(p, control)) style = c->style;
    }
    if (control > 0 && CallCtrl(panel, control, EVENT_KEYPRESS, code, 0) != 0) return;
    bool shift = (key.keysym.mod & KMOD_SHIFT) != 0, ctrl = (key.keysym.mod & KMOD_CTRL) != 0;
    switch (key.keysym.sym) {
    case SDLK_TAB:
        if (int next = TabNeighbour(panel, control, shift)) MoveFocus(panel, win, next);
        return;
    case SDLK_RETURN: case SDLK_KP_ENTER:
        if (control <= 0) return;
        if (win.numericCtrl == control) {
            CommitNumericEdit(panel, win);
            BeginEdit(panel, win, control);
        }
        CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
        return;
    case SDLK_UP: case SDLK_DOWN:
        if (control > 0 && IsListStyle(style)) {
            ChooseItem(panel, control, 0, key.keysym.sym == SDLK_UP ? -1 : 1, false);
            ScrollToSelection(panel, win, control);
        }
        return;
    default:
        if (control > 0) EditKey(panel, win, control, key.keysym.sym, shift, ctrl);
    }
}

void TextInput(int panel, Window &win, const char *text) {
    if (win.view.ringPopup != 0) return;  // the keys of an open list are its own
    int control;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr || p->dimmed) return;
        control = p->activeCtrl;
        Control *c = FindControl(p, control);
        if (c == nullptr || !IsEntry(*c)) {
            // Typing on a button: a character key of no entry is a key press only.
            if (control > 0) {
                for (const char *ch = text; *ch; ++ch) {
                    int code = static_cast<unsigned char>(*ch);
                    CallCtrl(panel, control, EVENT_KEYPRESS, code, 0);
                }
            }
            return;
        }
    }
    // One EVENT_KEYPRESS per byte; a swallowed key is dropped.
    std::string accepted;
    for (const char *ch = text; *ch; ++ch) {
        if (CallCtrl(panel, control, EVENT_KEYPRESS, static_cast<unsigned char>(*ch), 0) == 0) accepted += *ch;
    }
    if (!accepted.empty()) InsertText(panel, win, control, accepted);
}

void HandleEvent(const SDL_Event &e) {
    Uint32 windowId = 0;
    switch (e.type) {
    case SDL_WINDOWEVENT: windowId = e.window.windowID; break;
    case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP: windowId = e.button.windowID; break;
    case SDL_MOUSEMOTION: windowId = e.motion.windowID; break;
    case SDL_MOUSEWHEEL: windowId = e.wheel.windowID; break;
    case SDL_KEYDOWN: windowId = e.key.windowID; break;
    case SDL_TEXTINPUT: windowId = e.text.windowID; break;
    case SDL_DROPFILE: case SDL_DROPCOMPLETE: windowId = e.drop.windowID; break;
    default: return;
    }
    int panel = PanelOfWindowId(windowId);
    Window *win = WindowOf(panel);
    if (win == nullptr) {
        if (e.type == SDL_DROPFILE) SDL_free(e.drop.file);
        return;
    }
    auto toPanel = [](int v) { return static_cast<int>(std::floor(v / g_scale)); };
    switch (e.type) {
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
            int closeCtrl = 0;
            {
                std::lock_guard<std::recursive_mutex> hold(ModelLock());
                GetAttr(FindPanel(panel), nullptr, ATTR_CLOSE_CTRL, &closeCtrl);
            }
            if (CallPanel(panel, EVENT_CLOSE, 0, 0) == 0 && closeCtrl > 0) CallCtrl(panel, closeCtrl, EVENT_COMMIT, 0, 0);
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            win->view.hasFocus = true;
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            win->view.hasFocus = false;
            CloseRingPopup(panel, *win, false);
            win->selecting = 0;
        }
        break;
    case SDL_MOUSEMOTION:
        rte::testing::SetMouseState(panel, toPanel(e.motion.x), toPanel(e.motion.y),
                                    (e.motion.state & SDL_BUTTON_LMASK) != 0, (e.motion.state & SDL_BUTTON_RMASK) != 0);
        if (win->view.ringPopup != 0) {
            int item = RingPopupItem(panel, *win, toPanel(e.motion.x), toPanel(e.motion.y));
            if (item >= 0) win->view.ringHover = item;
        } else if (win->selecting != 0 && (e.motion.state & SDL_BUTTON_LMASK) != 0) {
            DragSelection(panel, *win, toPanel(e.motion.x));
        }
        break;
    case SDL_MOUSEBUTTONDOWN: {
        Uint32 state = SDL_GetMouseState(nullptr, nullptr);
        rte::testing::SetMouseState(panel, toPanel(e.button.x), toPanel(e.button.y), (state & SDL_BUTTON_LMASK) != 0,
                                    (state & SDL_BUTTON_RMASK) != 0);
        if (Operable(panel) && (e.button.button == SDL_BUTTON_LEFT || e.button.button == SDL_BUTTON_RIGHT)) {
            MouseDown(panel, *win, toPanel(e.button.x), toPanel(e.button.y), e.button.button, e.button.clicks);
        }
        break;
    }
    case SDL_MOUSEBUTTONUP:
        rte::testing::SetMouseState(panel, toPanel(e.button.x), toPanel(e.button.y), false, false);
        if (e.button.button == SDL_BUTTON_LEFT) MouseUp(panel, *win, toPanel(e.button.x), toPanel(e.button.y));
        break;
    case SDL_MOUSEWHEEL: {
        int x = 0, y = 0, style = 0;
        SDL_GetMouseState(&x, &y);
        int control = ControlAt(panel, toPanel(x), toPanel(y), &style);
        if (style == CTRL_LIST_BOX) {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            Control *c = FindControl(FindPanel(panel), control);
            int count = static_cast<int>(c->items.size()), lines = ListVisibleLines(*c);
            win->view.listTop[control] =
                std::clamp(ListFirstVisible(*c, &win->view) - e.wheel.y, 0, std::max(0, count - lines));
        }
        break;
    }
    case SDL_KEYDOWN:
        if (Operable(panel)) KeyDown(panel, *win, e.key);
        break;
    case SDL_TEXTINPUT:
        if (Operable(panel)) TextInput(panel, *win, e.text.text);
        break;
    case SDL_DROPFILE:
        win->dropped.push_back(e.drop.file);
        SDL_free(e.drop.file);
        break;
    case SDL_DROPCOMPLETE: {
        std::vector<std::string> paths;
        paths.swap(win->dropped);
        if (!paths.empty()) rte::testing::DropFiles(panel, paths);
        break;
    }
    default: break;
    }
}

// ---- the backend ----

double ChooseScale() {
    if (const char *env = std::getenv("RTE_SCALE")) {
        double v = std::strtod(env, nullptr);
        if (v >= 0.5 && v <= 4) return v;
    }
    // Screens of high density (over 1.4 x 96 dots per inch) draw panels larger.
    float ddpi = 0;
    if (SDL_GetDisplayDPI(0, &ddpi, nullptr, nullptr) == 0 && ddpi > 96 * 1.4f) {
        return std::round(ddpi / 96.0f * 4) / 4;
    }
    return 1.0;
}

bool Start(std::string *error) {
    // The program's signals keep their default meaning (SIGTERM ends it, as without a screen).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        *error = std::string("cannot open the screen display: ") + SDL_GetError() +
                 "; set RTE_DISPLAY=headless to run without a screen";
        return false;
    }
    g_wakeEvent = SDL_RegisterEvents(1);
    g_scale = ChooseScale();
    SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
    SDL_StartTextInput();
    g_started.store(true);
    return true;
}

void Shown(int) { WakeThread(MainThreadId()); }
void Hidden(int) { WakeThread(MainThreadId()); }

void Popup(const char *title, const char *message) {
    SDL_Window *parent = g_windows.empty() ? nullptr : g_windows.begin()->second.window;
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title, message, parent) != 0) {
        std::fprintf(stderr, "POPUP %s: %s\n", title, message);  // no message box: the text is not lost
    }
}

void Stop() {
    if (!g_started.exchange(false)) return;
    for (auto &entry : g_windows) SDL_DestroyWindow(entry.second.window);
    g_windows.clear();
    SDL_PumpEvents();  // the windows leave the screen now
    // SDL itself stays initialised: the engine never starts again once closed, and SDL_Quit
    // would unload the desktop libraries it opened while their caches still hold memory,
    // which then shows as leaks of no known module. The process's end releases it all.
}

void Wake() {
    if (!g_started.load() || g_wakePending.exchange(true)) return;  // one wake in flight is enough
    SDL_Event e{};
    e.type = g_wakeEvent;
    SDL_PushEvent(&e);
}

void Pump(double deadline, bool wait) {
    if (!g_started.load()) return;
    SyncWindows();
    // Before a wait the windows always show the model as it is now. A program that calls
    // ProcessSystemEvents in a loop gets at most one redraw per frame (60 a second), so that
    // drawing does not slow its work down.
    static double lastRedraw = -1;
    double now = Timer();
    if (wait || lastRedraw < 0 || now - lastRedraw >= 1.0 / 60 || now < lastRedraw) {
        for (auto &entry : g_windows) Redraw(entry.first, entry.second);
        lastRedraw = now;
    }
    SDL_Event e;
    bool got;
    if (wait) {
        int timeout = -1;
        if (deadline >= 0) {
            double ms = std::ceil((deadline - Timer()) * 1000.0);
            timeout = static_cast<int>(std::clamp(ms, 0.0, 2147483.0 * 1000.0));
        }
        got = timeout < 0 ? SDL_WaitEvent(&e) == 1 : SDL_WaitEventTimeout(&e, timeout) == 1;
    } else {
        got = SDL_PollEvent(&e) == 1;
    }
    while (got) {
        if (e.type == g_wakeEvent) {
            g_wakePending.store(false);
        } else {
            HandleEvent(e);
            SyncWindows();  // a callback may have hidden or discarded a panel
        }
        got = SDL_PollEvent(&e) == 1;
    }
}

const DisplayBackend kSdl = {"sdl", Start, Shown, Hidden, Popup, Stop, Wake, Pump};

}  // namespace

const DisplayBackend &SdlDisplay() { return kSdl; }

}  // namespace rte::internal
