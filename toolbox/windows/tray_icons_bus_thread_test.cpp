// Tests of notification-area icons on the session D-Bus: the test starts a private bus
// (dbus-daemon --session) and plays a desktop's StatusNotifierWatcher and host on it, as a panel
// does: it reads the item's properties and its dbusmenu, clicks it, opens its menu and chooses,
// restarts the watcher and takes the bus away.
#include <gtest/gtest.h>

#include <errno.h>
#include <gio/gio.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
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

// A private session bus, and a desktop's watcher and host on it answering on a thread of their
// own. It records the items registered and the signals the items send.
class Desktop {
public:
    Desktop() {
        FILE *out = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        char line[512] = {0};
        if (out != nullptr && std::fgets(line, sizeof line, out) != nullptr) address = line;
        if (out != nullptr && std::fgets(line, sizeof line, out) != nullptr) pid_ = std::atoi(line);
        if (out != nullptr) pclose(out);
        while (!address.empty() && (address.back() == '\n' || address.back() == '\r')) address.pop_back();
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        context_ = g_main_context_new();
        loop_ = g_main_loop_new(context_, FALSE);
        thread_ = std::thread([this] {
            g_main_context_push_thread_default(context_);
            g_main_loop_run(loop_);
            g_main_context_pop_thread_default(context_);
        });
        OnThread([this] {
            connection_ = g_dbus_connection_new_for_address_sync(
                address.c_str(),
                static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                  G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                nullptr, nullptr, nullptr);
            if (connection_ == nullptr) return;
            g_dbus_connection_set_exit_on_close(connection_, FALSE);
            node_ = g_dbus_node_info_new_for_xml(kWatcherXml, nullptr);
            static const GDBusInterfaceVTable vtable = {Register, nullptr, nullptr, {nullptr}};
            g_dbus_connection_register_object(connection_, "/StatusNotifierWatcher", node_->interfaces[0], &vtable,
                                              this, nullptr, nullptr);
            g_dbus_connection_signal_subscribe(connection_, nullptr, nullptr, nullptr, nullptr, nullptr,
                                               G_DBUS_SIGNAL_FLAGS_NONE, Signal, this, nullptr);
        });
    }
    ~Desktop() {
        OnThread([this] {
            if (connection_ != nullptr) {
                g_dbus_connection_close_sync(connection_, nullptr, nullptr);
                g_object_unref(connection_);
            }
            if (node_ != nullptr) g_dbus_node_info_unref(node_);
            g_main_loop_quit(loop_);
        });
        thread_.join();
        g_main_loop_unref(loop_);
        g_main_context_unref(context_);
        StopBus();
    }
    bool Ready() const { return connection_ != nullptr; }
    // Takes (true) or gives up (false) the watcher's name, as a panel starting or ending does.
    void Own(bool take) {
        GVariant *reply = g_dbus_connection_call_sync(
            connection_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            take ? "RequestName" : "ReleaseName",
            take ? g_variant_new("(su)", "org.kde.StatusNotifierWatcher", 4u) : g_variant_new("(s)", "org.kde.StatusNotifierWatcher"),
            nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
        if (reply != nullptr) g_variant_unref(reply);
    }
    void StopBus() {
        if (pid_ > 0) kill(pid_, SIGTERM);
        pid_ = 0;
    }
    std::vector<std::string> Registered() {
        std::lock_guard<std::mutex> hold(lock_);
        return registered_;
    }
    std::vector<std::string> Signals() {
        std::lock_guard<std::mutex> hold(lock_);
        return signals_;
    }

    // A property of the item, as the host reads it (null when it cannot).
    GVariant *Property(const char *interface, const char *path, const char *name) {
        GVariant *reply = Call("org.freedesktop.DBus.Properties", path, "Get", g_variant_new("(ss)", interface, name));
        GVariant *value = nullptr;
        if (reply != nullptr) g_variant_get(reply, "(v)", &value);
        if (reply != nullptr) g_variant_unref(reply);
        return value;
    }
    std::string StringProperty(const char *name) {
        GVariant *v = Property("org.kde.StatusNotifierItem", "/StatusNotifierItem", name);
        std::string s = v == nullptr ? "(none)" : g_variant_is_of_type(v, G_VARIANT_TYPE_BOOLEAN)
                                                      ? (g_variant_get_boolean(v) ? "true" : "false")
                                                      : g_variant_get_string(v, nullptr);
        if (v != nullptr) g_variant_unref(v);
        return s;
    }
    // A call on the item that needs no answer from the program.
    GVariant *Call(const char *interface, const char *path, const char *method, GVariant *arguments) {
        return g_dbus_connection_call_sync(connection_, Registered().back().c_str(), path, interface, method, arguments,
                                           nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    }
    void Click(const char *method, int x, int y) {
        GVariant *reply = Call("org.kde.StatusNotifierItem", "/StatusNotifierItem", method, g_variant_new("(ii)", x, y));
        if (reply != nullptr) g_variant_unref(reply);
    }
    // The menu's lines as the host shows them: "label", "-" for a separator, "(hidden)", with
    // " [x]" when checked and " (dimmed)" when not enabled.
    std::vector<std::string> MenuLines() {
        std::vector<std::string> lines;
        GVariant *reply = Call("com.canonical.dbusmenu", "/MenuBar", "GetLayout",
                               g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)));
        if (reply == nullptr) return {"(no layout)"};
        GVariant *layout = g_variant_get_child_value(reply, 1), *children = g_variant_get_child_value(layout, 2);
        for (gsize i = 0; i < g_variant_n_children(children); ++i) {
            GVariant *child = g_variant_get_child_value(children, i), *item = g_variant_get_variant(child);
            GVariant *props = g_variant_get_child_value(item, 1);
            const gchar *label = "", *type = "", *toggle = "";
            gboolean visible = TRUE, enabled = TRUE;
            g_variant_lookup(props, "label", "&s", &label);
            g_variant_lookup(props, "type", "&s", &type);
            g_variant_lookup(props, "toggle-type", "&s", &toggle);
            g_variant_lookup(props, "visible", "b", &visible);
            g_variant_lookup(props, "enabled", "b", &enabled);
            std::string line = !visible ? "(hidden)" : g_strcmp0(type, "separator") == 0 ? "-" : label;
            if (toggle[0] != '\0') line += " [x]";
            if (!enabled) line += " (dimmed)";
            lines.push_back(line);
            for (GVariant *v : {props, item, child}) g_variant_unref(v);
        }
        for (GVariant *v : {children, layout, reply}) g_variant_unref(v);
        return lines;
    }
    // AboutToShowGroup([0]) as a panel calls it before it shows the menu; its answer waits for
    // the program, so the call is made on the desktop's thread and its reply kept.
    void AskAboutToShow() {
        {
            std::lock_guard<std::mutex> hold(lock_);
            answer_.clear();
        }
        OnThread([this] {
            g_dbus_connection_call(connection_, Registered().back().c_str(), "/MenuBar", "com.canonical.dbusmenu",
                                   "AboutToShowGroup", g_variant_new_parsed("([0],)"), nullptr, G_DBUS_CALL_FLAGS_NONE,
                                   5000, nullptr, Answered, this);
        });
    }
    std::string Answer() {
        std::lock_guard<std::mutex> hold(lock_);
        return answer_;
    }

