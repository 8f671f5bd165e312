// Notification-area icons: the icons' records and handles in two lists, one hidden panel whose
// window receives TRAY_ICON_MESSAGE through a deferred message callback, and the shell reached
// through CallShellNotifyIcon.
//
// Porting: the notification block is the shell's NOTIFYICONDATAA (win32/shellapi.h), whose
// window and icon fields are pointer-sized here; its size is the platform's. Its tip field holds
// 64 bytes and is not terminated when the tooltip fills it: every read of it is bounded by 64.
#include "toolbox/windows/tray_icons.h"

#include "rte/ui.h"
#include "toolbox/containers/list.h"
#include "toolbox/core/check_internal.h"
#include "toolbox/core/errors.h"
#include "toolbox/windows/system_dlls.h"
#include "toolbox/windows/win_msg_callbacks.h"
#include "win32/windows.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int kTipSize = 64;

struct TrayIcon {
    int menuVisible;
    int iconHandle;
    HMENU menu;
    TrayIconCallbackPtr callback;
    NOTIFYICONDATAA notifyData;
    unsigned long serial;  // tells this icon from a later one with the same handle
};

unsigned long traySerial = 0;  // the last icon's serial; never reset
int trayInitialised = 0;
HWND trayWindow = nullptr;
int trayPanel = 0;
ListHandle trayIconHandles = nullptr;  // int
ListHandle trayIcons = nullptr;        // TrayIcon
int trayMenuTracking = 0;

int CompareInts(const void *a, const void *b) {
    int x = *static_cast<const int *>(a), y = *static_cast<const int *>(b);
    return (x > y) - (x < y);
}
int CompareIconHandles(const void *key, const void *item) {
    int x = static_cast<const TrayIcon *>(key)->iconHandle, y = static_cast<const TrayIcon *>(item)->iconHandle;
    return (x > y) - (x < y);
}

TrayIcon *FindIcon(int iconHandle) {
    if (trayIcons == nullptr) return nullptr;
    TrayIcon key{};
    key.iconHandle = iconHandle;
    int at = ListFindItem(trayIcons, &key, LIST_FRONT, CompareIconHandles);
    return at ? static_cast<TrayIcon *>(ListGetPtrToItem(trayIcons, at)) : nullptr;
}

// The text into the 64-byte field, zero-padded as strncpy would: a text of 64 or more fills
// the field without a terminating zero.
void CopyTip(char *field, const char *text) {
    size_t length = strnlen(text, kTipSize);
    std::memcpy(field, text, length);
    std::memset(field + length, 0, kTipSize - length);
}
int TipLength(const char *field) { return static_cast<int>(strnlen(field, kTipSize)); }

