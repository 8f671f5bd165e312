// Shell services: drag and drop onto panels (a synchronous WM_DROPFILES callback that turns the
// drop into EVENT_FILES_DROPPED), documents opened with their default application, HTML help.
#include "toolbox/windows/shell_services.h"

#include "rte/alloc.h"
#include "rte/engine.h"
#include "rte/ui.h"
#include "toolbox/core/errors.h"
#include "toolbox/ui/callback_chain.h"
#include "toolbox/ui/callback_chain_internal.h"
#include "toolbox/windows/system_dlls.h"
#include "toolbox/windows/win_msg_callbacks.h"
#include "win32/htmlhelp.h"
#include "win32/windows.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// ---- Dropped files ----

// The drop being delivered on this thread (during the EVENT_FILES_DROPPED callback).
struct DeliveredDrop {
    char **list;  // null once taken
    POINT point;
};
thread_local DeliveredDrop *t_drop = nullptr;

HWND Hwnd(unsigned int window) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(window)); }

void FreeList(char **list) {
    if (list == nullptr) return;
    for (char **p = list; *p != nullptr; ++p) std::free(*p);
    std::free(list);
}

// The dropped files as a NULL-terminated array of malloc'ed paths; null when the array cannot
// be made. Paths that cannot be allocated end the list early.
char **BuildList(HDROP drop) {
    unsigned int count = 0;
    CallDragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0, &count);
    auto **list = static_cast<char **>(RteCalloc(static_cast<size_t>(count) + 1, sizeof(char *)));
    if (list == nullptr) return nullptr;
    for (unsigned int i = 0; i < count; ++i) {
        unsigned int length = 0;
        CallDragQueryFile(drop, i, nullptr, 0, &length);
        auto *path = static_cast<char *>(RteMalloc(static_cast<size_t>(length) + 1));
        if (path == nullptr) break;
        unsigned int copied = 0;
        CallDragQueryFile(drop, i, path, length + 1, &copied);
        path[copied] = '\0';
        list[i] = path;
    }
    return list;
}

int DropFilesHandler(int panel, int message, unsigned int *wParam, unsigned int *, void *) {
    if (message == MSG_PANEL_WINDOW_REPLACED) {
        CallDragAcceptFiles(Hwnd(*wParam), 1);  // the new window accepts drops too
        return 1;
    }
    if (message != WM_DROPFILES) return 1;
    auto drop = reinterpret_cast<HDROP>(static_cast<uintptr_t>(*wParam));
    char **list = BuildList(drop);
    if (list != nullptr) {
        DeliveredDrop delivered{list, {0, 0}};
        int inside = 0;
        int count = 0;
        while (list[count] != nullptr) ++count;
        if (CallDragQueryPoint(drop, &delivered.point, &inside) == 0 && inside) {
            DeliveredDrop *outer = t_drop;
            t_drop = &delivered;
            CallPanelCallback(panel, EVENT_FILES_DROPPED, count, 0, nullptr);
            t_drop = outer;
        }
        FreeList(delivered.list);  // not taken by the callback, or not delivered (outside)
    }
    CallDragFinish(drop);
    return 1;
}

// The window handle of a panel, read with break-on-library-errors off; false when it fails.
bool ReadWindow(int panel, unsigned int *window) {
    void *handle = nullptr;
    int old = GetBreakOnLibraryErrors();
    SetBreakOnLibraryErrors(0);
    int rc = GetPanelAttribute(panel, ATTR_SYSTEM_WINDOW_HANDLE, &handle);
    SetBreakOnLibraryErrors(old);
    *window = static_cast<unsigned int>(reinterpret_cast<uintptr_t>(handle));
    return rc >= 0;
}

// ---- Help ----

std::atomic<HMODULE> g_helpModule{nullptr};
std::atomic<FARPROC> g_htmlHelp{nullptr};

}  // namespace