    std::string address;

private:
    static void Register(GDBusConnection *, const gchar *, const gchar *, const gchar *, const gchar *,
                         GVariant *parameters, GDBusMethodInvocation *invocation, gpointer data) {
        auto *self = static_cast<Desktop *>(data);
        const gchar *service = nullptr;
        g_variant_get(parameters, "(&s)", &service);
        {
            std::lock_guard<std::mutex> hold(self->lock_);
            self->registered_.push_back(service);
        }
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }
    static void Signal(GDBusConnection *, const gchar *, const gchar *, const gchar *, const gchar *name, GVariant *,
                       gpointer data) {
        auto *self = static_cast<Desktop *>(data);
        std::lock_guard<std::mutex> hold(self->lock_);
        self->signals_.push_back(name);
    }
    static void Answered(GObject *source, GAsyncResult *result, gpointer data) {
        auto *self = static_cast<Desktop *>(data);
        GVariant *reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
        gchar *text = reply != nullptr ? g_variant_print(reply, FALSE) : g_strdup("(error)");
        {
            std::lock_guard<std::mutex> hold(self->lock_);
            self->answer_ = text;
        }
        g_free(text);
        if (reply != nullptr) g_variant_unref(reply);
    }
    // Runs work on the desktop's thread and waits for it; the job is handed over through an
    // atomic, which ThreadSanitizer sees (GLib's own hand-over it does not).
    void OnThread(std::function<void()> work) {
        struct Job {
            std::function<void()> *work;
            std::mutex m;
            std::condition_variable cv;
            bool done = false;
        } job;
        job.work = &work;
        static std::atomic<Job *> handed{nullptr};
        handed.store(&job, std::memory_order_release);
        g_main_context_invoke(context_, [](gpointer) -> gboolean {
            Job *j = handed.exchange(nullptr, std::memory_order_acquire);
            (*j->work)();
            std::lock_guard<std::mutex> hold(j->m);
            j->done = true;
            j->cv.notify_all();
            return G_SOURCE_REMOVE;
        }, nullptr);
        std::unique_lock<std::mutex> wait(job.m);
        job.cv.wait(wait, [&] { return job.done; });
    }

