// An icon's menu as com.canonical.dbusmenu, the interface through which panels (Xfce's, KDE's,
// the AppIndicator hosts) show an item's menu themselves. Desktop thread only.
//
// Written over GDBus here rather than with libdbusmenu-glib: that library exports its menus on
// the process's shared session-bus connection, while hosts look for the menu on the item's own
// connection (one per icon), and it answers AboutToShow before the program could run its
// right-click events; here the answer waits for the program (up to kAnswerTime).
//
// The menu is the root (id 0) with the icon's lines as its children, ids 1 to n in order; a
// menu with no lines has one invisible child, so that hosts still show an (empty) menu and ask
// before they do. Every change is a new layout revision (LayoutUpdated); hosts fetch it whole.
// The same menu given again is no change: a menu open at the host keeps its marked line.
// Hosts show the layout they hold at once on a right click and ask AboutToShow meanwhile: the
// owner is told (Gesture::MenuWanted), and its answer (the menu it gives, perhaps none) reaches
// the open menu as a layout update.
#include "win32/shell32/desktop_icon_internal.h"

#include <string>
#include <vector>

namespace win32::shell32 {
namespace {

const char kMenuXml[] =
    "<node><interface name='com.canonical.dbusmenu'>"
    "<property name='Version' type='u' access='read'/>"
    "<property name='TextDirection' type='s' access='read'/>"
    "<property name='Status' type='s' access='read'/>"
    "<property name='IconThemePath' type='as' access='read'/>"
    "<method name='GetLayout'><arg type='i' name='parentId' direction='in'/>"
    "<arg type='i' name='recursionDepth' direction='in'/><arg type='as' name='propertyNames' direction='in'/>"
    "<arg type='u' name='revision' direction='out'/><arg type='(ia{sv}av)' name='layout' direction='out'/></method>"
    "<method name='GetGroupProperties'><arg type='ai' name='ids' direction='in'/>"
    "<arg type='as' name='propertyNames' direction='in'/><arg type='a(ia{sv})' name='properties' direction='out'/></method>"
    "<method name='GetProperty'><arg type='i' name='id' direction='in'/><arg type='s' name='name' direction='in'/>"
    "<arg type='v' name='value' direction='out'/></method>"
    "<method name='Event'><arg type='i' name='id' direction='in'/><arg type='s' name='eventId' direction='in'/>"
    "<arg type='v' name='data' direction='in'/><arg type='u' name='timestamp' direction='in'/></method>"
    "<method name='EventGroup'><arg type='a(isvu)' name='events' direction='in'/>"
    "<arg type='ai' name='idErrors' direction='out'/></method>"
    "<method name='AboutToShow'><arg type='i' name='id' direction='in'/>"
    "<arg type='b' name='needUpdate' direction='out'/></method>"
    "<method name='AboutToShowGroup'><arg type='ai' name='ids' direction='in'/>"
    "<arg type='ai' name='updatesNeeded' direction='out'/><arg type='ai' name='idErrors' direction='out'/></method>"
    "<signal name='ItemsPropertiesUpdated'><arg type='a(ia{sv})' name='updatedProps'/>"
    "<arg type='a(ias)' name='removedProps'/></signal>"
    "<signal name='LayoutUpdated'><arg type='u' name='revision'/><arg type='i' name='parent'/></signal>"
    "<signal name='ItemActivationRequested'><arg type='i' name='id'/><arg type='u' name='timestamp'/></signal>"
    "</interface></node>";

constexpr guint kAnswerTime = 2000;  // ms a host waits at most for the owner's answer

struct Pending {
    GDBusMethodInvocation *invocation;
    bool group;  // AboutToShowGroup (else AboutToShow)
};

}  // namespace

// Kept alive by its owner and by GDBus's registration, as the item is.
struct DbusMenu {
    DesktopIcon *icon = nullptr;  // null once freed by its owner
    GDBusConnection *connection = nullptr;
    GDBusNodeInfo *node = nullptr;
    std::string path;
    guint objectId = 0;
    guint32 revision = 1;
    std::vector<Pending> pending;  // AboutToShow calls waiting for the owner's answer
    GSource *timeout = nullptr;
    int refs = 1;
};

namespace {

void Unref(gpointer data) {
    auto *menu = static_cast<DbusMenu *>(data);
    if (--menu->refs > 0) return;
    g_object_unref(menu->connection);
    g_dbus_node_info_unref(menu->node);
    delete menu;
}

// A Windows menu label as dbusmenu writes it: '&' marks the access key there, '_' here.
std::string Label(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '_') {
            out += "__";
        } else if (text[i] == '&' && i + 1 < text.size()) {
            out += text[i + 1] == '&' ? "&" : "_";
            if (text[i + 1] == '&') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

int LineCount(const DesktopIcon &icon) {
    return icon.menu.lines.empty() ? 1 : static_cast<int>(icon.menu.lines.size());
}

bool Wanted(GVariant *names, const char *name) {
    if (names == nullptr || g_variant_n_children(names) == 0) return true;
    for (gsize i = 0; i < g_variant_n_children(names); ++i) {
        const gchar *n = nullptr;
        g_variant_get_child(names, i, "&s", &n);
        if (g_strcmp0(n, name) == 0) return true;
    }
    return false;
}

// The properties of item id (0: the root) as a{sv}, those named in names (all when empty).
GVariant *Properties(const DesktopIcon &icon, int id, GVariant *names) {
    GVariantBuilder b;
    g_variant_builder_init(&b, G_VARIANT_TYPE("a{sv}"));
    auto add = [&](const char *name, GVariant *value) {
        if (Wanted(names, name)) {
            g_variant_builder_add(&b, "{sv}", name, value);
        } else {
            g_variant_unref(g_variant_ref_sink(value));
        }
    };
    if (id == 0) {
        add("children-display", g_variant_new_string("submenu"));
    } else if (icon.menu.lines.empty()) {
        add("visible", g_variant_new_boolean(FALSE));
    } else {
        const IconMenuLine &line = icon.menu.lines[static_cast<size_t>(id - 1)];
        if (line.separator) {
            add("type", g_variant_new_string("separator"));
        } else {
            add("label", g_variant_new_string(Label(line.label).c_str()));
            if (line.dimmed) add("enabled", g_variant_new_boolean(FALSE));
            if (line.checked) {
                add("toggle-type", g_variant_new_string("checkmark"));
                add("toggle-state", g_variant_new_int32(1));
            }
        }
    }
    return g_variant_builder_end(&b);
}

bool Known(const DesktopIcon &icon, int id) { return id >= 0 && id <= LineCount(icon); }

GVariant *Layout(const DesktopIcon &icon, int id, int depth, GVariant *names) {
    GVariantBuilder children;
    g_variant_builder_init(&children, G_VARIANT_TYPE("av"));
    if (id == 0 && depth != 0) {
        for (int child = 1; child <= LineCount(icon); ++child) {
            g_variant_builder_add(&children, "v", Layout(icon, child, depth - 1, names));
        }
    }
    return g_variant_new("(i@a{sv}@av)", id, Properties(icon, id, names), g_variant_builder_end(&children));
}

void Answer(const Pending &p, bool changed) {
    if (p.group) {
        GVariantBuilder updates;
        g_variant_builder_init(&updates, G_VARIANT_TYPE("ai"));
        if (changed) g_variant_builder_add(&updates, "i", 0);
        g_dbus_method_invocation_return_value(p.invocation,
                                              g_variant_new("(@ai@ai)", g_variant_builder_end(&updates),
                                                            g_variant_new_array(G_VARIANT_TYPE_INT32, nullptr, 0)));
    } else {
        g_dbus_method_invocation_return_value(p.invocation, g_variant_new("(b)", changed ? TRUE : FALSE));
    }
}

void AnswerAll(DbusMenu *menu, bool changed) {
    if (menu->timeout != nullptr) {
        g_source_destroy(menu->timeout);
        g_source_unref(menu->timeout);
        menu->timeout = nullptr;
    }
    std::vector<Pending> pending;
    pending.swap(menu->pending);
    for (const Pending &p : pending) Answer(p, changed);
}

gboolean AnswerTimeout(gpointer data) {
    AnswerAll(static_cast<DbusMenu *>(data), false);
    return G_SOURCE_REMOVE;
}

// A host is about to show the menu: the owner is asked, and the host answered when it gave its
// menu (or at once when it never names menus, or after kAnswerTime).
void AboutToShow(DbusMenu *menu, GDBusMethodInvocation *invocation, bool group) {
    DesktopIcon *icon = menu->icon;
    ReportGesture(icon->owner, icon->id, Gesture::MenuWanted, -1, -1);
    Pending p{invocation, group};
    if (!icon->menu.asksForMenus) {
        Answer(p, false);
        return;
    }
    menu->pending.push_back(p);
    if (menu->timeout == nullptr) {
        menu->timeout = g_timeout_source_new(kAnswerTime);
        g_source_set_callback(menu->timeout, AnswerTimeout, menu, nullptr);
        g_source_attach(menu->timeout, DesktopContext());
    }
}

// An event of the host on item id: a click chooses the line's command.
void Event(const DesktopIcon &icon, int id, const char *event) {
    if (g_strcmp0(event, "clicked") != 0 || id < 1 || id > static_cast<int>(icon.menu.lines.size())) return;
    const IconMenuLine &line = icon.menu.lines[static_cast<size_t>(id - 1)];
    if (!line.separator && !line.dimmed) ReportMenuChoice(icon.owner, icon.id, line.command);
}

void CallMethod(GDBusConnection *, const gchar *, const gchar *, const gchar *, const gchar *method,
                GVariant *parameters, GDBusMethodInvocation *invocation, gpointer data) {
    auto *menu = static_cast<DbusMenu *>(data);
    if (menu->icon == nullptr) {
        g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_OBJECT, "the icon was removed");
        return;
    }
    const DesktopIcon &icon = *menu->icon;
    std::string m = method;
    if (m == "GetLayout") {
        gint32 parent = 0, depth = -1;
        GVariant *names = nullptr;
        g_variant_get(parameters, "(ii@as)", &parent, &depth, &names);
        if (Known(icon, parent)) {
            g_dbus_method_invocation_return_value(
                invocation, g_variant_new("(u@(ia{sv}av))", menu->revision, Layout(icon, parent, depth, names)));
        } else {
            g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS, "no item %d", parent);
        }
        g_variant_unref(names);
    } else if (m == "GetGroupProperties") {
        GVariant *ids = nullptr, *names = nullptr;
        g_variant_get(parameters, "(@ai@as)", &ids, &names);
        GVariantBuilder b;
        g_variant_builder_init(&b, G_VARIANT_TYPE("a(ia{sv})"));
        for (gsize i = 0; i < g_variant_n_children(ids); ++i) {
            gint32 id = 0;
            g_variant_get_child(ids, i, "i", &id);
            if (Known(icon, id)) g_variant_builder_add(&b, "(i@a{sv})", id, Properties(icon, id, names));
        }
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(@a(ia{sv}))", g_variant_builder_end(&b)));
        g_variant_unref(ids);
        g_variant_unref(names);
    } else if (m == "GetProperty") {
        gint32 id = 0;
        const gchar *name = nullptr;
        g_variant_get(parameters, "(i&s)", &id, &name);
        GVariant *one = Known(icon, id) ? Properties(icon, id, nullptr) : nullptr;
        GVariant *value = one != nullptr ? g_variant_lookup_value(one, name, nullptr) : nullptr;
        if (value != nullptr) {
            g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value));
            g_variant_unref(value);
        } else {
            g_dbus_method_invocation_return_error(invocation, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS, "no property %s", name);
        }
        if (one != nullptr) g_variant_unref(g_variant_ref_sink(one));
    } else if (m == "Event") {
        gint32 id = 0;
        const gchar *event = nullptr;
        g_variant_get(parameters, "(i&svu)", &id, &event, nullptr, nullptr);
        Event(icon, id, event);
        g_dbus_method_invocation_return_value(invocation, nullptr);
    } else if (m == "EventGroup") {
        GVariantIter *events = nullptr;
        g_variant_get(parameters, "(a(isvu))", &events);
        GVariantBuilder errors;
        g_variant_builder_init(&errors, G_VARIANT_TYPE("ai"));
        gint32 id = 0;
        const gchar *event = nullptr;
        while (g_variant_iter_loop(events, "(i&svu)", &id, &event, nullptr, nullptr)) {
            if (Known(icon, id)) {
                Event(icon, id, event);
            } else {
                g_variant_builder_add(&errors, "i", id);
            }
        }
        g_variant_iter_free(events);
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(@ai)", g_variant_builder_end(&errors)));
    } else if (m == "AboutToShow") {
        gint32 id = 0;
        g_variant_get(parameters, "(i)", &id);
        if (id == 0) {
            AboutToShow(menu, invocation, false);
        } else {
            g_dbus_method_invocation_return_value(invocation, g_variant_new("(b)", FALSE));
        }
    } else {  // AboutToShowGroup
        GVariant *ids = nullptr;
        g_variant_get(parameters, "(@ai)", &ids);
        bool root = false;
        GVariantBuilder errors;
        g_variant_builder_init(&errors, G_VARIANT_TYPE("ai"));
        for (gsize i = 0; i < g_variant_n_children(ids); ++i) {
            gint32 id = 0;
            g_variant_get_child(ids, i, "i", &id);
            root = root || id == 0;
            if (!Known(icon, id)) g_variant_builder_add(&errors, "i", id);
        }
        g_variant_unref(ids);
        GVariant *unknown = g_variant_builder_end(&errors);
        if (root && g_variant_n_children(unknown) == 0) {
            g_variant_unref(g_variant_ref_sink(unknown));
            AboutToShow(menu, invocation, true);
        } else {
            g_dbus_method_invocation_return_value(
                invocation, g_variant_new("(@ai@ai)", g_variant_new_array(G_VARIANT_TYPE_INT32, nullptr, 0), unknown));
        }
    }
}