extern "C" int EnableDragAndDrop(int panel) {
    // The panel's own callback must be there: with chained callbacks on the panel (message
    // callbacks among them) its callback attribute holds the chaining dispatcher, so the base
    // callback is what counts.
    PanelCallbackPtr base = nullptr;
    int old = GetBreakOnLibraryErrors();
    SetBreakOnLibraryErrors(0);
    int rc = GetBasePanelCallback(panel, &base);
    SetBreakOnLibraryErrors(old);
    if (rc < 0) return UIE_BAD_PANEL;
    if (base == nullptr) return TOOLBOX_ERR_NO_PANEL_CALLBACK;
    int window = 0;
    int status = AddWinMsgCallback(panel, WM_DROPFILES, DropFilesHandler, VAL_MSG_CALL_SYNCHRONOUS, nullptr, &window);
    if (status < 0) return status;
    status = CallDragAcceptFiles(Hwnd(static_cast<unsigned int>(window)), 1);
    if (status < 0) {
        RemoveWinMsgCallback(panel, WM_DROPFILES);
        return status;
    }
    return 0;
}

extern "C" int DisableDragAndDrop(int panel) {
    unsigned int window = 0;
    if (!ReadWindow(panel, &window)) return UIE_BAD_PANEL;
    int status = RemoveWinMsgCallback(panel, WM_DROPFILES);
    if (status == TOOLBOX_ERR_MSG_CALLBACK_NOT_INSTALLED) return TOOLBOX_ERR_DRAG_DROP_NOT_ENABLED;
    if (status < 0) return status;
    CallDragAcceptFiles(Hwnd(window), 0);
    return 0;
}

extern "C" char **TakeDroppedFileList(void) {
    if (t_drop == nullptr) return nullptr;
    char **list = t_drop->list;
    t_drop->list = nullptr;
    return list;
}

extern "C" int GetDropPoint(int *x, int *y) {
    if (t_drop == nullptr) return 0;
    if (x != nullptr) *x = t_drop->point.x;
    if (y != nullptr) *y = t_drop->point.y;
    return 1;
}

extern "C" int OpenDocumentInDefaultViewer(const char *documentPath, int windowState) {
    if (documentPath == nullptr) return UIE_NULL_POINTER;
    SHELLEXECUTEINFOA info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;  // porting: the record holds pointers, so its size is the platform's
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = documentPath;
    info.nShow = windowState == 1 ? SW_SHOWMINIMIZED : windowState == 2 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    int ok = 0;
    int status = CallShellExecuteEx(&info, &ok);
    if (status < 0) return status;
    if (ok) return 0;
    switch (static_cast<int>(reinterpret_cast<intptr_t>(info.hInstApp))) {
    case SE_ERR_FNF: case SE_ERR_PNF: return UIE_FILE_MISSING;
    case SE_ERR_ACCESSDENIED: case SE_ERR_SHARE: return UIE_FILE_ACCESS_DENIED;
    case SE_ERR_OOM: return UIE_OUT_OF_MEMORY;
    case SE_ERR_ASSOCINCOMPLETE: case SE_ERR_NOASSOC: return -5096;
    case SE_ERR_DLLNOTFOUND: return TOOLBOX_ERR_LOAD_SYSTEM_DLL;
    default: return TOOLBOX_ERR_SYSTEM;
    }
}

extern "C" int ShowHtmlHelp(const char *helpFile, unsigned int command, unsigned long data) {
    // No lock: two threads that load at once load the module twice, which only counts it twice.
    FARPROC function = g_htmlHelp.load();
    if (function == nullptr) {
        HMODULE module = LoadLibraryA("Hhctrl.ocx");
        if (module == nullptr) return TOOLBOX_ERR_LOAD_SYSTEM_DLL;
        function = GetProcAddress(module, "HtmlHelpA");
        if (function == nullptr) {
            FreeLibrary(module);
            return TOOLBOX_ERR_SYSTEM_FUNCTION_NOT_FOUND;
        }
        g_helpModule.store(module);
        g_htmlHelp.store(function);
    }
    auto htmlHelp = reinterpret_cast<HWND (*)(HWND, LPCSTR, UINT, DWORD_PTR)>(reinterpret_cast<void (*)(void)>(function));
    htmlHelp(nullptr, helpFile, command, data);
    return 0;
}