HICON LoadIconFile(const char *path) {
    return static_cast<HICON>(LoadImageA(nullptr, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
}

int NextIconHandle() {
    int handle = 1;
    while (ListFindItem(trayIconHandles, &handle, LIST_FRONT, CompareInts) != 0) ++handle;
    return handle;
}

bool Notify(unsigned int operation, NOTIFYICONDATAA *data) {
    int ok = 0;
    return CallShellNotifyIcon(operation, data, &ok) == 0 && ok != 0;
}

void TrayIconMessageHandler(int panel, int message, unsigned int *wParam, unsigned int *lParam, void *data);

int TrayIconMessageHandlerEntry(int panel, int message, unsigned int *wParam, unsigned int *lParam, void *data) {
    TrayIconMessageHandler(panel, message, wParam, lParam, data);
    return 0;
}

void ResetTrayState() {
    if (trayIcons) ListDispose(trayIcons);
    if (trayIconHandles) ListDispose(trayIconHandles);
    trayIcons = trayIconHandles = nullptr;
    trayPanel = 0;
    trayWindow = nullptr;
    trayInitialised = 0;
    trayMenuTracking = 0;
}

int EnsureTrayIconPanel() {
    if (trayInitialised) return 0;
    trayIcons = ListCreate(sizeof(TrayIcon));
    trayIconHandles = ListCreate(sizeof(int));
    bool made = trayIcons != nullptr && trayIconHandles != nullptr;
    if (made) {
        int old = SetBOLE(0);
        trayPanel = NewPanel(0, "Tray Icon Message Handler", 0, 0, 10, 10);
        SetBOLE(old);
        made = trayPanel > 0;
        if (!made) trayPanel = 0;
    }
    if (made) {
        void *window = nullptr;
        GetPanelAttribute(trayPanel, ATTR_SYSTEM_WINDOW_HANDLE, &window);
        trayWindow = static_cast<HWND>(window);
        int posting = 0;
        made = AddWinMsgCallback(trayPanel, TRAY_ICON_MESSAGE, TrayIconMessageHandlerEntry, VAL_MSG_CALL_DEFERRED,
                                 nullptr, &posting) == 0;
    }
    if (!made) {
        if (trayPanel > 0) DiscardPanel(trayPanel);
        ResetTrayState();
        return UIE_OUT_OF_MEMORY;
    }
    trayInitialised = 1;
    return 0;
}

void DiscardTrayIconPanelIfUnused() {
    if (ListNumItems(trayIcons) != 0) return;
    int panel = trayPanel;
    RemoveWinMsgCallback(panel, TRAY_ICON_MESSAGE);
    ResetTrayState();
    DiscardPanel(panel);
}

void TrayIconMessageHandler(int, int, unsigned int *wParam, unsigned int *lParam, void *) {
    if (trayMenuTracking) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    // A click queued for an icon that was removed meanwhile is dropped.
    TrayIcon *icon = FindIcon(static_cast<int>(*wParam));
    if (icon == nullptr) return;
    int event;
    bool wantMenu = false;
    switch (*lParam) {
    case WM_LBUTTONDOWN: event = EVENT_LEFT_CLICK; break;
    case WM_LBUTTONUP: event = EVENT_LEFT_MOUSE_UP; break;
    case WM_LBUTTONDBLCLK: event = EVENT_LEFT_DOUBLE_CLICK; break;
    case WM_RBUTTONDOWN: event = EVENT_RIGHT_CLICK; wantMenu = icon->menu != nullptr; break;
    case WM_RBUTTONUP: event = EVENT_RIGHT_MOUSE_UP; break;
    case WM_RBUTTONDBLCLK: event = EVENT_RIGHT_DOUBLE_CLICK; break;
    default: return;
    }
    // The record may move or go while the callback runs: keep what is needed of it.
    int handle = icon->iconHandle;
    unsigned long serial = icon->serial;
    TrayIconCallbackPtr callback = icon->callback;
    if (callback(handle, event, 0) != 0 || !wantMenu) return;
    icon = FindIcon(handle);
    if (icon == nullptr || icon->serial != serial || icon->menu == nullptr || !icon->menuVisible) return;
    HMENU menu = icon->menu;
    trayMenuTracking = 1;
    int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN | TPM_BOTTOMALIGN, cursor.x,
                                cursor.y, 0, trayWindow, nullptr);
    // The program may have removed the icon while its menu was open (and installed another under
    // the same handle): the choice then goes to no one.
    icon = FindIcon(handle);
    if (icon != nullptr && icon->serial == serial) callback(handle, EVENT_TRAY_MENU_ITEM, chosen);
    trayMenuTracking = 0;
}

// The icon's menu, with the checks every menu function makes; null with *status set.
HMENU MenuOf(int iconHandle, int *status) {
    TrayIcon *icon = FindIcon(iconHandle);
    if (icon == nullptr) {
        *status = TOOLBOX_ERR_INVALID_TRAY_ICON;
        return nullptr;
    }
    if (icon->menu == nullptr) {
        *status = TOOLBOX_ERR_NO_TRAY_MENU;
        return nullptr;
    }
    *status = 0;
    return icon->menu;
}

// The state bits of an item (command itemIndex), after the range check. 0 or a code.
int ItemState(int iconHandle, int itemIndex, HMENU *menu, UINT *state) {
    int status;
    *menu = MenuOf(iconHandle, &status);
    if (*menu == nullptr) return status;
    if (itemIndex < 1 || itemIndex > GetMenuItemCount(*menu)) return TOOLBOX_ERR_INVALID_TRAY_MENU_ITEM;
    MENUITEMINFOA info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    if (!GetMenuItemInfoA(*menu, static_cast<UINT>(itemIndex), FALSE, &info)) {
        *state = 0;
        return TOOLBOX_ERR_SYSTEM;
    }
    *state = info.fState;
    return 0;
}

}  // namespace

