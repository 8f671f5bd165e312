// The built-in modules of this library: "shell32.dll" (always there: dropped files and tray
// icons go through the engine, documents through GIO) and "Hhctrl.ocx", the help viewer, there
// only where the desktop has an application for HTML help files.
#include "win32/builtin_modules_internal.h"
#include "win32/htmlhelp.h"
#include "win32/shell32/launch_internal.h"
#include "win32/shellapi.h"

namespace {

template <typename F>
void (*Export(F *function))(void) {
    return reinterpret_cast<void (*)(void)>(function);
}

const Win32Export kShell32Exports[] = {
    {"DragQueryFile", Export(&DragQueryFileA)},
    {"DragQueryFileA", Export(&DragQueryFileA)},
    {"DragQueryPoint", Export(&DragQueryPoint)},
    {"DragAcceptFiles", Export(&DragAcceptFiles)},
    {"DragFinish", Export(&DragFinish)},
    {"Shell_NotifyIconA", Export(&Shell_NotifyIconA)},
    {"Shell_NotifyIconMenu", Export(&Shell_NotifyIconMenu)},
    {"ShellExecuteExA", Export(&ShellExecuteExA)},
};

const Win32Export kHhctrlExports[] = {
    {"HtmlHelpA", Export(&HtmlHelpA)},
};

// The content type of compiled HTML help files in the shared MIME database.
constexpr const char *kHelpType = "application/vnd.ms-htmlhelp";

int HelpViewerAvailable(void) { return win32::shell32::HasDefaultApplication(kHelpType) ? 1 : 0; }

}  // namespace

extern "C" const Win32BuiltinModule Win32Module_shell32 = {
    "shell32.dll", kShell32Exports, sizeof kShell32Exports / sizeof kShell32Exports[0], nullptr};

extern "C" const Win32BuiltinModule Win32Module_hhctrl = {
    "Hhctrl.ocx", kHhctrlExports, sizeof kHhctrlExports / sizeof kHhctrlExports[0], HelpViewerAvailable};
