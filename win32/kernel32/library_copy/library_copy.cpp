// A loadable module carrying its own copy of kernel32, for the test that every copy of the
// library in a process shares one named mutex (named_mutex_copies_test.cpp). Linked with
// -Bsymbolic, so its calls stay inside its own copy.
#include "win32/winbase.h"

extern "C" HANDLE CopyCreateMutex(const char *name) { return CreateMutexA(nullptr, FALSE, name); }
extern "C" DWORD CopyWait(HANDLE handle, DWORD ms) { return WaitForSingleObject(handle, ms); }
extern "C" BOOL CopyRelease(HANDLE handle) { return ReleaseMutex(handle); }
extern "C" BOOL CopyClose(HANDLE handle) { return CloseHandle(handle); }
