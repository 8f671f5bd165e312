// (being written)
#include "win32/shell32/desktop_icon_internal.h"
namespace win32::shell32 {
struct TrayEmbed {};
TrayEmbed *TrayEmbedNew(DesktopIcon *) { return nullptr; }
bool TrayEmbedDocked(const TrayEmbed *) { return false; }
void TrayEmbedLookChanged(TrayEmbed *) {}
void TrayEmbedFree(TrayEmbed *e) { delete e; }
void TrayEmbedCloseScreen() {}
}
