// Tests of notification-area icons on the session D-Bus: the test starts a private bus
// (dbus-daemon --session) and plays the desktop's StatusNotifierWatcher and host on it. It reads
// the icon's properties, clicks it with Activate and ContextMenu, restarts the watcher, and
// takes the bus away.
#include <gtest/gtest.h>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gio/gio.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "rte/waiting_testing.h"
#include "rte/rte.h"
#include "rte/testing.h"
#include "toolbox/toolbox.h"
#include "win32/shell32/notify_icon_testing.h"
#include "win32/windows.h"

namespace {

const char kWatcherXml[] =
    "<node><interface name='org.kde.StatusNotifierWatcher'>"
    "<method name='RegisterStatusNotifierItem'><arg name='service' type='s' direction='in'/></method>"
    "</interface></node>";

// A private session bus and a watcher on it, answering on a thread of its own.
class Desktop {
public:
    Desktop() {
        FILE *out = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        char line[512] = {0};
        if (out != nullptr && std::fgets(line, sizeof line, out) != nullptr) address = line;
        if (out != nullptr && std::fgets(line, sizeof line, out) != nullptr) pid = std::atoi(line);
        if (out != nullptr) pclose(out);
        while (!address.empty() && (address.back() == '\n' || address.back() == '\r')) address.pop_back();
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        context = g_main_context_new();
        loop = g_main_loop_new(context, FALSE);
        thread = std::thread([this] {
            g_main_context_push_thread_default(context);
            g_main_loop_run(loop);
            g_main_context_pop_thread_default(context);
        });
        OnThread([this] {
            connection = g_dbus_connection_new_for_address_sync(
                address.c_str(),
                static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                  G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, nullptr);
            if (connection == nullptr) return;
            node = g_dbus_node_info_new_for_xml(kWatcherXml, nullptr);
            static const GDBusInterfaceVTable vtable = {Register, nullptr, nullptr, {nullptr}};
            g_dbus_connection_register_object(connection, "/StatusNotifierWatcher", node->interfaces[0], &vtable, this,
                                              nullptr, nullptr);
        });
        Own(true);
    }
    ~Desktop() {
        OnThread([this] {
            if (connection != nullptr) {
                g_dbus_connection_close_sync(connection, nullptr, nullptr);
                g_object_unref(connection);
            }
            if (node != nullptr) g_dbus_node_info_unref(node);
            g_main_loop_quit(loop);
        });
        thread.join();
        g_main_loop_unref(loop);
        g_main_context_unref(context);
        StopBus();
    }
    bool Ready() const { return connection != nullptr; }
    // Takes (true) or gives up (false) the watcher's name.
    void Own(bool take) {
        GVariant *reply = g_dbus_connection_call_sync(
            connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            take ? "RequestName" : "ReleaseName",
            take ? g_variant_new("(su)", "org.kde.StatusNotifierWatcher", 4u) : g_variant_new("(s)", "org.kde.StatusNotifierWatcher"),
            nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
        if (reply != nullptr) g_variant_unref(reply);
    }
    void StopBus() {
        if (pid > 0) kill(pid, SIGTERM);
        pid = 0;
    }
    std::vector<std::string> Registered() {
        std::lock_guard<std::mutex> hold(lock);
        return registered;
    }
    // Calls a method or reads a property of an item, as the host does.
    GVariant *Call(const std::string &service, const char *interface, const char *method, GVariant *arguments) {
        return g_dbus_connection_call_sync(connection, service.c_str(), "/StatusNotifierItem", interface, method,
                                           arguments, nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    }
    GVariant *Property(const std::string &service, const char *name) {
        GVariant *reply = Call(service, "org.freedesktop.DBus.Properties", "Get",
                               g_variant_new("(ss)", "org.kde.StatusNotifierItem", name));
        if (reply == nullptr) return nullptr;
        GVariant *value = nullptr;
        g_variant_get(reply, "(v)", &value);
        g_variant_unref(reply);
        return value;
    }

    std::string address;

private:
    static void Register(GDBusConnection *, const gchar *, const gchar *, const gchar *, const gchar *,
                         GVariant *parameters, GDBusMethodInvocation *invocation, gpointer data) {
        auto *self = static_cast<Desktop *>(data);
        const gchar *service = nullptr;
        g_variant_get(parameters, "(&s)", &service);
        {
            std::lock_guard<std::mutex> hold(self->lock);
            self->registered.push_back(service);
        }
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }
    void OnThread(std::function<void()> work) {
        std::atomic<bool> done{false};
        auto job = std::make_pair(&work, &done);
        g_main_context_invoke(context, [](gpointer p) -> gboolean {
            auto *j = static_cast<std::pair<std::function<void()> *, std::atomic<bool> *> *>(p);
            (*j->first)();
            j->second->store(true);
            return G_SOURCE_REMOVE;
        }, &job);
        while (!done.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    int pid = 0;
    GMainContext *context = nullptr;
    GMainLoop *loop = nullptr;
    std::thread thread;
    GDBusConnection *connection = nullptr;
    GDBusNodeInfo *node = nullptr;
    std::mutex lock;
    std::vector<std::string> registered;
};

std::vector<std::pair<int, int>> g_events;
int IconEvents(int, int event, int data) {
    g_events.push_back({event, data});
    return 0;
}

// Runs the event loop until done(), for as long as a busy machine may need.
bool Await(const std::function<bool()> &done) {
    return rte::testing::WaitFor([&] {
        ProcessSystemEvents();
        return done();
    }, rte::testing::kPatience, std::chrono::milliseconds(10));
}

std::string IconFile() {
    std::string path = "/tmp/toolbox_bus_" + std::to_string(getpid()) + ".ico";
    GdkPixbuf *pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 32, 32);
    gdk_pixbuf_fill(pixbuf, 0x11223344u);
    gdk_pixbuf_save(pixbuf, path.c_str(), "ico", nullptr, nullptr);
    g_object_unref(pixbuf);
    return path;
}

int g_menuLeft = 0, g_menuTop = 0;
int ChooseQuit(void *) {
    auto lines = rte::testing::OpenMenuLines(&g_menuLeft, &g_menuTop);
    return lines.size() == 1 && lines[0].label == "Quit" ? lines[0].command : 0;
}

TEST(TrayIconsOnTheSessionBus, TheHostSeesTheIconAndItsClicksComeBack) {
    Desktop desktop;
    ASSERT_TRUE(desktop.Ready()) << "no private session bus: " << desktop.address;
    win32::shell32::testing::UseSessionBusArea(true);
    std::string ico = IconFile();
    int icon = 0, item = 0;
    ASSERT_EQ(InstallSysTrayIcon(ico.c_str(), "Bus icon", IconEvents, &icon), 0);
    ASSERT_TRUE(Await([&] { return desktop.Registered().size() == 1; }));
    std::string service = desktop.Registered()[0];

    // The properties a host reads.
    GVariant *tip = desktop.Property(service, "ToolTip");
    ASSERT_NE(tip, nullptr);
    const gchar *title = nullptr;
    g_variant_get_child(tip, 2, "&s", &title);
    EXPECT_STREQ(title, "Bus icon");
    g_variant_unref(tip);
    GVariant *pixmaps = desktop.Property(service, "IconPixmap");
    ASSERT_NE(pixmaps, nullptr);
    ASSERT_EQ(g_variant_n_children(pixmaps), 1u);
    GVariant *pixmap = g_variant_get_child_value(pixmaps, 0);
    gint32 width = 0, height = 0;
    GVariant *bytes = nullptr;
    g_variant_get(pixmap, "(ii@ay)", &width, &height, &bytes);
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 32);
    gsize size = 0;
    auto *data = static_cast<const guint8 *>(g_variant_get_fixed_array(bytes, &size, 1));
    ASSERT_EQ(size, 32u * 32u * 4u);
    EXPECT_EQ(std::vector<guint8>(data, data + 4), (std::vector<guint8>{0x44, 0x11, 0x22, 0x33}));  // A R G B
    g_variant_unref(bytes);
    g_variant_unref(pixmap);
    g_variant_unref(pixmaps);

    // Activate: a left click, where the host says.
    GVariant *reply = desktop.Call(service, "org.kde.StatusNotifierItem", "Activate", g_variant_new("(ii)", 10, 20));
    ASSERT_NE(reply, nullptr);
    g_variant_unref(reply);
    ASSERT_TRUE(Await([&] { return g_events.size() == 2; }));
    EXPECT_EQ(g_events[0], std::make_pair(EVENT_LEFT_CLICK, 0));
    EXPECT_EQ(g_events[1], std::make_pair(EVENT_LEFT_MOUSE_UP, 0));
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 10);
    EXPECT_EQ(cursor.y, 20);

    // ContextMenu: the menu at the host's point, and the item chosen.
    ASSERT_EQ(AttachTrayIconMenu(icon), 0);
    ASSERT_EQ(InsertTrayIconMenuItem(icon, "Quit", &item), 0);
    rte::testing::SetMenuAnswer(ChooseQuit, nullptr);
    g_events.clear();
    reply = desktop.Call(service, "org.kde.StatusNotifierItem", "ContextMenu", g_variant_new("(ii)", 300, 400));
    ASSERT_NE(reply, nullptr);
    g_variant_unref(reply);
    ASSERT_TRUE(Await([&] { return g_events.size() == 3; }));
    EXPECT_EQ(g_events[0], std::make_pair(EVENT_RIGHT_CLICK, 0));
    EXPECT_EQ(g_events[1], std::make_pair(EVENT_TRAY_MENU_ITEM, item));
    EXPECT_LT(g_menuLeft, 300);  // right and bottom aligned at the point
    EXPECT_LT(g_menuTop, 400);
    rte::testing::SetMenuAnswer(nullptr, nullptr);

    // A new tooltip; the watcher restarting sees the icon register again.
    ASSERT_EQ(SetTrayIconAttr(icon, ATTR_TRAY_TOOLTIP_TEXT, "Changed"), 0);
    tip = desktop.Property(service, "Title");
    ASSERT_NE(tip, nullptr);
    EXPECT_STREQ(g_variant_get_string(tip, nullptr), "Changed");
    g_variant_unref(tip);
    desktop.Own(false);
    desktop.Own(true);
    ASSERT_TRUE(Await([&] { return desktop.Registered().size() == 2; }));

    // Handles of the bus's icons are reused smallest first too.
    int second = 0, again = 0;
    ASSERT_EQ(InstallSysTrayIcon(ico.c_str(), "Second", IconEvents, &second), 0);
    EXPECT_EQ(second, 2);
    ASSERT_EQ(RemoveSysTrayIcon(icon), 0);
    ASSERT_EQ(InstallSysTrayIcon(ico.c_str(), "Again", IconEvents, &again), 0);
    EXPECT_EQ(again, 1);

    // The bus goes away under the icons: changes fail, removal still works.
    desktop.StopBus();
    EXPECT_TRUE(Await([&] { return SetTrayIconAttr(second, ATTR_TRAY_TOOLTIP_TEXT, "Gone") == TOOLBOX_ERR_SYSTEM; }))
        << "a change still succeeded with the bus gone";
    EXPECT_EQ(RemoveSysTrayIcon(second), 0);
    EXPECT_EQ(RemoveSysTrayIcon(again), 0);
    std::remove(ico.c_str());
    win32::shell32::testing::UseSessionBusArea(false);
}

TEST(TrayIconsOnTheSessionBus, NoWatcherOrNoBusIsRefused) {
    std::string ico = IconFile();
    win32::shell32::testing::UseSessionBusArea(true);
    int icon = 0;
    {
        Desktop desktop;
        ASSERT_TRUE(desktop.Ready());
        desktop.Own(false);
        EXPECT_EQ(InstallSysTrayIcon(ico.c_str(), "Nobody", IconEvents, &icon), TOOLBOX_ERR_SYSTEM);
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    EXPECT_EQ(InstallSysTrayIcon(ico.c_str(), "No bus", IconEvents, &icon), TOOLBOX_ERR_SYSTEM);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    std::remove(ico.c_str());
    win32::shell32::testing::UseSessionBusArea(false);
}

}  // namespace
