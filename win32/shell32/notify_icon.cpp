// Shell_NotifyIconA and Shell_NotifyIconMenu: the icons of the owners' windows, kept here by
// owner and id, shown by the engine's own notification area on the headless display and by the
// desktop's area (notify_icon_desktop.cpp) on a screen; what the areas saw on an icon comes
// back here and goes to its owner as posted callback messages.
#include "win32/engine_seam_internal.h"
#include "win32/shell32/notify_icon_internal.h"
#include "win32/shell32/notify_icon_testing.h"
#include "win32/shellapi.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <utility>

namespace win32::shell32 {
namespace {

// Two left presses at most this far apart in time (seconds) and space (pixels) are a double
// click: the engine's panels use the same time.
constexpr double kDoubleClickTime = 0.5;
constexpr int kDoubleClickDistance = 4;

struct Icon {
    UINT callbackMessage = 0;
    bool onDesktop = false;       // shown by the desktop's area (else the engine's)
    IconLook look;
    IconMenu menu;
    // The last press, for telling double clicks: its button (-1: none to pair with), time, point.
    int pressButton = -1;
    double pressTime = 0;
    int pressX = 0, pressY = 0;
};

std::mutex g_lock;
std::map<std::pair<uintptr_t, UINT>, Icon> g_icons;  // under g_lock
std::atomic<bool> g_forceDesktop{false};
std::once_flag g_clickHookSet;

std::pair<uintptr_t, UINT> Key(HWND owner, UINT id) { return {reinterpret_cast<uintptr_t>(owner), id}; }

bool UseDesktop() { return g_forceDesktop.load() || RteScreenDisplay() != 0; }

void Post(HWND owner, UINT message, UINT id, UINT mouse) { PostMessageA(owner, message, id, static_cast<LPARAM>(mouse)); }

// The icon's callback message (0: none, or no such icon), under g_lock.
UINT CallbackMessage(HWND owner, UINT id) {
    auto it = g_icons.find(Key(owner, id));
    return it == g_icons.end() ? 0 : it->second.callbackMessage;
}

// The engine area's clicks, from an operator script.
void EngineClick(void *owner, unsigned int id, int click) {
    Gesture gesture = click == RTE_TRAY_RIGHT ? Gesture::RightClick : click == RTE_TRAY_DOUBLE ? Gesture::DoubleClick
                                                                                            : Gesture::Click;
    ReportGesture(static_cast<HWND>(owner), id, gesture, -1, -1);
}

// Takes what the data block sets into look (the tip bounded by its 64-byte field).
void TakeLook(const NOTIFYICONDATAA &data, IconLook *look) {
    if (data.uFlags & NIF_TIP) look->tip.assign(data.szTip, strnlen(data.szTip, sizeof data.szTip));
    if ((data.uFlags & NIF_ICON) && !win32::user32::IconImages(data.hIcon, &look->images)) look->images.clear();
}

bool EngineShow(HWND owner, UINT id, const IconLook &look) {
    return RteTrayIconSet(owner, id, look.tip.c_str(), look.images.empty() ? 0 : 1) == 0;
}

BOOL Add(const NOTIFYICONDATAA &data) {
    if (!IsWindow(data.hWnd)) return FALSE;
    Icon icon;
    icon.callbackMessage = (data.uFlags & NIF_MESSAGE) ? data.uCallbackMessage : 0;
    TakeLook(data, &icon.look);
    icon.onDesktop = UseDesktop();
    {
        std::lock_guard<std::mutex> hold(g_lock);
        if (g_icons.count(Key(data.hWnd, data.uID)) != 0) return FALSE;
        g_icons.emplace(Key(data.hWnd, data.uID), icon);
    }
    bool shown;
    if (icon.onDesktop) {
        shown = DesktopAddIcon(data.hWnd, data.uID, icon.look, icon.menu);
    } else {
        std::call_once(g_clickHookSet, [] { RteSetTrayClickHook(EngineClick); });
        shown = EngineShow(data.hWnd, data.uID, icon.look);
    }
    if (!shown) {
        std::lock_guard<std::mutex> hold(g_lock);
        g_icons.erase(Key(data.hWnd, data.uID));
        return FALSE;
    }
    return TRUE;
}

BOOL Modify(const NOTIFYICONDATAA &data) {
    Icon changed;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_icons.find(Key(data.hWnd, data.uID));
        if (it == g_icons.end()) return FALSE;
        changed = it->second;
    }
    if (data.uFlags & NIF_MESSAGE) changed.callbackMessage = data.uCallbackMessage;
    TakeLook(data, &changed.look);
    if (changed.onDesktop) {
        DesktopChangeIcon(data.hWnd, data.uID, changed.look);  // the desktop's area always takes it
    } else if (!EngineShow(data.hWnd, data.uID, changed.look)) {
        return FALSE;
    }
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_icons.find(Key(data.hWnd, data.uID));
    if (it == g_icons.end()) return FALSE;  // deleted meanwhile
    it->second.callbackMessage = changed.callbackMessage;
    it->second.look = std::move(changed.look);
    return TRUE;
}

BOOL Delete(const NOTIFYICONDATAA &data) {
    bool onDesktop;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_icons.find(Key(data.hWnd, data.uID));
        if (it == g_icons.end()) return FALSE;
        onDesktop = it->second.onDesktop;
        g_icons.erase(it);
    }
    if (onDesktop) {
        DesktopRemoveIcon(data.hWnd, data.uID);
    } else {
        int old = SetBreakOnLibraryErrors(0);
        RteTrayIconRemove(data.hWnd, data.uID);
        SetBreakOnLibraryErrors(old);
    }
    return TRUE;
}

