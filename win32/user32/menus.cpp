// user32's popup menus: menus of text items and separators kept here by handle, shown by the
// engine (RteTrackPopupMenu).
#include "win32/engine_seam_internal.h"
#include "win32/user32/windows_internal.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace {

struct MenuItem {
    UINT type = MFT_STRING;
    UINT state = 0;
    UINT id = 0;
    UINT_PTR data = 0;
    std::string text;
};

struct Menu {
    std::vector<MenuItem> items;
};

std::mutex g_lock;
std::map<uintptr_t, Menu> g_menus;  // by handle; under g_lock
uintptr_t g_nextMenu = 1;

Menu *Find(HMENU menu) {
    auto it = g_menus.find(reinterpret_cast<uintptr_t>(menu));
    return it == g_menus.end() ? nullptr : &it->second;
}

// The index of an item by position or command, -1 when none.
int IndexOf(const Menu &m, UINT item, bool byPosition) {
    if (byPosition) return item < m.items.size() ? static_cast<int>(item) : -1;
    for (size_t i = 0; i < m.items.size(); ++i) {
        if (m.items[i].id == item) return static_cast<int>(i);
    }
    return -1;
}

bool ValidInfo(const MENUITEMINFOA *info) {
    // The older form of the description ends before hbmpItem.
    return info != nullptr && (info->cbSize == sizeof(MENUITEMINFOA) || info->cbSize == offsetof(MENUITEMINFOA, hbmpItem));
}

// Applies what a description's mask says to an item (throws std::bad_alloc).
void Apply(MenuItem &item, const MENUITEMINFOA &info) {
    if (info.fMask & (MIIM_TYPE | MIIM_FTYPE)) item.type = info.fType & MFT_SEPARATOR;
    if (((info.fMask & MIIM_TYPE) && item.type == MFT_STRING) || (info.fMask & MIIM_STRING)) {
        item.text = info.dwTypeData != nullptr ? info.dwTypeData : "";
    }
    if (info.fMask & MIIM_STATE) item.state = info.fState & (MFS_GRAYED | MFS_CHECKED | MFS_DEFAULT);
    if (info.fMask & MIIM_ID) item.id = info.wID;
    if (info.fMask & MIIM_DATA) item.data = info.dwItemData;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

extern "C" HMENU CreatePopupMenu(void) {
    try {
        std::lock_guard<std::mutex> hold(g_lock);
        uintptr_t handle = g_nextMenu;
        g_menus.emplace(handle, Menu{});
        ++g_nextMenu;
        return reinterpret_cast<HMENU>(handle);
    } catch (const std::bad_alloc &) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

extern "C" BOOL DestroyMenu(HMENU menu) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_menus.erase(reinterpret_cast<uintptr_t>(menu)) == 0) return Fail(ERROR_INVALID_MENU_HANDLE);
    return TRUE;
}

extern "C" int GetMenuItemCount(HMENU menu) {
    std::lock_guard<std::mutex> hold(g_lock);
    Menu *m = Find(menu);
    if (m == nullptr) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return -1;
    }
    return static_cast<int>(m->items.size());
}

extern "C" BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
    if (!ValidInfo(info)) return Fail(ERROR_INVALID_PARAMETER);
    try {
        std::lock_guard<std::mutex> hold(g_lock);
        Menu *m = Find(menu);
        if (m == nullptr) return Fail(ERROR_INVALID_MENU_HANDLE);
        MenuItem fresh;
        Apply(fresh, *info);
        int at = IndexOf(*m, item, byPosition != FALSE);
        m->items.insert(at < 0 ? m->items.end() : m->items.begin() + at, std::move(fresh));
        return TRUE;
    } catch (const std::bad_alloc &) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

