// rte/core/errors.cpp - texts of the engine's error codes and the break-on-library-errors switch.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "rte/core/errors.h"
#include "rte/engine.h"
#include "rte/threads.h"
#include "rte/graphics.h"
#include "rte/ui.h"

namespace {

// Off by default so that an operator session's output is only what the program prints.
std::atomic<int> g_breakOnErrors{-1};  // -1: not yet read from the environment

int BreakState() {
    int state = g_breakOnErrors.load();
    if (state < 0) {
        const char *env = std::getenv("RTE_BREAK_ON_LIBRARY_ERRORS");
        int fromEnv = (env != nullptr && std::strcmp(env, "1") == 0) ? 1 : 0;
        g_breakOnErrors.compare_exchange_strong(state, fromEnv);
        state = g_breakOnErrors.load();
    }
    return state;
}

}  // namespace

extern "C" const char *GetUILErrorString(int errorCode) {
    switch (errorCode) {
    case UIE_NO_ERROR: return "No error.";
    case UIE_NOT_INITIALIZED: return "The run-time engine has not been initialised.";
    case UIE_NO_DISPLAY: return "No display is available.";
    case UIE_WRONG_DATA_TYPE: return "The control's value is not of the data type needed.";
    case UIE_OUT_OF_MEMORY: return "Out of memory.";
    case UIE_BAD_COUNT: return "The count is not valid.";
    case UIE_FILE_NOT_FOUND: return "The panel resource file was not found.";
    case UIE_FILE_READ_ERROR: return "The panel resource file could not be read.";
    case UIE_BAD_FILE_FORMAT: return "The panel resource file is not in a valid format.";
    case UIE_RESOURCE_NOT_FOUND: return "The panel resource ID was not found in the file.";
    case UIE_CALLBACK_NOT_FOUND:
        return "A callback named in the panel resource file is not in the program's symbol table.";
    case UIE_BAD_PANEL: return "The panel handle is not valid.";
    case UIE_BAD_CONTROL: return "The control ID is not valid.";
    case UIE_WRONG_ATTRIBUTE: return "The attribute does not apply to this panel or control.";
    case UIE_BAD_ATTRIBUTE: return "The attribute is not valid.";
    case UIE_READ_ONLY_ATTRIBUTE: return "The attribute can be read but not set.";
    case UIE_NOT_LIST_CONTROL: return "The operation needs a list control.";
    case UIE_INDEX_OUT_OF_RANGE: return "The list index is out of range.";
    case UIE_LIST_EMPTY: return "The list control has no items.";
    case UIE_NO_VALUE: return "This kind of control has no value.";
    case UIE_BAD_STYLE: return "The control style is not valid.";
    case UIE_NOT_TOP_LEVEL: return "The operation needs a top-level panel.";
    case UIE_NO_PARENT_CHILD: return "The parent panel is not valid.";
    case UIE_LOOP_RUNNING: return "The event loop is already running on this thread.";
    case UIE_NO_CURRENT_ITEM: return "The list control has no current item.";
    case UIE_BUFFER_TOO_SMALL: return "The buffer is too small.";
    case UIE_BAD_USER_EVENT: return "User event numbers must be from 1000 to 10000.";
    case UIE_OPERATION_NOT_VALID: return "The operation is not valid for this attribute.";
    case UIE_NULL_POINTER: return "A required pointer argument is null.";
    case UIE_BAD_VALUE: return "The value is not valid.";
    case UIE_BAD_BITMAP: return "The bitmap ID is not valid.";
    case UIE_NO_IMAGE: return "The picture control has no image.";
    case UIE_BAD_FONT: return "The font is neither a metafont nor a typeface of this machine.";
    case UIE_FILE_OPEN_FAILED: return "The file could not be opened or queried.";
    case UIE_FILE_IO_ERROR: return "A file input or output operation failed.";
    case UIE_FILE_MISSING: return "The file does not exist.";
    case UIE_FILE_ACCESS_DENIED: return "Access to the file was denied, or the name is already taken.";
    case UIE_DISK_FULL: return "The disk is full.";
    case UIE_BAD_PATHNAME: return "The path name is badly formed or too long.";
    case UIE_NO_SUCH_THREAD: return "The thread has no event queue or has ended.";
    case RTE_THREAD_ERR_INVALID_HANDLE:
        return "The lock or variable handle is not valid, or the object was discarded.";
    case RTE_THREAD_ERR_NOT_OWNER: return "The lock is not held by the calling thread.";
    default: return "Unknown error code.";
    }
}

extern "C" int GetBreakOnLibraryErrors(void) { return BreakState(); }

extern "C" int SetBreakOnLibraryErrors(int on) {
    int previous = BreakState();
    g_breakOnErrors.store(on != 0 ? 1 : 0);
    return previous;
}

extern "C" void EnableBreakOnLibraryErrors(void) { SetBreakOnLibraryErrors(1); }
extern "C" void DisableBreakOnLibraryErrors(void) { SetBreakOnLibraryErrors(0); }

namespace rte::internal {

int Fail(const char *function, int code) {
    if (BreakState() == 1) {
        std::fprintf(stderr, "rte: %s failed: %d %s\n", function, code, GetUILErrorString(code));
    }
    return code;
}

}  // namespace rte::internal
