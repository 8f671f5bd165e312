// rte/events/clipboard.cpp - the clipboard of entries: the display's desktop clipboard when it set
// its hooks, else the engine's own text (rte/events/clipboard.h).
#include "rte/events/clipboard.h"

#include <mutex>

namespace rte::internal {
namespace {

std::mutex g_lock;                       // guards the three below
ClipboardReadHook g_read = nullptr;
ClipboardWriteHook g_write = nullptr;
std::string g_text;                      // the engine's own clipboard

}  // namespace

void SetClipboardHooks(ClipboardReadHook read, ClipboardWriteHook write) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_read = read;
    g_write = write;
}

std::string ClipboardText() {
    ClipboardReadHook read;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        if (g_read == nullptr) return g_text;
        read = g_read;
    }
    std::string text;
    return read(&text) ? text : std::string();
}

void SetClipboardText(const std::string &text) {
    ClipboardWriteHook write;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        if (g_write == nullptr) {
            g_text = text;
            return;
        }
        write = g_write;
    }
    write(text);
}

}  // namespace rte::internal
