// HtmlHelpA of "Hhctrl.ocx": a help file opened in the desktop's application for it.
#include "win32/htmlhelp.h"
#include "win32/shell32/launch_internal.h"

#include <cstdint>
#include <new>
#include <string>

extern "C" HWND HtmlHelpA(HWND owner, LPCSTR file, UINT command, DWORD_PTR) {
    if (file == nullptr || (command != HH_DISPLAY_TOPIC && command != HH_HELP_CONTEXT)) return nullptr;
    try {
        // "help.chm::/topic.htm" names a topic inside the file: the application opens the file.
        std::string path = file;
        size_t topic = path.find("::");
        if (topic != std::string::npos) path.resize(topic);
        if (win32::shell32::OpenWithDefaultApplication(path.c_str()) <= 32) return nullptr;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
    return owner != nullptr ? owner : reinterpret_cast<HWND>(static_cast<uintptr_t>(1));
}