extern "C" BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOA info) {
    if (!ValidInfo(info)) return Fail(ERROR_INVALID_PARAMETER);
    std::lock_guard<std::mutex> hold(g_lock);
    Menu *m = Find(menu);
    if (m == nullptr) return Fail(ERROR_INVALID_MENU_HANDLE);
    int at = IndexOf(*m, item, byPosition != FALSE);
    if (at < 0) return Fail(ERROR_MENU_ITEM_NOT_FOUND);
    const MenuItem &it = m->items[static_cast<size_t>(at)];
    if (info->fMask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = it.type;
    if (info->fMask & MIIM_STATE) info->fState = it.state;
    if (info->fMask & MIIM_ID) info->wID = it.id;
    if (info->fMask & MIIM_DATA) info->dwItemData = it.data;
    if (info->fMask & MIIM_SUBMENU) info->hSubMenu = nullptr;
    if (((info->fMask & MIIM_TYPE) && it.type == MFT_STRING) || (info->fMask & MIIM_STRING)) {
        if (info->dwTypeData != nullptr && info->cch > 0) {
            size_t n = it.text.size() < info->cch - 1 ? it.text.size() : info->cch - 1;
            std::memcpy(info->dwTypeData, it.text.data(), n);
            info->dwTypeData[n] = '\0';
        }
        info->cch = static_cast<UINT>(it.text.size());
    }
    return TRUE;
}

extern "C" BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
    if (!ValidInfo(info)) return Fail(ERROR_INVALID_PARAMETER);
    try {
        std::lock_guard<std::mutex> hold(g_lock);
        Menu *m = Find(menu);
        if (m == nullptr) return Fail(ERROR_INVALID_MENU_HANDLE);
        int at = IndexOf(*m, item, byPosition != FALSE);
        if (at < 0) return Fail(ERROR_MENU_ITEM_NOT_FOUND);
        MenuItem changed = m->items[static_cast<size_t>(at)];
        Apply(changed, *info);
        m->items[static_cast<size_t>(at)] = std::move(changed);
        return TRUE;
    } catch (const std::bad_alloc &) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
}

extern "C" BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition) {
    std::lock_guard<std::mutex> hold(g_lock);
    Menu *m = Find(menu);
    if (m == nullptr) return Fail(ERROR_INVALID_MENU_HANDLE);
    int at = -1;
    if (item != static_cast<UINT>(-1)) {
        at = IndexOf(*m, item, byPosition != 0);
        if (at < 0) return Fail(ERROR_MENU_ITEM_NOT_FOUND);
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        UINT &state = m->items[i].state;
        state = static_cast<int>(i) == at ? (state | MFS_DEFAULT) : (state & ~static_cast<UINT>(MFS_DEFAULT));
    }
    return TRUE;
}

extern "C" UINT GetMenuDefaultItem(HMENU menu, UINT byPosition, UINT flags) {
    std::lock_guard<std::mutex> hold(g_lock);
    Menu *m = Find(menu);
    if (m == nullptr) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return static_cast<UINT>(-1);
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        const MenuItem &it = m->items[i];
        if (!(it.state & MFS_DEFAULT)) continue;
        if ((it.state & MFS_GRAYED) && !(flags & GMDI_USEDISABLED)) return static_cast<UINT>(-1);
        return byPosition ? static_cast<UINT>(i) : it.id;
    }
    return static_cast<UINT>(-1);
}

extern "C" BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND window, const RECT *) {
    std::vector<std::string> labels;
    std::vector<RteMenuItem> items;
    try {
        std::lock_guard<std::mutex> hold(g_lock);
        Menu *m = Find(menu);
        if (m == nullptr) return Fail(ERROR_INVALID_MENU_HANDLE);
        labels.reserve(m->items.size());
        for (const MenuItem &it : m->items) labels.push_back(it.text);
        for (size_t i = 0; i < m->items.size(); ++i) {
            const MenuItem &it = m->items[i];
            RteMenuItem line{};
            line.label = labels[i].c_str();
            line.command = static_cast<int>(it.id);
            line.separator = it.type == MFT_SEPARATOR;
            line.checked = (it.state & MFS_CHECKED) != 0;
            line.dimmed = (it.state & MFS_GRAYED) != 0;
            line.isDefault = (it.state & MFS_DEFAULT) != 0;
            items.push_back(line);
        }
    } catch (const std::bad_alloc &) {
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    int alignment = ((flags & TPM_RIGHTALIGN) ? RTE_MENU_ALIGN_RIGHT : 0) |
                    ((flags & TPM_BOTTOMALIGN) ? RTE_MENU_ALIGN_BOTTOM : 0);
    // The menu is shown with no lock held: the operator may take a while, and other threads may
    // use menus meanwhile.
    int command = items.empty() ? 0 : RteTrackPopupMenu(items.data(), static_cast<int>(items.size()), x, y, alignment);
    if (flags & TPM_RETURNCMD) return command;
    if (command != 0 && !(flags & TPM_NONOTIFY)) PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(command), 0);
    return command != 0 ? TRUE : FALSE;
}