extern "C" int InstallSysTrayIcon(const char *iconFile, const char *toolTipText, TrayIconCallbackPtr callback,
                                  int *iconHandle) {
    TOOLBOX_CHECK(iconFile != nullptr, "InstallSysTrayIcon needs an icon file.");
    TOOLBOX_CHECK(toolTipText != nullptr, "InstallSysTrayIcon needs a tooltip text.");
    TOOLBOX_CHECK(callback != nullptr, "InstallSysTrayIcon needs a callback.");
    TOOLBOX_CHECK(iconHandle != nullptr, "InstallSysTrayIcon needs somewhere to put the icon handle.");
    int status = EnsureTrayIconPanel();
    if (status < 0) return status;
    TrayIcon icon;
    std::memset(&icon, 0, sizeof icon);
    icon.iconHandle = NextIconHandle();
    icon.callback = callback;
    icon.serial = ++traySerial;
    NOTIFYICONDATAA &n = icon.notifyData;
    n.cbSize = sizeof n;
    n.hWnd = trayWindow;
    n.uID = static_cast<UINT>(icon.iconHandle);
    n.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    n.uCallbackMessage = TRAY_ICON_MESSAGE;
    n.hIcon = LoadIconFile(iconFile);  // a load failure is the shell's to judge
    CopyTip(n.szTip, toolTipText);
    if (!ListInsertItem(trayIcons, &icon, LIST_END)) {
        if (n.hIcon) DestroyIcon(n.hIcon);
        DiscardTrayIconPanelIfUnused();
        return UIE_OUT_OF_MEMORY;
    }
    int handle = NextIconHandle();
    if (!ListInsertItem(trayIconHandles, &handle, LIST_END)) {
        ListRemoveItem(trayIcons, nullptr, LIST_END);
        if (n.hIcon) DestroyIcon(n.hIcon);
        DiscardTrayIconPanelIfUnused();
        return UIE_OUT_OF_MEMORY;
    }
    if (!Notify(NIM_ADD, &FindIcon(handle)->notifyData)) {
        ListRemoveItem(trayIcons, nullptr, LIST_END);
        ListRemoveItem(trayIconHandles, nullptr, LIST_END);
        if (n.hIcon) DestroyIcon(n.hIcon);
        DiscardTrayIconPanelIfUnused();
        return TOOLBOX_ERR_SYSTEM;
    }
    *iconHandle = handle;
    return 0;
}

extern "C" int RemoveSysTrayIcon(int iconHandle) {
    TrayIcon *icon = FindIcon(iconHandle);
    if (icon == nullptr) return TOOLBOX_ERR_INVALID_TRAY_ICON;
    if (icon->menu) DestroyMenu(icon->menu);
    Notify(NIM_DELETE, &icon->notifyData);
    if (icon->notifyData.hIcon) DestroyIcon(icon->notifyData.hIcon);
    TrayIcon key{};
    key.iconHandle = iconHandle;
    ListRemoveItem(trayIcons, nullptr, ListFindItem(trayIcons, &key, LIST_FRONT, CompareIconHandles));
    ListRemoveItem(trayIconHandles, nullptr, ListFindItem(trayIconHandles, &iconHandle, LIST_FRONT, CompareInts));
    DiscardTrayIconPanelIfUnused();
    return 0;
}

extern "C" int SetTrayIconAttr(int iconHandle, int attribute, const char *value) {
    if (value == nullptr) return UIE_NULL_POINTER;
    TrayIcon *icon = FindIcon(iconHandle);
    if (icon == nullptr) return TOOLBOX_ERR_INVALID_TRAY_ICON;
    NOTIFYICONDATAA &n = icon->notifyData;
    if (attribute == ATTR_TRAY_ICON_FILE) {
        HICON old = n.hIcon, fresh = LoadIconFile(value);
        if (fresh == nullptr) return TOOLBOX_ERR_LOAD_ICON;
        n.hIcon = fresh;
        if (Notify(NIM_MODIFY, &n)) {
            if (old) DestroyIcon(old);
            return 0;
        }
        DestroyIcon(fresh);
        n.hIcon = old;
        return TOOLBOX_ERR_SYSTEM;
    }
    if (attribute == ATTR_TRAY_TOOLTIP_TEXT) {
        char old[kTipSize];
        std::memcpy(old, n.szTip, kTipSize);
        CopyTip(n.szTip, value);
        if (Notify(NIM_MODIFY, &n)) return 0;
        std::memcpy(n.szTip, old, kTipSize);
        return TOOLBOX_ERR_SYSTEM;
    }
    return UIE_BAD_ATTRIBUTE;
}

extern "C" int GetTrayIconAttr(int iconHandle, int attribute, void *value) {
    if (value == nullptr) return UIE_NULL_POINTER;
    TrayIcon *icon = FindIcon(iconHandle);
    if (icon == nullptr) return TOOLBOX_ERR_INVALID_TRAY_ICON;
    const char *tip = icon->notifyData.szTip;
    switch (attribute) {
    case ATTR_TRAY_TOOLTIP_TEXT: {
        // The tip and its terminating zero when it has room for one; never more than 64 bytes.
        int length = TipLength(tip);
        std::memcpy(value, tip, static_cast<size_t>(length));
        if (length < kTipSize) static_cast<char *>(value)[length] = '\0';
        return 0;
    }
    case ATTR_TRAY_TOOLTIP_LENGTH: *static_cast<int *>(value) = TipLength(tip); return 0;
    default: return UIE_BAD_ATTRIBUTE;
    }
}

extern "C" int AttachTrayIconMenu(int iconHandle) {
    TrayIcon *icon = FindIcon(iconHandle);
    if (icon == nullptr) return TOOLBOX_ERR_INVALID_TRAY_ICON;
    if (icon->menu) DestroyMenu(icon->menu);  // a second menu replaces the first, which would leak
    icon->menu = CreatePopupMenu();
    icon->menuVisible = icon->menu != nullptr ? 1 : 0;
    return icon->menu != nullptr ? 0 : TOOLBOX_ERR_SYSTEM;
}

