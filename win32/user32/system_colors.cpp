// GetSysColor: the engine's system colour table in Windows byte order.
#include "win32/engine_seam_internal.h"
#include "win32/winuser.h"

extern "C" DWORD GetSysColor(int index) {
    int rgb = RteGetSysColor(index);  // 0x00RRGGBB, or negative outside the table
    if (rgb < 0) return 0;
    auto value = static_cast<DWORD>(rgb);
    return ((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF);
}