    int pid_ = 0;
    GMainContext *context_ = nullptr;
    GMainLoop *loop_ = nullptr;
    std::thread thread_;
    GDBusConnection *connection_ = nullptr;
    GDBusNodeInfo *node_ = nullptr;
    std::mutex lock_;
    std::vector<std::string> registered_, signals_;
    std::string answer_;
};

std::vector<std::pair<int, int>> g_events;
int g_rightClickAnswer = 0;
int IconEvents(int, int event, int data) {
    g_events.push_back({event, data});
    return event == EVENT_RIGHT_CLICK ? g_rightClickAnswer : 0;
}

// Runs the event loop until done(), for as long as a busy machine may need.
bool Await(const std::function<bool()> &done) {
    return rte::testing::WaitFor([&] {
        ProcessSystemEvents();
        return done();
    }, rte::testing::kPatience, std::chrono::milliseconds(10));
}

using Events = std::vector<std::pair<int, int>>;

// The events of the next n callbacks (waiting for them), cleared.
Events Next(size_t n) {
    Await([&] { return g_events.size() >= n; });
    Events seen = g_events;
    g_events.clear();
    return seen;
}

int g_menuLeft = -1, g_menuTop = -1;
int DismissMenu(void *) {
    rte::testing::OpenMenuLines(&g_menuLeft, &g_menuTop);
    return 0;
}

class TrayIconsOnTheSessionBus : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // GLib's own allocator recycles blocks between threads out of ThreadSanitizer's sight.
        setenv("G_SLICE", "always-malloc", 1);
    }
    void SetUp() override {
        g_events.clear();
        g_rightClickAnswer = 0;
        win32::shell32::testing::UseDesktopArea(true);
        unsetenv("DISPLAY");  // no legacy tray: the bus alone
    }
    void TearDown() override { win32::shell32::testing::UseDesktopArea(false); }
};