extern "C" int DetachTrayIconMenu(int iconHandle) {
    int status;
    HMENU menu = MenuOf(iconHandle, &status);
    if (menu == nullptr) return status;
    DestroyMenu(menu);
    TrayIcon *icon = FindIcon(iconHandle);
    icon->menu = nullptr;
    icon->menuVisible = 0;
    return 0;
}

extern "C" int SetTrayIconMenuAttr(int iconHandle, int attribute, int value) {
    int status;
    HMENU menu = MenuOf(iconHandle, &status);
    if (menu == nullptr) return status;
    if (attribute == ATTR_TRAY_MENU_DEFAULT_ITEM) {
        if (value < 0 || value > GetMenuItemCount(menu)) return UIE_BAD_VALUE;
        UINT item = value == 0 ? static_cast<UINT>(-1) : static_cast<UINT>(value);
        return SetMenuDefaultItem(menu, item, FALSE) ? 0 : TOOLBOX_ERR_SYSTEM;
    }
    if (attribute == ATTR_VISIBLE) {
        FindIcon(iconHandle)->menuVisible = value != 0 ? 1 : 0;
        return 0;
    }
    return UIE_BAD_ATTRIBUTE;
}

extern "C" int GetTrayIconMenuAttr(int iconHandle, int attribute, int *value) {
    if (value == nullptr) return UIE_NULL_POINTER;
    int status;
    HMENU menu = MenuOf(iconHandle, &status);
    if (menu == nullptr) return status;
    if (attribute == ATTR_TRAY_MENU_DEFAULT_ITEM) {
        UINT item = GetMenuDefaultItem(menu, FALSE, GMDI_USEDISABLED);
        *value = static_cast<int>(item) < 0 ? 0 : static_cast<int>(item);
        return 0;
    }
    if (attribute == ATTR_VISIBLE) {
        *value = FindIcon(iconHandle)->menuVisible;
        return 0;
    }
    return UIE_BAD_ATTRIBUTE;
}

extern "C" int InsertTrayIconMenuItem(int iconHandle, const char *itemLabel, int *itemIndex) {
    if (itemIndex == nullptr) return UIE_NULL_POINTER;
    int status;
    HMENU menu = MenuOf(iconHandle, &status);
    if (menu == nullptr) return status;
    int count = GetMenuItemCount(menu);
    *itemIndex = count + 1;
    MENUITEMINFOA info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;  // porting: the description holds pointers; its size is the platform's
    info.fMask = MIIM_ID | MIIM_TYPE;
    info.wID = static_cast<UINT>(count + 1);
    if (itemLabel != nullptr) {
        info.fType = MFT_STRING;
        info.dwTypeData = const_cast<char *>(itemLabel);
        info.cch = static_cast<UINT>(std::strlen(itemLabel));
    } else {
        info.fType = MFT_SEPARATOR;
    }
    return InsertMenuItemA(menu, static_cast<UINT>(count), TRUE, &info) ? 0 : TOOLBOX_ERR_SYSTEM;
}

extern "C" int SetTrayIconMenuItemAttr(int iconHandle, int itemIndex, int attribute, int value) {
    HMENU menu;
    UINT state;
    int status = ItemState(iconHandle, itemIndex, &menu, &state);
    if (menu == nullptr || status == TOOLBOX_ERR_INVALID_TRAY_MENU_ITEM) return status;
    switch (attribute) {
    case ATTR_DIMMED: state = value ? (state | MFS_GRAYED) : (state & ~static_cast<UINT>(MFS_GRAYED)); break;
    case ATTR_CHECKED: state = value ? (state | MFS_CHECKED) : (state & ~static_cast<UINT>(MFS_CHECKED)); break;
    default: status = UIE_BAD_ATTRIBUTE; break;
    }
    MENUITEMINFOA info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    info.fState = state;
    if (!SetMenuItemInfoA(menu, static_cast<UINT>(itemIndex), FALSE, &info)) return TOOLBOX_ERR_SYSTEM;
    return status;
}

extern "C" int GetTrayIconMenuItemAttr(int iconHandle, int itemIndex, int attribute, int *value) {
    if (value == nullptr) return UIE_NULL_POINTER;
    HMENU menu;
    UINT state;
    int status = ItemState(iconHandle, itemIndex, &menu, &state);
    if (status < 0) return status;
    switch (attribute) {
    case ATTR_CHECKED: *value = (state & MFS_CHECKED) ? 1 : 0; return 0;
    case ATTR_DIMMED: *value = (state & MFS_GRAYED) ? 1 : 0; return 0;
    default: return UIE_BAD_ATTRIBUTE;
    }
}
