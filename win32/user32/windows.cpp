// user32's windows: the window procedures of the engine's panel windows (GetWindowLongA,
// SetWindowLongA and the ...Ptr forms, CallWindowProcA, DefWindowProcA), the table of procedure
// tokens, and the engine's input turned into messages for them.
//
// A window gets a record here when it is first given a procedure or a value; until then its
// procedure is the panel's own (PanelWindowProc) and nothing is kept. The records and the
// token table are guarded by one mutex, which is never held while a procedure runs. The first
// record sets the engine's window hooks, through which the operator's input and the ends of
// windows arrive (rte/system_windows.h).
#include "win32/engine_seam_internal.h"
#include "win32/user32/windows_internal.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

namespace win32::user32 {
namespace {

struct WindowRecord {
    WNDPROC procedure;
    LONG_PTR userData;
    unsigned thread;  // the engine's id of the window's thread (a window never changes thread)
};

std::mutex g_lock;
std::unordered_map<uintptr_t, WindowRecord> g_windows;  // by handle; under g_lock
std::vector<WNDPROC> g_procedures;                      // token 0xFFFF0001 + index; under g_lock
std::once_flag g_hooksSet;
// Bumped under g_lock on every change of a record: a thread's remembered route to a window is
// good while the number it was read with is still current.
std::atomic<uint64_t> g_generation{1};

struct Route {
    uintptr_t key = 0;
    uint64_t generation = 0;
    WNDPROC procedure = nullptr;
    unsigned thread = 0;
};
thread_local Route t_route;

constexpr uint32_t kTokenBase = 0xFFFF0001u;

// The operator's input being handed to a window on this thread: PanelWindowProc marks it as
// reached when the message comes down to it.
struct Delivery {
    HWND window;
    UINT message;
    bool reached;
};
thread_local Delivery *t_delivery = nullptr;

LRESULT PanelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (t_delivery != nullptr && t_delivery->window == window && t_delivery->message == message) {
        t_delivery->reached = true;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

uintptr_t Key(HWND window) { return reinterpret_cast<uintptr_t>(window); }

// The token of a procedure, adding it to the table (under g_lock; throws std::bad_alloc).
LONG TokenOf(WNDPROC procedure) {
    for (size_t i = 0; i < g_procedures.size(); ++i) {
        if (g_procedures[i] == procedure) return static_cast<LONG>(kTokenBase + i);
    }
    if (g_procedures.size() >= 0xFFFE) throw std::bad_alloc();
    g_procedures.push_back(procedure);
    return static_cast<LONG>(kTokenBase + g_procedures.size() - 1);
}

// The procedure of a token, or of an address; null for a value that is neither.
WNDPROC Resolve(uintptr_t value) {
    if (value >= kTokenBase && value <= 0xFFFFFFFFu) {
        std::lock_guard<std::mutex> hold(g_lock);
        size_t index = value - kTokenBase;
        return index < g_procedures.size() ? g_procedures[index] : nullptr;
    }
    return reinterpret_cast<WNDPROC>(value);
}

LRESULT InputHookDeliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool *reached) {
    Delivery delivery{window, message, false};
    Delivery *outer = t_delivery;
    t_delivery = &delivery;
    LRESULT result = Dispatch(window, message, wParam, lParam);
    t_delivery = outer;
    *reached = delivery.reached;
    return result;
}

// The virtual-key code of an engine key code (0 for a key that has none).
WPARAM VirtualKey(int keyCode) {
    int key = keyCode & 0xFFFF;
    switch (key) {
    case VAL_BACKSPACE_VKEY: return VK_BACK;
    case VAL_TAB_VKEY: return VK_TAB;
    case VAL_ESC_VKEY: return VK_ESCAPE;
    case VAL_FWD_DELETE_VKEY: return VK_DELETE;
    case VAL_ENTER_VKEY: return VK_RETURN;
    case VAL_UP_ARROW_VKEY: return VK_UP;
    case VAL_DOWN_ARROW_VKEY: return VK_DOWN;
    case VAL_LEFT_ARROW_VKEY: return VK_LEFT;
    case VAL_RIGHT_ARROW_VKEY: return VK_RIGHT;
    case VAL_INSERT_VKEY: return VK_INSERT;
    case VAL_HOME_VKEY: return VK_HOME;
    case VAL_END_VKEY: return VK_END;
    case VAL_PAGE_UP_VKEY: return VK_PRIOR;
    case VAL_PAGE_DOWN_VKEY: return VK_NEXT;
    default: break;
    }
    if (key >= VAL_F1_VKEY && key <= VAL_F12_VKEY && (key & 0xFF) == 0) return VK_F1 + ((key - VAL_F1_VKEY) >> 8);
    if (key >= 'a' && key <= 'z') return static_cast<WPARAM>(key - 'a' + 'A');
    if (key > 0 && key < 0x80) return static_cast<WPARAM>(key);
    return 0;
}

// The operator's input on a window, as its message; false when it has none.
bool ToMessage(const RteWindowInput &in, UINT *message, WPARAM *wParam, LPARAM *lParam) {
    WPARAM keys = (in.leftDown ? MK_LBUTTON : 0) | (in.rightDown ? MK_RBUTTON : 0);
    LPARAM point = MAKELPARAM(in.x, in.y);
    *wParam = 0;
    *lParam = 0;
    switch (in.kind) {
    case RTE_INPUT_BUTTON_DOWN:
        *message = in.right ? (in.clicks >= 2 ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN)
                            : (in.clicks >= 2 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN);
        *wParam = keys;
        *lParam = point;
        return true;
    case RTE_INPUT_BUTTON_UP:
        *message = in.right ? WM_RBUTTONUP : WM_LBUTTONUP;
        *wParam = keys;
        *lParam = point;
        return true;
    case RTE_INPUT_POINTER_MOVED:
        *message = WM_MOUSEMOVE;
        *wParam = keys;
        *lParam = point;
        return true;
    case RTE_INPUT_WHEEL: {
        int sx = 0, sy = 0;
        RteGetPointerScreenPos(&sx, &sy);
        *message = WM_MOUSEWHEEL;
        *wParam = MAKEWPARAM(keys, in.wheelLines * WHEEL_DELTA);
        *lParam = MAKELPARAM(sx, sy);
        return true;
    }
    case RTE_INPUT_KEY_DOWN:
        *message = WM_KEYDOWN;
        *wParam = VirtualKey(in.keyCode);
        *lParam = 1 | (in.autoRepeat ? (1 << 30) : 0);
        return *wParam != 0;
    case RTE_INPUT_CHARACTER:
        *message = WM_CHAR;
        *wParam = static_cast<WPARAM>(in.keyCode & 0xFF);
        *lParam = 1;
        return true;
    case RTE_INPUT_CLOSE: *message = WM_CLOSE; return true;
    case RTE_INPUT_SIZE:
        *message = WM_SIZE;
        *wParam = SIZE_RESTORED;
        *lParam = MAKELPARAM(in.width, in.height);
        return true;
    case RTE_INPUT_DROP:
        *message = WM_DROPFILES;
        *wParam = static_cast<WPARAM>(in.drop);
        return true;
    default: return false;
    }
}

bool HasRecord(HWND window) {
    std::lock_guard<std::mutex> hold(g_lock);
    return g_windows.count(Key(window)) != 0;
}

// The engine's input on a window: through its procedure, and on to the engine when the message
// reaches the panel's own procedure.
int InputHook(void *handle, const RteWindowInput *input) {
    HWND window = static_cast<HWND>(handle);
    if (!HasRecord(window)) return 1;  // the panel's own procedure: the engine acts
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    if (!ToMessage(*input, &message, &wParam, &lParam)) return 1;
    bool reached = false;
    InputHookDeliver(window, message, wParam, lParam, &reached);
    return reached ? 1 : 0;
}

// A window has gone: its procedure hears WM_DESTROY, then its record goes.
void GoneHook(void *handle, int) {
    HWND window = static_cast<HWND>(handle);
    WNDPROC procedure;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_windows.find(Key(window));
        if (it == g_windows.end()) return;
        procedure = it->second.procedure;
    }
    procedure(window, WM_DESTROY, 0, 0);
    std::lock_guard<std::mutex> hold(g_lock);
    g_windows.erase(Key(window));
    g_generation.fetch_add(1);
}

// The window's record, made when needed (under g_lock); null for a bad window. Throws
// std::bad_alloc.
WindowRecord *RecordOf(HWND window) {
    auto it = g_windows.find(Key(window));
    if (it != g_windows.end()) return &it->second;
    int panel = RtePanelOfWindow(window);
    if (panel == 0) return nullptr;
    int thread = 0;
    int old = SetBreakOnLibraryErrors(0);
    GetPanelAttribute(panel, ATTR_OWNER_THREAD_ID, &thread);
    SetBreakOnLibraryErrors(old);
    std::call_once(g_hooksSet, [] { RteSetWindowHooks(InputHook, GoneHook); });
    WindowRecord *record =
        &g_windows.emplace(Key(window), WindowRecord{PanelWindowProc, 0, static_cast<unsigned>(thread)}).first->second;
    g_generation.fetch_add(1);
    return record;
}

// Get/set of a window value; pointerForm: the ...Ptr forms. *ok false on failure (last error
// set).
LONG_PTR Access(HWND window, int index, bool set, LONG_PTR value, bool pointerForm, bool *ok) {
    *ok = false;
    try {
        std::lock_guard<std::mutex> hold(g_lock);
        WindowRecord *record = RecordOf(window);
        if (record == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (index == GWL_USERDATA) {
            LONG_PTR old = record->userData;
            if (set) record->userData = pointerForm ? value : static_cast<LONG>(value);
            *ok = true;
            return old;
        }
        if (index != GWL_WNDPROC) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        WNDPROC old = record->procedure;
        LONG_PTR oldValue = pointerForm ? reinterpret_cast<LONG_PTR>(old) : TokenOf(old);
        if (set) {
            uintptr_t raw = pointerForm ? static_cast<uintptr_t>(value) : static_cast<uint32_t>(value);
            WNDPROC procedure = nullptr;
            if (raw >= kTokenBase && raw <= 0xFFFFFFFFu) {
                size_t i = raw - kTokenBase;
                if (i < g_procedures.size()) procedure = g_procedures[i];
            } else if (pointerForm) {
                procedure = reinterpret_cast<WNDPROC>(raw);
            }
            if (procedure == nullptr) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
            TokenOf(procedure);  // every procedure a window had has its token
            record->procedure = procedure;
            g_generation.fetch_add(1);
        }
        *ok = true;
        return oldValue;
    } catch (const std::bad_alloc &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

}  // namespace

int PanelOf(HWND window) { return RtePanelOfWindow(window); }

bool RouteOf(HWND window, WNDPROC *procedure, unsigned *thread) {
    Route &route = t_route;
    if (route.key != Key(window) || route.generation != g_generation.load(std::memory_order_acquire)) {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_windows.find(Key(window));
        if (it == g_windows.end()) return false;
        route = {Key(window), g_generation.load(), it->second.procedure, it->second.thread};
    }
    *procedure = route.procedure;
    *thread = route.thread;
    return true;
}

unsigned ThreadOf(HWND window) {
    int panel = RtePanelOfWindow(window);
    if (panel <= 0) return 0;
    int thread = 0;
    int old = SetBreakOnLibraryErrors(0);
    int rc = GetPanelAttribute(panel, ATTR_OWNER_THREAD_ID, &thread);
    SetBreakOnLibraryErrors(old);
    return rc < 0 ? 0 : static_cast<unsigned>(thread);
}

LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_windows.find(Key(window));
        procedure = it != g_windows.end() ? it->second.procedure : PanelWindowProc;
    }
    if (RtePanelOfWindow(window) == 0) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return procedure(window, message, wParam, lParam);
}

}  // namespace win32::user32

using namespace win32::user32;

extern "C" LONG GetWindowLongA(HWND window, int index) {
    bool ok;
    return static_cast<LONG>(Access(window, index, false, 0, false, &ok));
}

extern "C" LONG SetWindowLongA(HWND window, int index, LONG value) {
    bool ok;
    return static_cast<LONG>(Access(window, index, true, value, false, &ok));
}

extern "C" LONG_PTR GetWindowLongPtrA(HWND window, int index) {
    bool ok;
    return Access(window, index, false, 0, true, &ok);
}

extern "C" LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    bool ok;
    return Access(window, index, true, value, true, &ok);
}

extern "C" LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC target = Resolve(reinterpret_cast<uintptr_t>(procedure));
    if (target == nullptr) return 0;
    return target(window, message, wParam, lParam);
}

extern "C" LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

extern "C" BOOL IsWindow(HWND window) { return PanelOf(window) != 0 ? TRUE : FALSE; }

extern "C" DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    unsigned thread = ThreadOf(window);
    if (processId != nullptr) *processId = thread != 0 ? GetCurrentProcessId() : 0;
    return thread;
}

extern "C" BOOL GetCursorPos(LPPOINT point) {
    if (point == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int x = 0, y = 0;
    RteGetPointerScreenPos(&x, &y);
    point->x = x;
    point->y = y;
    return TRUE;
}