// The menu's lines as the desktop is given them; false for a handle that names no menu.
bool CopyMenu(HMENU menu, std::vector<IconMenuLine> *lines) {
    int count = GetMenuItemCount(menu);
    if (count < 0) return false;
    for (int i = 0; i < count; ++i) {
        char label[256];
        MENUITEMINFOA info;
        std::memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = MIIM_TYPE | MIIM_STATE | MIIM_ID;
        info.dwTypeData = label;
        info.cch = sizeof label;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) return false;
        IconMenuLine line;
        line.separator = (info.fType & MFT_SEPARATOR) != 0;
        if (!line.separator) line.label = label;
        line.command = info.wID;
        line.checked = (info.fState & MFS_CHECKED) != 0;
        line.dimmed = (info.fState & MFS_GRAYED) != 0;
        line.isDefault = (info.fState & MFS_DEFAULT) != 0;
        lines->push_back(std::move(line));
    }
    return true;
}

BOOL SetMenu(HWND owner, UINT id, HMENU menu) {
    IconMenu copy;
    copy.asksForMenus = true;
    if (menu != nullptr && !CopyMenu(menu, &copy.lines)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    bool onDesktop;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_icons.find(Key(owner, id));
        if (it == g_icons.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        it->second.menu = copy;
        onDesktop = it->second.onDesktop;
    }
    if (onDesktop) DesktopChangeMenu(owner, id, copy);
    return TRUE;
}

}  // namespace

void ReportGesture(HWND owner, UINT id, Gesture gesture, int x, int y) {
    UINT message;
    bool asksForMenus;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_icons.find(Key(owner, id));
        if (it == g_icons.end() || it->second.callbackMessage == 0) return;
        message = it->second.callbackMessage;
        asksForMenus = it->second.menu.asksForMenus;
    }
    if (x >= 0 && y >= 0) RteSetPointerScreenPos(x, y);
    switch (gesture) {
    case Gesture::Click:
        Post(owner, message, id, WM_LBUTTONDOWN);
        Post(owner, message, id, WM_LBUTTONUP);
        break;
    case Gesture::Activate:
        ReportButton(owner, id, 0, true, x, y);
        ReportButton(owner, id, 0, false, x, y);
        break;
    case Gesture::RightClick:
        Post(owner, message, id, WM_RBUTTONDOWN);
        Post(owner, message, id, WM_RBUTTONUP);
        break;
    case Gesture::DoubleClick:
        for (UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Post(owner, message, id, mouse);
        break;
    case Gesture::MenuWanted:
        if (!asksForMenus) {
            ReportGesture(owner, id, Gesture::RightClick, x, y);
        } else {
            Post(owner, message, id, WM_CONTEXTMENU);
        }
        break;
    }
}

void ReportButton(HWND owner, UINT id, int button, bool down, int x, int y) {
    UINT message, mouse;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_icons.find(Key(owner, id));
        if (it == g_icons.end() || it->second.callbackMessage == 0) return;
        Icon &icon = it->second;
        message = icon.callbackMessage;
        mouse = button == 0 ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP) : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
        if (down) {
            double now = Timer();
            bool pairs = icon.pressButton == button && now - icon.pressTime <= kDoubleClickTime &&
                         std::abs(x - icon.pressX) <= kDoubleClickDistance && std::abs(y - icon.pressY) <= kDoubleClickDistance;
            if (pairs) mouse = button == 0 ? WM_LBUTTONDBLCLK : WM_RBUTTONDBLCLK;
            // A third press starts afresh, as after a double click on Windows.
            icon.pressButton = pairs ? -1 : button;
            icon.pressTime = now;
            icon.pressX = x;
            icon.pressY = y;
        }
    }
    if (x >= 0 && y >= 0) RteSetPointerScreenPos(x, y);
    Post(owner, message, id, mouse);
}

void ReportMenuChoice(HWND owner, UINT id, UINT command) {
    UINT message;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        message = CallbackMessage(owner, id);
    }
    if (message != 0) Post(owner, message, id, MAKELONG(WM_COMMAND, command));
}

namespace testing {
void UseDesktopArea(bool on) { g_forceDesktop.store(on); }
}  // namespace testing

}  // namespace win32::shell32

using namespace win32::shell32;

extern "C" BOOL Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
    if (data == nullptr || data->cbSize < offsetof(NOTIFYICONDATAA, szTip) + sizeof data->szTip) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    try {
        switch (message) {
        case NIM_ADD: return Add(*data);
        case NIM_MODIFY: return Modify(*data);
        case NIM_DELETE: return Delete(*data);
        default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
        }
    } catch (const std::bad_alloc &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}

extern "C" BOOL Shell_NotifyIconMenu(HWND owner, UINT id, HMENU menu) {
    try {
        return SetMenu(owner, id, menu);
    } catch (const std::bad_alloc &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
}
