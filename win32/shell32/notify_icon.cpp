// Shell_NotifyIconA: the icons of the owners' windows, kept here by owner and id, shown by the
// engine's own notification area on the headless display and by the desktop's
// StatusNotifierItem host otherwise; clicks come back as posted callback messages.
#include "win32/engine_seam_internal.h"
#include "win32/shell32/notify_icon_internal.h"
#include "win32/shell32/notify_icon_testing.h"
#include "win32/shellapi.h"
#include "win32/user32/icons_internal.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <utility>

namespace win32::shell32 {
namespace {

struct Icon {
    UINT flags = 0;               // NIF_ flags ever given
    UINT callbackMessage = 0;
    bool onBus = false;           // shown by the session bus's host (else the engine's area)
    IconLook look;
};

std::mutex g_lock;
std::map<std::pair<uintptr_t, UINT>, Icon> g_icons;  // under g_lock
std::atomic<bool> g_forceBus{false};
std::once_flag g_clickHookSet;

std::pair<uintptr_t, UINT> Key(HWND owner, UINT id) { return {reinterpret_cast<uintptr_t>(owner), id}; }

bool UseBus() { return g_forceBus.load() || RteScreenDisplay() != 0; }

// The engine's area: a script's click.
void EngineClick(void *owner, unsigned int id, int click) { ClickIcon(static_cast<HWND>(owner), id, click, -1, -1); }

// Takes what the data block sets into look (the tip bounded by its 64-byte field).
void TakeLook(const NOTIFYICONDATAA &data, IconLook *look) {
    if (data.uFlags & NIF_TIP) look->tip.assign(data.szTip, strnlen(data.szTip, sizeof data.szTip));
    if (data.uFlags & NIF_ICON) {
        look->hasImage = win32::user32::IconPixels(data.hIcon, &look->width, &look->height, &look->argb);
        if (!look->hasImage) {
            look->width = look->height = 0;
            look->argb.clear();
        }
    }
}

BOOL Add(const NOTIFYICONDATAA &data) {
    if (!IsWindow(data.hWnd)) return FALSE;
    Icon icon;
    icon.flags = data.uFlags;
    icon.callbackMessage = (data.uFlags & NIF_MESSAGE) ? data.uCallbackMessage : 0;
    TakeLook(data, &icon.look);
    icon.onBus = UseBus();
    {
        std::lock_guard<std::mutex> hold(g_lock);
        if (g_icons.count(Key(data.hWnd, data.uID)) != 0) return FALSE;
        g_icons.emplace(Key(data.hWnd, data.uID), icon);
    }
    bool shown;
    if (icon.onBus) {
        shown = BusAddIcon(data.hWnd, data.uID, icon.look);
    } else {
        std::call_once(g_clickHookSet, [] { RteSetTrayClickHook(EngineClick); });
        shown = RteTrayIconSet(data.hWnd, data.uID, icon.look.tip.c_str(), icon.look.hasImage) == 0;
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
    changed.flags |= data.uFlags;
    if (data.uFlags & NIF_MESSAGE) changed.callbackMessage = data.uCallbackMessage;
    TakeLook(data, &changed.look);
    bool shown = changed.onBus ? BusChangeIcon(data.hWnd, data.uID, changed.look)
                               : RteTrayIconSet(data.hWnd, data.uID, changed.look.tip.c_str(), changed.look.hasImage) == 0;
    if (!shown) return FALSE;
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_icons.find(Key(data.hWnd, data.uID));
    if (it == g_icons.end()) return FALSE;  // deleted meanwhile
    it->second = std::move(changed);
    return TRUE;
}

BOOL Delete(const NOTIFYICONDATAA &data) {
    bool onBus;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_icons.find(Key(data.hWnd, data.uID));
        if (it == g_icons.end()) return FALSE;
        onBus = it->second.onBus;
        g_icons.erase(it);
    }
    if (onBus) {
        BusRemoveIcon(data.hWnd, data.uID);
    } else {
        int old = SetBreakOnLibraryErrors(0);
        RteTrayIconRemove(data.hWnd, data.uID);
        SetBreakOnLibraryErrors(old);
    }
    return TRUE;
}

}  // namespace

void ClickIcon(HWND owner, UINT id, int click, int x, int y) {
    UINT message;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_icons.find(Key(owner, id));
        if (it == g_icons.end() || it->second.callbackMessage == 0) return;
        message = it->second.callbackMessage;
    }
    if (x >= 0 && y >= 0) RteSetPointerScreenPos(x, y);
    static const UINT kLeft[] = {WM_LBUTTONDOWN, WM_LBUTTONUP};
    static const UINT kRight[] = {WM_RBUTTONDOWN, WM_RBUTTONUP};
    static const UINT kDouble[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP};
    const UINT *mouse = click == RTE_TRAY_RIGHT ? kRight : click == RTE_TRAY_DOUBLE ? kDouble : kLeft;
    size_t count = click == RTE_TRAY_DOUBLE ? 4 : 2;
    for (size_t i = 0; i < count; ++i) PostMessageA(owner, message, id, static_cast<LPARAM>(mouse[i]));
}

namespace testing {
void UseSessionBusArea(bool on) { g_forceBus.store(on); }
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
