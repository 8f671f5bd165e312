// The calling thread's last error code and the process id.
#include "win32/winbase.h"

#include <unistd.h>

namespace {
thread_local DWORD t_lastError = 0;
}

extern "C" DWORD GetLastError(void) { return t_lastError; }

extern "C" void SetLastError(DWORD errorCode) { t_lastError = errorCode; }

extern "C" DWORD GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }
