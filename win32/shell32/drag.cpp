// shell32's dropped files over the engine's drops (rte/system_windows.h): an HDROP is the
// engine's drop handle.
#include "win32/engine_seam_internal.h"
#include "win32/shellapi.h"

#include <cstdint>
#include <cstring>

namespace {

int DropOf(HDROP drop) {
    auto value = reinterpret_cast<uintptr_t>(drop);
    return value > 0 && value <= 0x7FFFFFFF ? static_cast<int>(value) : 0;
}

}  // namespace

extern "C" void DragAcceptFiles(HWND window, BOOL accept) {
    int old = SetBreakOnLibraryErrors(0);
    RteSetWindowAcceptsFiles(window, accept ? 1 : 0);
    SetBreakOnLibraryErrors(old);
}

extern "C" UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size) {
    int handle = DropOf(drop);
    if (index == 0xFFFFFFFFu) return static_cast<UINT>(RteDropFileCount(handle));
    const char *path = index <= 0x7FFFFFFF ? RteDropFile(handle, static_cast<int>(index)) : nullptr;
    if (path == nullptr) return 0;
    size_t length = std::strlen(path);
    if (buffer == nullptr) return static_cast<UINT>(length);
    if (size == 0) return 0;
    size_t n = length < size - 1 ? length : size - 1;
    std::memcpy(buffer, path, n);
    buffer[n] = '\0';
    return static_cast<UINT>(n);
}

extern "C" BOOL DragQueryPoint(HDROP drop, LPPOINT point) {
    if (point == nullptr) return FALSE;
    int x = 0, y = 0;
    int inside = RteDropPoint(DropOf(drop), &x, &y);
    point->x = x;
    point->y = y;
    return inside ? TRUE : FALSE;
}

extern "C" void DragFinish(HDROP drop) { RteFinishDrop(DropOf(drop)); }
