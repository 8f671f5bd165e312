// An icon as a StatusNotifierItem on the session D-Bus (GIO's GDBus): a connection of its own
// under the name org.kde.StatusNotifierItem-PID-N, the item's properties and methods at
// /StatusNotifierItem, its menu at /MenuBar (dbusmenu.cpp), and its registration with
// org.kde.StatusNotifierWatcher whenever a watcher is on the bus. Desktop thread only.
//
// The item's Id is the program's name and the icon's number, the same on every run, so that a
// panel's settings for it (hidden, ordered) apply again. Hosts' calls become gestures:
// Activate a left click (two in quick succession a double click), SecondaryActivate (the middle
// button) a double click, ContextMenu a right click at the host's point; Scroll is ignored.
#include "win32/shell32/desktop_icon_internal.h"

#include <errno.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>

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
constexpr const char *kMenuPath = "/MenuBar";
constexpr const char *kItemInterface = "org.kde.StatusNotifierItem";

std::atomic<unsigned> g_nextName{1};

}  // namespace

// Kept alive by its owner and by each of GDBus's registrations of it, so that a call GDBus
// dispatches after the icon went finds it (with icon null) rather than freed memory.
struct StatusItem {
    DesktopIcon *icon = nullptr;  // null once freed by its owner
    GDBusConnection *connection = nullptr;
    GDBusNodeInfo *node = nullptr;
    std::string busName;
    guint objectId = 0, watchId = 0;
    gulong closedId = 0;
    DbusMenu *menu = nullptr;
    bool watcherThere = false;
    int refs = 1;
};

namespace {

void Unref(gpointer data) {
    auto *item = static_cast<StatusItem *>(data);
    if (--item->refs > 0) return;
    if (item->connection != nullptr) g_object_unref(item->connection);
    if (item->node != nullptr) g_dbus_node_info_unref(item->node);
    delete item;
}

std::string ProgramName() {
    const char *name = program_invocation_short_name;
    return name != nullptr && name[0] != '\0' ? name : "program";
}

// ---- properties ----

GVariant *Pixmaps(const IconLook &look) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(iiay)"));
    for (const win32::user32::IconImage &image : look.images) {
        std::string bytes;
        bytes.reserve(image.argb.size() * 4);
        for (uint32_t p : image.argb) {  // ARGB32 in network byte order
            bytes += static_cast<char>(p >> 24);
            bytes += static_cast<char>(p >> 16);
            bytes += static_cast<char>(p >> 8);
            bytes += static_cast<char>(p);
        }
        GVariant *data = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, bytes.data(), bytes.size(), 1);
        g_variant_builder_add(&builder, "(ii@ay)", image.width, image.height, data);
    }
    return g_variant_builder_end(&builder);
}

std::string Title(const DesktopIcon &icon) { return icon.look.tip.empty() ? ProgramName() : icon.look.tip; }

GVariant *GetProperty(GDBusConnection *, const gchar *, const gchar *, const gchar *, const gchar *name, GError **error,
                      gpointer data) {
    DesktopIcon *icon = static_cast<StatusItem *>(data)->icon;
    if (icon == nullptr) {
        g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_OBJECT, "the icon was removed");
        return nullptr;
    }
    std::string n = name;
    if (n == "Category") return g_variant_new_string("ApplicationStatus");
    if (n == "Id") return g_variant_new_string((ProgramName() + "-" + std::to_string(icon->id)).c_str());
    if (n == "Title") return g_variant_new_string(Title(*icon).c_str());
    if (n == "Status") return g_variant_new_string("Active");
    if (n == "WindowId") return g_variant_new_int32(0);
    if (n == "IconName" || n == "OverlayIconName" || n == "AttentionIconName") return g_variant_new_string("");
    if (n == "IconPixmap") return Pixmaps(icon->look);
    if (n == "ToolTip") {
        GVariant *none = g_variant_new_array(G_VARIANT_TYPE("(iiay)"), nullptr, 0);
        return g_variant_new("(s@a(iiay)ss)", "", none, icon->look.tip.c_str(), "");
    }
    if (n == "ItemIsMenu") return g_variant_new_boolean(FALSE);
    if (n == "Menu") return g_variant_new_object_path(kMenuPath);
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "no property %s", name);
    return nullptr;
}

