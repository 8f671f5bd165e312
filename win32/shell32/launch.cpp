// Opening a file with the desktop's default application through GIO: the file's type from the
// shared MIME database, the application from the XDG mime applications, launched by GIO from the
// application's Exec line without a shell.
#include "win32/shell32/launch_internal.h"

#include "win32/shellapi.h"

#include <gio/gio.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

namespace win32::shell32 {
namespace {

// The SE_ERR_ code of a path that cannot be opened, or 0 when it can be read.
int CheckPath(const char *path) {
    struct stat info;
    if (stat(path, &info) != 0) {
        if (errno == ENOMEM) return SE_ERR_OOM;
        if (errno == EACCES) return SE_ERR_ACCESSDENIED;
        std::string folder(path);
        size_t slash = folder.rfind('/');
        if (slash != std::string::npos && slash > 0) {
            folder.resize(slash);
            struct stat parent;
            if (stat(folder.c_str(), &parent) != 0 || !S_ISDIR(parent.st_mode)) return SE_ERR_PNF;
        }
        return SE_ERR_FNF;
    }
    return 0;
}

}  // namespace

bool HasDefaultApplication(const char *contentType) {
    GAppInfo *app = g_app_info_get_default_for_type(contentType, FALSE);
    if (app == nullptr) return false;
    g_object_unref(app);
    return true;
}

int OpenWithDefaultApplication(const char *path) {
    if (int code = CheckPath(path)) return code;
    GFile *file = g_file_new_for_path(path);
    GError *error = nullptr;
    GFileInfo *info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE, nullptr,
                                        &error);
    if (info == nullptr) {
        int code = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED) ? SE_ERR_ACCESSDENIED : SE_ERR_FNF;
        g_error_free(error);
        g_object_unref(file);
        return code;
    }
    const char *type = g_file_info_get_content_type(info);
    GAppInfo *app = type != nullptr ? g_app_info_get_default_for_type(type, FALSE) : nullptr;
    g_object_unref(info);
    if (app == nullptr) {
        g_object_unref(file);
        return SE_ERR_NOASSOC;
    }
    GList *files = g_list_append(nullptr, file);
    gboolean started = g_app_info_launch(app, files, nullptr, &error);
    g_list_free(files);
    g_object_unref(file);
    g_object_unref(app);
    if (!started) {
        g_clear_error(&error);
        return SE_ERR_DDEFAIL;
    }
    return 33;
}

}  // namespace win32::shell32

extern "C" BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA info) {
    if (info == nullptr || info->cbSize != sizeof(SHELLEXECUTEINFOA) || info->lpFile == nullptr ||
        (info->lpVerb != nullptr && info->lpVerb[0] != '\0' && std::string(info->lpVerb) != "open") ||
        (info->lpParameters != nullptr && info->lpParameters[0] != '\0')) {
        if (info != nullptr && info->cbSize == sizeof(SHELLEXECUTEINFOA)) info->hInstApp = nullptr;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int code = win32::shell32::OpenWithDefaultApplication(info->lpFile);
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(code));
    if (code > 32) return TRUE;
    switch (code) {
    case SE_ERR_FNF: SetLastError(ERROR_FILE_NOT_FOUND); break;
    case SE_ERR_PNF: SetLastError(ERROR_PATH_NOT_FOUND); break;
    case SE_ERR_ACCESSDENIED: SetLastError(ERROR_ACCESS_DENIED); break;
    case SE_ERR_OOM: SetLastError(ERROR_NOT_ENOUGH_MEMORY); break;
    case SE_ERR_NOASSOC: SetLastError(ERROR_NO_ASSOCIATION); break;
    default: SetLastError(ERROR_DDE_FAIL); break;
    }
    return FALSE;
}
