// rte/events/notification_area.cpp - the headless display's notification area: the icons a
// window layer puts there (RteTrayIconSet, RteTrayIconRemove), what a script reads of them and
// its clicks on them.
#include "rte/events/notification_area.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

#include "rte/core/errors.h"
#include "rte/system_windows.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

struct TrayIcon {
    void *owner;
    unsigned id;
    std::string tip;
    bool hasImage;
};

std::mutex g_lock;
std::vector<TrayIcon> g_icons;  // oldest first; guarded by g_lock
std::atomic<RteTrayClickHook> g_clickHook{nullptr};

TrayIcon *Find(void *owner, unsigned id) {
    for (TrayIcon &icon : g_icons) {
        if (icon.owner == owner && icon.id == id) return &icon;
    }
    return nullptr;
}

}  // namespace

bool ClickTrayIcon(const std::string &name, int click) {
    void *owner = nullptr;
    unsigned id = 0;
    bool found = false;
    {
        char *end = nullptr;
        unsigned long number = std::strtoul(name.c_str(), &end, 10);
        bool isNumber = !name.empty() && *end == '\0' && name[0] >= '0' && name[0] <= '9';
        std::lock_guard<std::mutex> hold(g_lock);
        for (const TrayIcon &icon : g_icons) {
            if (isNumber ? icon.id == number : icon.tip == name) {
                owner = icon.owner;
                id = icon.id;
                found = true;
                break;
            }
        }
    }
    if (!found) return false;
    RteSetPointerScreenPos(1000, 760);
    if (RteTrayClickHook hook = g_clickHook.load()) hook(owner, id, click);
    return true;
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" void RteSetTrayClickHook(RteTrayClickHook hook) { g_clickHook.store(hook); }

extern "C" int RteTrayIconSet(void *owner, unsigned int id, const char *tip, int hasImage) {
    if (tip == nullptr) return Fail("RteTrayIconSet", UIE_NULL_POINTER);
    try {
        std::lock_guard<std::mutex> hold(g_lock);
        if (TrayIcon *icon = Find(owner, id)) {
            icon->tip = tip;
            icon->hasImage = hasImage != 0;
        } else {
            g_icons.push_back({owner, id, tip, hasImage != 0});
        }
    } catch (const std::bad_alloc &) {
        return Fail("RteTrayIconSet", UIE_OUT_OF_MEMORY);
    }
    return 0;
}

extern "C" int RteTrayIconRemove(void *owner, unsigned int id) {
    std::lock_guard<std::mutex> hold(g_lock);
    for (auto it = g_icons.begin(); it != g_icons.end(); ++it) {
        if (it->owner == owner && it->id == id) {
            g_icons.erase(it);
            return 0;
        }
    }
    return Fail("RteTrayIconRemove", UIE_BAD_VALUE);
}

extern "C" int RteTrayIconCount(void) {
    std::lock_guard<std::mutex> hold(g_lock);
    return static_cast<int>(g_icons.size());
}

extern "C" const char *RteTrayIconTip(int index) {
    std::lock_guard<std::mutex> hold(g_lock);
    if (index < 0 || index >= static_cast<int>(g_icons.size())) return nullptr;
    return g_icons[static_cast<size_t>(index)].tip.c_str();
}
