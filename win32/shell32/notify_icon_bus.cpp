// The desktop's notification area: each icon is a StatusNotifierItem on the session D-Bus (GIO's
// GDBus), on a connection of its own under the bus name org.kde.StatusNotifierItem-PID-N, with
// its object at /StatusNotifierItem, registered with org.kde.StatusNotifierWatcher.
//
// Everything of D-Bus runs on one thread of this module with a main context of its own: the
// icons' objects answer the host's calls there, and the public calls hand their work to it and
// wait. The thread starts with the first icon and ends with the last (and at the process's
// exit clean-ups, with any icon still shown).
#include "win32/engine_seam_internal.h"
#include "win32/shell32/notify_icon_internal.h"

#include <gio/gio.h>
#include <unistd.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace win32::shell32 {
namespace {

const char kItemXml[] =
    "<node><interface name='org.kde.StatusNotifierItem'>"
    "<property name='Category' type='s' access='read'/>"
    "<property name='Id' type='s' access='read'/>"
    "<property name='Title' type='s' access='read'/>"
    "<property name='Status' type='s' access='read'/>"
    "<property name='WindowId' type='i' access='read'/>"
    "<property name='IconName' type='s' access='read'/>"
    "<property name='IconPixmap' type='a(iiay)' access='read'/>"
    "<property name='OverlayIconName' type='s' access='read'/>"
    "<property name='AttentionIconName' type='s' access='read'/>"
    "<property name='ToolTip' type='(sa(iiay)ss)' access='read'/>"
    "<property name='ItemIsMenu' type='b' access='read'/>"
    "<property name='Menu' type='o' access='read'/>"
    "<method name='ContextMenu'><arg name='x' type='i' direction='in'/><arg name='y' type='i' direction='in'/></method>"
    "<method name='Activate'><arg name='x' type='i' direction='in'/><arg name='y' type='i' direction='in'/></method>"
    "<method name='SecondaryActivate'><arg name='x' type='i' direction='in'/><arg name='y' type='i' direction='in'/></method>"
    "<method name='Scroll'><arg name='delta' type='i' direction='in'/><arg name='orientation' type='s' direction='in'/></method>"
    "<signal name='NewTitle'/><signal name='NewIcon'/><signal name='NewToolTip'/>"
    "<signal name='NewStatus'><arg name='status' type='s'/></signal>"
    "</interface></node>";

constexpr const char *kWatcher = "org.kde.StatusNotifierWatcher";
constexpr const char *kItemPath = "/StatusNotifierItem";
constexpr const char *kItemInterface = "org.kde.StatusNotifierItem";

struct BusIcon {
    HWND owner;
    UINT id;
    IconLook look;
    GDBusConnection *connection = nullptr;
    std::string busName;
    guint objectId = 0, watchId = 0;
};

using Key = std::pair<uintptr_t, UINT>;

// The bus thread and what lives on it. g_busLock serialises starting, stopping and handing work
// over; the icons are touched on the bus thread only.
std::mutex g_busLock;
GMainContext *g_context = nullptr;
GMainLoop *g_loop = nullptr;
GDBusNodeInfo *g_node = nullptr;
std::thread g_thread;
std::map<Key, BusIcon *> g_icons;  // on the bus thread only
unsigned g_nextName = 1;
bool g_cleanupRegistered = false;

Key KeyOf(HWND owner, UINT id) { return {reinterpret_cast<uintptr_t>(owner), id}; }

// ---- work handed to the bus thread ----

struct Job {
    std::function<void()> work;
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
};

gboolean RunJob(gpointer data) {
    auto *job = static_cast<Job *>(data);
    job->work();
    std::lock_guard<std::mutex> hold(job->m);
    job->done = true;
    job->cv.notify_all();
    return G_SOURCE_REMOVE;
}

// Runs work on the bus thread and waits for it (g_busLock held, thread running).
void OnBus(std::function<void()> work) {
    Job job;
    job.work = std::move(work);
    g_main_context_invoke(g_context, RunJob, &job);
    std::unique_lock<std::mutex> lock(job.m);
    job.cv.wait(lock, [&] { return job.done; });
}

// ---- the item's properties and methods ----

GVariant *Pixmaps(const IconLook &look) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(iiay)"));
    if (look.hasImage && look.width > 0 && look.height > 0) {
        std::string bytes;
        bytes.reserve(look.argb.size() * 4);
        for (uint32_t p : look.argb) {  // ARGB32 in network byte order
            bytes += static_cast<char>(p >> 24);
            bytes += static_cast<char>(p >> 16);
            bytes += static_cast<char>(p >> 8);
            bytes += static_cast<char>(p);
        }
        GVariant *data = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, bytes.data(), bytes.size(), 1);
        g_variant_builder_add(&builder, "(ii@ay)", look.width, look.height, data);
    }
    return g_variant_builder_end(&builder);
}