GVariant *GetProperty(GDBusConnection *, const gchar *, const gchar *, const gchar *, const gchar *name, GError **error,
                      gpointer) {
    std::string n = name;
    if (n == "Version") return g_variant_new_uint32(3);
    if (n == "TextDirection") return g_variant_new_string("ltr");
    if (n == "Status") return g_variant_new_string("normal");
    if (n == "IconThemePath") return g_variant_new_strv(nullptr, 0);
    g_set_error(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "no property %s", name);
    return nullptr;
}

const GDBusInterfaceVTable kVTable = {CallMethod, GetProperty, nullptr, {nullptr}};

}  // namespace

DbusMenu *DbusMenuNew(GDBusConnection *connection, const char *path, DesktopIcon *icon) {
    GDBusNodeInfo *node = g_dbus_node_info_new_for_xml(kMenuXml, nullptr);
    if (node == nullptr) return nullptr;
    auto *menu = new DbusMenu;
    menu->icon = icon;
    menu->connection = static_cast<GDBusConnection *>(g_object_ref(connection));
    menu->node = node;
    menu->path = path;
    menu->objectId = g_dbus_connection_register_object(connection, path, node->interfaces[0], &kVTable, menu, Unref, nullptr);
    if (menu->objectId == 0) {
        Unref(menu);
        return nullptr;
    }
    ++menu->refs;
    return menu;
}

void DbusMenuChanged(DbusMenu *menu, bool changed) {
    if (changed) {
        ++menu->revision;
        g_dbus_connection_emit_signal(menu->connection, nullptr, menu->path.c_str(), "com.canonical.dbusmenu",
                                      "LayoutUpdated", g_variant_new("(ui)", menu->revision, 0), nullptr);
    }
    AnswerAll(menu, changed);
}

void DbusMenuFree(DbusMenu *menu) {
    AnswerAll(menu, false);
    menu->icon = nullptr;
    g_dbus_connection_unregister_object(menu->connection, menu->objectId);
    Unref(menu);
}

}  // namespace win32::shell32
