// The wallpaper through GSettings (org.gnome.desktop.background), where the schema is
// installed and its settings store can be reached.
#include "win32/user32/desktop_internal.h"

#include <gio/gio.h>
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gsettingsbackend.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

namespace win32::desktop {

namespace {

constexpr const char kSchema[] = "org.gnome.desktop.background";

// The schema, or null where it is not installed or the desktop is to be ignored. The dconf
// store lives behind the session bus: without a bus address it would take the change and lose
// it, so the desktop counts as absent then.
GSettingsSchema *Schema() {
    if (DesktopIgnored()) return nullptr;
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    if (source == nullptr) return nullptr;
    GSettingsSchema *schema = g_settings_schema_source_lookup(source, kSchema, TRUE);
    if (schema == nullptr) return nullptr;
    GSettingsBackend *backend = g_settings_backend_get_default();
    const char *type = G_OBJECT_TYPE_NAME(backend);
    bool needsBus = type != nullptr && std::strstr(type, "DConf") != nullptr;
    g_object_unref(backend);
    if (needsBus) {
        const char *address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        const char *runtime = std::getenv("XDG_RUNTIME_DIR");
        struct stat st;
        bool bus = (address != nullptr && address[0] != '\0') ||
                   (runtime != nullptr && stat((std::string(runtime) + "/bus").c_str(), &st) == 0);
        if (!bus) {
            g_settings_schema_unref(schema);
            return nullptr;
        }
    }
    return schema;
}

}  // namespace

Outcome GSettingsSetWallpaper(const std::string &path, bool tile) {
    GSettingsSchema *schema = Schema();
    if (schema == nullptr) return Outcome::kNoDesktop;
    std::string uri;
    if (!path.empty()) {
        gchar *absolute = g_canonicalize_filename(path.c_str(), nullptr);
        gchar *fileUri = g_filename_to_uri(absolute, nullptr, nullptr);
        g_free(absolute);
        if (fileUri == nullptr) {
            g_settings_schema_unref(schema);
            return Outcome::kFailed;
        }
        uri = fileUri;
        g_free(fileUri);
    }
    GSettings *settings = g_settings_new_full(schema, nullptr, nullptr);
    bool ok = g_settings_set_string(settings, "picture-uri", uri.c_str());
    if (ok && g_settings_schema_has_key(schema, "picture-uri-dark")) {
        ok = g_settings_set_string(settings, "picture-uri-dark", uri.c_str());
    }
    if (ok && g_settings_schema_has_key(schema, "picture-options")) {
        ok = g_settings_set_enum(settings, "picture-options", tile ? 1 /* wallpaper */ : 2 /* centered */);
    }
    g_settings_sync();
    g_object_unref(settings);
    g_settings_schema_unref(schema);
    return ok ? Outcome::kDone : Outcome::kFailed;
}

Outcome GSettingsGetWallpaper(std::string *path) {
    GSettingsSchema *schema = Schema();
    if (schema == nullptr) return Outcome::kNoDesktop;
    GSettings *settings = g_settings_new_full(schema, nullptr, nullptr);
    gchar *uri = g_settings_get_string(settings, "picture-uri");
    Outcome outcome = Outcome::kDone;
    if (uri == nullptr || uri[0] == '\0') {
        path->clear();
    } else {
        gchar *file = g_filename_from_uri(uri, nullptr, nullptr);
        if (file != nullptr) {
            *path = file;
        } else {
            outcome = Outcome::kFailed;  // not a local file: no path to give
        }
        g_free(file);
    }
    g_free(uri);
    g_object_unref(settings);
    g_settings_schema_unref(schema);
    return outcome;
}

}  // namespace win32::desktop