GVariant *GetProperty(GDBusConnection *, const gchar *, const gchar *, const gchar *, const gchar *name, GError **,
                      gpointer data) {
    auto *icon = static_cast<BusIcon *>(data);
    std::string n = name;
    if (n == "Category") return g_variant_new_string("ApplicationStatus");
    if (n == "Id") return g_variant_new_string(icon->busName.c_str());
    if (n == "Title") return g_variant_new_string(icon->look.tip.c_str());
    if (n == "Status") return g_variant_new_string("Active");
    if (n == "WindowId") return g_variant_new_int32(0);
    if (n == "IconName" || n == "OverlayIconName" || n == "AttentionIconName") return g_variant_new_string("");
    if (n == "IconPixmap") return Pixmaps(icon->look);
    if (n == "ToolTip") {
        GVariant *none = g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0);
        return g_variant_new("(s@a(iiay)ss)", "", none, icon->look.tip.c_str(), "");
    }
    if (n == "ItemIsMenu") return g_variant_new_boolean(FALSE);
    if (n == "Menu") return g_variant_new_object_path("/NO_DBUSMENU");
    return nullptr;
}

void CallMethod(GDBusConnection *, const gchar *, const gchar *, const gchar *, const gchar *method,
                GVariant *parameters, GDBusMethodInvocation *invocation, gpointer data) {
    auto *icon = static_cast<BusIcon *>(data);
    std::string m = method;
    int click = m == "Activate" ? RTE_TRAY_LEFT : m == "ContextMenu" ? RTE_TRAY_RIGHT
              : m == "SecondaryActivate" ? RTE_TRAY_DOUBLE : 0;
    if (click != 0) {
        gint32 x = -1, y = -1;
        g_variant_get(parameters, "(ii)", &x, &y);
        ClickIcon(icon->owner, icon->id, click, x, y);
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

const GDBusInterfaceVTable kVTable = {CallMethod, GetProperty, nullptr, {nullptr}};

void RegisterWithWatcher(BusIcon *icon) {
    g_dbus_connection_call(icon->connection, kWatcher, "/StatusNotifierWatcher", kWatcher,
                           "RegisterStatusNotifierItem", g_variant_new("(s)", icon->busName.c_str()), nullptr,
                           G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr, nullptr);
}

// The watcher has a new owner: the desktop's panel restarted; the icon registers again.
void WatcherOwnerChanged(GDBusConnection *, const gchar *, const gchar *, const gchar *, const gchar *,
                         GVariant *parameters, gpointer data) {
    const gchar *name = nullptr, *oldOwner = nullptr, *newOwner = nullptr;
    g_variant_get(parameters, "(&s&s&s)", &name, &oldOwner, &newOwner);
    if (newOwner != nullptr && newOwner[0] != '\0') RegisterWithWatcher(static_cast<BusIcon *>(data));
}

void Disconnect(BusIcon *icon) {
    if (icon->connection == nullptr) return;
    if (icon->watchId != 0) g_dbus_connection_signal_unsubscribe(icon->connection, icon->watchId);
    if (icon->objectId != 0) g_dbus_connection_unregister_object(icon->connection, icon->objectId);
    g_dbus_connection_close_sync(icon->connection, nullptr, nullptr);
    g_object_unref(icon->connection);
    icon->connection = nullptr;
}

bool CallBus(GDBusConnection *c, const char *method, GVariant *arguments, const char *replyType, GVariant **reply) {
    GError *error = nullptr;
    *reply = g_dbus_connection_call_sync(c, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                         method, arguments, G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE, 5000,
                                         nullptr, &error);
    g_clear_error(&error);
    return *reply != nullptr;
}

// On the bus thread: connects the icon, takes its name, exports it and registers it.
bool Connect(BusIcon *icon) {
    GError *error = nullptr;
    gchar *address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (address == nullptr) {
        g_clear_error(&error);
        return false;
    }
    icon->connection = g_dbus_connection_new_for_address_sync(
        address, static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                   G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error);
    g_free(address);
    if (icon->connection == nullptr) {
        g_clear_error(&error);
        return false;
    }
    g_dbus_connection_set_exit_on_close(icon->connection, FALSE);
    GVariant *reply = nullptr;
    gboolean watcher = FALSE;
    if (CallBus(icon->connection, "NameHasOwner", g_variant_new("(s)", kWatcher), "(b)", &reply)) {
        g_variant_get(reply, "(b)", &watcher);
        g_variant_unref(reply);
    }
    guint32 owned = 0;
    if (watcher && CallBus(icon->connection, "RequestName", g_variant_new("(su)", icon->busName.c_str(), 4u), "(u)", &reply)) {
        g_variant_get(reply, "(u)", &owned);
        g_variant_unref(reply);
    }
    if (owned == 1) {
        icon->objectId = g_dbus_connection_register_object(icon->connection, kItemPath, g_node->interfaces[0], &kVTable,
                                                           icon, nullptr, &error);
        g_clear_error(&error);
    }
    if (icon->objectId == 0) {
        Disconnect(icon);
        return false;
    }
    icon->watchId = g_dbus_connection_signal_subscribe(icon->connection, "org.freedesktop.DBus", "org.freedesktop.DBus",
                                                       "NameOwnerChanged", "/org/freedesktop/DBus", kWatcher,
                                                       G_DBUS_SIGNAL_FLAGS_NONE, WatcherOwnerChanged, icon, nullptr);
    RegisterWithWatcher(icon);
    return true;
}

void Emit(BusIcon *icon, const char *signal) {
    g_dbus_connection_emit_signal(icon->connection, nullptr, kItemPath, kItemInterface, signal, nullptr, nullptr);
}

// ---- the thread ----

void ThreadMain() {
    g_main_context_push_thread_default(g_context);
    g_main_loop_run(g_loop);
    // Let the closing connections finish their last work.
    while (g_main_context_iteration(g_context, FALSE)) {
    }
    g_main_context_pop_thread_default(g_context);
}

void StopLocked();

// The thread's loop, context and interface description go (g_busLock held, thread not running).
void FreeThreadState() {
    g_main_loop_unref(g_loop);
    g_main_context_unref(g_context);
    g_dbus_node_info_unref(g_node);
    g_loop = nullptr;
    g_context = nullptr;
    g_node = nullptr;
}

void StopAtExit() {
    std::lock_guard<std::mutex> hold(g_busLock);
    StopLocked();
}

// Starts the thread unless it runs (g_busLock held). False when it cannot.
bool StartLocked() {
    if (g_context != nullptr) return true;
    GError *error = nullptr;
    g_node = g_dbus_node_info_new_for_xml(kItemXml, &error);
    if (g_node == nullptr) {
        g_clear_error(&error);
        return false;
    }
    g_context = g_main_context_new();
    g_loop = g_main_loop_new(g_context, FALSE);
    try {
        g_thread = std::thread(ThreadMain);
    } catch (...) {
        FreeThreadState();
        return false;
    }
    if (!g_cleanupRegistered) {
        g_cleanupRegistered = true;
        RegisterExitCleanup(StopAtExit);
    }
    return true;
}

// Removes every icon and ends the thread (g_busLock held).
void StopLocked() {
    if (g_context == nullptr) return;
    OnBus([] {
        for (auto &entry : g_icons) {
            Disconnect(entry.second);
            delete entry.second;
        }
        g_icons.clear();
        g_main_loop_quit(g_loop);
    });
    g_thread.join();
    FreeThreadState();
}

}  // namespace

bool BusAddIcon(HWND owner, UINT id, const IconLook &look) {
    std::lock_guard<std::mutex> hold(g_busLock);
    if (!StartLocked()) return false;
    bool added = false, empty = false;
    unsigned number = g_nextName++;
    OnBus([&] {
        auto *icon = new BusIcon;
        icon->owner = owner;
        icon->id = id;
        icon->look = look;
        icon->busName = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(number);
        added = !g_icons.count(KeyOf(owner, id)) && Connect(icon);
        if (added) g_icons[KeyOf(owner, id)] = icon;
        else delete icon;
        empty = g_icons.empty();
    });
    if (empty) StopLocked();
    return added;
}

bool BusChangeIcon(HWND owner, UINT id, const IconLook &look) {
    std::lock_guard<std::mutex> hold(g_busLock);
    if (g_context == nullptr) return false;
    bool changed = false;
    OnBus([&] {
        auto it = g_icons.find(KeyOf(owner, id));
        if (it == g_icons.end()) return;
        BusIcon *icon = it->second;
        if (icon->connection == nullptr || g_dbus_connection_is_closed(icon->connection)) return;
        bool newIcon = look.argb != icon->look.argb || look.hasImage != icon->look.hasImage;
        bool newTip = look.tip != icon->look.tip;
        icon->look = look;
        if (newIcon) Emit(icon, "NewIcon");
        if (newTip) {
            Emit(icon, "NewToolTip");
            Emit(icon, "NewTitle");
        }
        changed = true;
    });
    return changed;
}

void BusRemoveIcon(HWND owner, UINT id) {
    std::lock_guard<std::mutex> hold(g_busLock);
    if (g_context == nullptr) return;
    bool empty = false;
    OnBus([&] {
        auto it = g_icons.find(KeyOf(owner, id));
        if (it != g_icons.end()) {
            Disconnect(it->second);
            delete it->second;
            g_icons.erase(it);
        }
        empty = g_icons.empty();
    });
    if (empty) StopLocked();
}

}  // namespace win32::shell32