TEST_F(TrayIconsOnTheSessionBus, TheHostSeesTheItemItsMenuAndItsChanges) {
    Desktop desktop;
    ASSERT_TRUE(desktop.Ready()) << "no private session bus: " << desktop.address;
    desktop.Own(true);
    int icon = 0, item = 0;
    ASSERT_EQ(InstallSysTrayIcon(TRAY_UTILITY_ICO, "Bus icon", IconEvents, &icon), 0);
    ASSERT_TRUE(Await([&] { return desktop.Registered().size() == 1; }));

    // The item as hosts read it: a stable Id (the program's name and the icon's), every size of
    // the icon file.
    std::string id = std::string(program_invocation_short_name) + "-1";
    struct {
        const char *name, *value;
    } properties[] = {{"Id", id.c_str()}, {"Title", "Bus icon"}, {"Category", "ApplicationStatus"},
                      {"Status", "Active"}, {"ItemIsMenu", "false"}, {"Menu", "/MenuBar"}};
    for (const auto &p : properties) EXPECT_EQ(desktop.StringProperty(p.name), p.value) << p.name;
    GVariant *pixmaps = desktop.Property("org.kde.StatusNotifierItem", "/StatusNotifierItem", "IconPixmap");
    ASSERT_NE(pixmaps, nullptr);
    std::vector<int> sizes;
    for (gsize i = 0; i < g_variant_n_children(pixmaps); ++i) {
        gint32 width = 0, height = 0;
        g_variant_get_child(pixmaps, i, "(ii@ay)", &width, &height, nullptr);
        sizes.push_back(width);
    }
    g_variant_unref(pixmaps);
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48}));

    // The menu as the host shows it follows every change the program makes.
    EXPECT_EQ(desktop.MenuLines(), (std::vector<std::string>{"(hidden)"}));
    ASSERT_EQ(AttachTrayIconMenu(icon), 0);
    for (const char *label : {"&Show", "R&&D", "snake_case", static_cast<const char *>(nullptr), "Quit"}) {
        ASSERT_EQ(InsertTrayIconMenuItem(icon, label, &item), 0);
    }
    ASSERT_EQ(SetTrayIconMenuItemAttr(icon, 2, ATTR_CHECKED, 1), 0);
    ASSERT_EQ(SetTrayIconMenuItemAttr(icon, 3, ATTR_DIMMED, 1), 0);
    EXPECT_EQ(desktop.MenuLines(), (std::vector<std::string>{"_Show", "R&D [x]", "snake__case (dimmed)", "-", "Quit"}));
    ASSERT_EQ(SetTrayIconMenuAttr(icon, ATTR_VISIBLE, 0), 0);
    EXPECT_EQ(desktop.MenuLines(), (std::vector<std::string>{"(hidden)"}));
    ASSERT_EQ(SetTrayIconMenuAttr(icon, ATTR_VISIBLE, 1), 0);

    // A new tooltip is signalled.
    ASSERT_EQ(SetTrayIconAttr(icon, ATTR_TRAY_TOOLTIP_TEXT, "Changed"), 0);
    EXPECT_EQ(desktop.StringProperty("Title"), "Changed");
    EXPECT_TRUE(Await([&] {
        auto s = desktop.Signals();
        return std::find(s.begin(), s.end(), "NewToolTip") != s.end();
    }));
    ASSERT_EQ(RemoveSysTrayIcon(icon), 0);
}

TEST_F(TrayIconsOnTheSessionBus, ClicksAndMenusReachTheProgramAsWindowsReportsThem) {
    Desktop desktop;
    ASSERT_TRUE(desktop.Ready());
    desktop.Own(true);
    int icon = 0, item = 0;
    ASSERT_EQ(InstallSysTrayIcon(TRAY_UTILITY_ICO, "Clicks", IconEvents, &icon), 0);
    ASSERT_TRUE(Await([&] { return desktop.Registered().size() == 1; }));
    ASSERT_EQ(AttachTrayIconMenu(icon), 0);
    ASSERT_EQ(InsertTrayIconMenuItem(icon, "Quit", &item), 0);

    // Activate is a left click; a second one soon after, a double click (the first click's
    // events, then the double click's); after the double-click time a click again. The point
    // becomes the pointer's position.
    rte::testing::UseManualClock();
    desktop.Click("Activate", 10, 20);
    EXPECT_EQ(Next(2), (Events{{EVENT_LEFT_CLICK, 0}, {EVENT_LEFT_MOUSE_UP, 0}}));
    POINT cursor{};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, 10);
    EXPECT_EQ(cursor.y, 20);
    desktop.Click("Activate", 11, 21);
    EXPECT_EQ(Next(2), (Events{{EVENT_LEFT_DOUBLE_CLICK, 0}, {EVENT_LEFT_MOUSE_UP, 0}}));
    rte::testing::AdvanceClock(0.6);
    desktop.Click("Activate", 11, 21);
    EXPECT_EQ(Next(2), (Events{{EVENT_LEFT_CLICK, 0}, {EVENT_LEFT_MOUSE_UP, 0}}));
    rte::testing::UseRealClock();

    // The host's menu: AboutToShow runs the right click's events and is answered after them (the
    // menu did not change); a choice is the menu item event. A callback that wants no menu
    // leaves the host an empty one.
    desktop.AskAboutToShow();
    EXPECT_EQ(Next(2), (Events{{EVENT_RIGHT_CLICK, 0}, {EVENT_RIGHT_MOUSE_UP, 0}}));
    EXPECT_TRUE(Await([&] { return desktop.Answer() == "([], [])"; })) << desktop.Answer();
    GVariant *reply = desktop.Call("com.canonical.dbusmenu", "/MenuBar", "Event",
                                   g_variant_new("(isvu)", 1, "clicked", g_variant_new_int32(0), 0u));
    ASSERT_NE(reply, nullptr);
    g_variant_unref(reply);
    EXPECT_EQ(Next(1), (Events{{EVENT_TRAY_MENU_ITEM, item}}));
    g_rightClickAnswer = 1;
    desktop.AskAboutToShow();
    EXPECT_EQ(Next(2), (Events{{EVENT_RIGHT_CLICK, 0}, {EVENT_RIGHT_MOUSE_UP, 0}}));
    EXPECT_TRUE(Await([&] { return desktop.Answer() == "([0], [])"; })) << desktop.Answer();
    EXPECT_EQ(desktop.MenuLines(), (std::vector<std::string>{"(hidden)"}));

    // ContextMenu opens the engine's menu at the host's point, kept on the screen.
    g_rightClickAnswer = 0;
    rte::testing::SetMenuAnswer(DismissMenu, nullptr);
    desktop.Click("ContextMenu", 5, 8);
    EXPECT_EQ(Next(3), (Events{{EVENT_RIGHT_CLICK, 0}, {EVENT_TRAY_MENU_ITEM, 0}, {EVENT_RIGHT_MOUSE_UP, 0}}));
    EXPECT_EQ(g_menuLeft, 0);
    EXPECT_EQ(g_menuTop, 0);
    rte::testing::SetMenuAnswer(nullptr, nullptr);
    ASSERT_EQ(RemoveSysTrayIcon(icon), 0);
}