void CallMethod(GDBusConnection *, const gchar *, const gchar *, const gchar *, const gchar *method,
                GVariant *parameters, GDBusMethodInvocation *invocation, gpointer data) {
    DesktopIcon *icon = static_cast<StatusItem *>(data)->icon;
    std::string m = method;
    if (icon != nullptr && m != "Scroll") {
        gint32 x = -1, y = -1;
        g_variant_get(parameters, "(ii)", &x, &y);
        Gesture gesture = m == "Activate" ? Gesture::Activate : m == "ContextMenu" ? Gesture::RightClick
                                                                                   : Gesture::DoubleClick;
        ReportGesture(icon->owner, icon->id, gesture, x, y);
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

const GDBusInterfaceVTable kVTable = {CallMethod, GetProperty, nullptr, {nullptr}};

// ---- the watcher ----

void RegisterWithWatcher(StatusItem *item) {
    g_dbus_connection_call(item->connection, kWatcher, "/StatusNotifierWatcher", kWatcher,
                           "RegisterStatusNotifierItem", g_variant_new("(s)", item->busName.c_str()), nullptr,
                           G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr, nullptr);
}

// The watcher came (a panel started, or restarted) or went: the item registers again, or the
// icon finds another place.
void WatcherOwnerChanged(GDBusConnection *, const gchar *, const gchar *, const gchar *, const gchar *,
                         GVariant *parameters, gpointer data) {
    auto *item = static_cast<StatusItem *>(data);
    if (item->icon == nullptr) return;
    const gchar *name = nullptr, *oldOwner = nullptr, *newOwner = nullptr;
    g_variant_get(parameters, "(&s&s&s)", &name, &oldOwner, &newOwner);
    item->watcherThere = newOwner != nullptr && newOwner[0] != '\0';
    if (item->watcherThere) RegisterWithWatcher(item);
    PlaceIcon(item->icon);
}

// The bus went away under the item: no host can show it any more.
void ConnectionClosed(GDBusConnection *, gboolean, GError *, gpointer data) {
    auto *item = static_cast<StatusItem *>(data);
    item->watcherThere = false;
    if (item->icon != nullptr) PlaceIcon(item->icon);
}

bool CallBus(GDBusConnection *c, const char *method, GVariant *arguments, const char *replyType, GVariant **reply) {
    *reply = g_dbus_connection_call_sync(c, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                         method, arguments, G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE, 5000,
                                         nullptr, nullptr);
    return *reply != nullptr;
}

GDBusConnection *ConnectToSessionBus() {
    gchar *address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (address == nullptr) return nullptr;
    GDBusConnection *connection = g_dbus_connection_new_for_address_sync(
        address, static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                   G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    g_free(address);
    if (connection != nullptr) g_dbus_connection_set_exit_on_close(connection, FALSE);
    return connection;
}

// Takes the item's bus name, exports it and its menu, and watches the watcher. False when the
// bus refuses any of it.
bool Export(StatusItem *item) {
    GVariant *reply = nullptr;
    guint32 owned = 0;
    if (CallBus(item->connection, "RequestName", g_variant_new("(su)", item->busName.c_str(), 4u), "(u)", &reply)) {
        g_variant_get(reply, "(u)", &owned);
        g_variant_unref(reply);
    }
    item->node = g_dbus_node_info_new_for_xml(kItemXml, nullptr);
    if (owned != 1 || item->node == nullptr) return false;
    item->objectId = g_dbus_connection_register_object(item->connection, kItemPath, item->node->interfaces[0], &kVTable,
                                                       item, Unref, nullptr);
    if (item->objectId == 0) return false;
    ++item->refs;  // GDBus's, given back through Unref when unregistered
    item->menu = DbusMenuNew(item->connection, kMenuPath, item->icon);
    if (item->menu == nullptr) return false;
    item->watchId = g_dbus_connection_signal_subscribe(item->connection, "org.freedesktop.DBus", "org.freedesktop.DBus",
                                                       "NameOwnerChanged", "/org/freedesktop/DBus", kWatcher,
                                                       G_DBUS_SIGNAL_FLAGS_NONE, WatcherOwnerChanged, item, Unref);
    ++item->refs;
    item->closedId = g_signal_connect(item->connection, "closed", G_CALLBACK(ConnectionClosed), item);
    gboolean there = FALSE;
    if (CallBus(item->connection, "NameHasOwner", g_variant_new("(s)", kWatcher), "(b)", &reply)) {
        g_variant_get(reply, "(b)", &there);
        g_variant_unref(reply);
    }
    item->watcherThere = there != FALSE;
    if (item->watcherThere) RegisterWithWatcher(item);
    return true;
}

void Emit(StatusItem *item, const char *signal) {
    g_dbus_connection_emit_signal(item->connection, nullptr, kItemPath, kItemInterface, signal, nullptr, nullptr);
}

}  // namespace

StatusItem *StatusItemNew(DesktopIcon *icon) {
    GDBusConnection *connection = ConnectToSessionBus();
    if (connection == nullptr) return nullptr;
    auto *item = new StatusItem;
    item->icon = icon;
    item->connection = connection;
    item->busName = "org.kde.StatusNotifierItem-" + std::to_string(getpid()) + "-" + std::to_string(g_nextName++);
    if (!Export(item)) {
        StatusItemFree(item);
        return nullptr;
    }
    return item;
}

bool StatusItemShown(const StatusItem *item) {
    return item->watcherThere && !g_dbus_connection_is_closed(item->connection);
}

void StatusItemLookChanged(StatusItem *item, const IconLook &old) {
    if (g_dbus_connection_is_closed(item->connection)) return;
    const IconLook &now = item->icon->look;
    bool newIcon = now.images.size() != old.images.size();
    for (size_t i = 0; !newIcon && i < now.images.size(); ++i) newIcon = now.images[i].argb != old.images[i].argb;
    if (newIcon) Emit(item, "NewIcon");
    if (now.tip != old.tip) {
        Emit(item, "NewToolTip");
        Emit(item, "NewTitle");
    }
}

void StatusItemMenuChanged(StatusItem *item, bool changed) {
    if (item->menu != nullptr) DbusMenuChanged(item->menu, changed);
}

void StatusItemFree(StatusItem *item) {
    item->icon = nullptr;
    if (item->menu != nullptr) DbusMenuFree(item->menu);
    if (item->closedId != 0) g_signal_handler_disconnect(item->connection, item->closedId);
    if (item->watchId != 0) g_dbus_connection_signal_unsubscribe(item->connection, item->watchId);
    if (item->objectId != 0) g_dbus_connection_unregister_object(item->connection, item->objectId);
    g_dbus_connection_close_sync(item->connection, nullptr, nullptr);
    Unref(item);
}

}  // namespace win32::shell32
