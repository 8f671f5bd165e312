// win32/shell32/launch_internal.h - opening a file with the desktop's default application
// through GIO (internal to shell32).
#ifndef WIN32_SHELL32_LAUNCH_INTERNAL_H
#define WIN32_SHELL32_LAUNCH_INTERNAL_H

namespace win32::shell32 {

// Opens the file with the default application of its type, started directly from its .desktop
// file's Exec line. Returns 33 when it was started, else an SE_ERR_ code (shellapi.h).
int OpenWithDefaultApplication(const char *path);
// Whether the desktop has a default application for a content type.
bool HasDefaultApplication(const char *contentType);

}  // namespace win32::shell32

#endif