TEST_F(TrayIconsOnTheSessionBus, IconsWaitForTheWatcherAndOutliveTheBus) {
    int icon = 0, second = 0;
    {
        setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
        ASSERT_EQ(InstallSysTrayIcon(TRAY_UTILITY_ICO, "No bus", IconEvents, &icon), 0);
        EXPECT_EQ(SetTrayIconAttr(icon, ATTR_TRAY_TOOLTIP_TEXT, "Still no bus"), 0);
        EXPECT_EQ(RemoveSysTrayIcon(icon), 0);
    }
    Desktop desktop;
    ASSERT_TRUE(desktop.Ready());
    // Added with no watcher; registered when one comes, and again when it comes back.
    ASSERT_EQ(InstallSysTrayIcon(TRAY_UTILITY_ICO, "Early", IconEvents, &icon), 0);
    desktop.Own(true);
    ASSERT_TRUE(Await([&] { return desktop.Registered().size() == 1; }));
    desktop.Own(false);
    desktop.Own(true);
    ASSERT_TRUE(Await([&] { return desktop.Registered().size() == 2; }));
    EXPECT_EQ(desktop.Registered()[0], desktop.Registered()[1]);

    // The bus goes away under the icons: they are kept, changes and removal still work.
    ASSERT_EQ(InstallSysTrayIcon(TRAY_UTILITY_ICO, "Second", IconEvents, &second), 0);
    desktop.StopBus();
    EXPECT_EQ(SetTrayIconAttr(second, ATTR_TRAY_TOOLTIP_TEXT, "Gone"), 0);
    EXPECT_EQ(RemoveSysTrayIcon(second), 0);
    EXPECT_EQ(RemoveSysTrayIcon(icon), 0);
}

// An exit that begins on the desktop area's own thread (an error handler that calls exit there)
// ends the program with its code; the area's clean-up does not wait for the thread it runs on.
// (No bus here: a bus daemon started by the test would hold the death test's pipe open.)
TEST_F(TrayIconsOnTheSessionBus, AnExitOnTheAreasThreadEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    EXPECT_EXIT(
        {
            InitRTEEx(nullptr, nullptr, nullptr);
            int icon = 0;
            InstallSysTrayIcon(TRAY_UTILITY_ICO, "Exit", IconEvents, &icon);
            if (win32::shell32::testing::RunOnDesktopThread([] { std::exit(7); })) {
                for (;;) pause();
            }
        },
        ::testing::ExitedWithCode(7), "");
}

}  // namespace
