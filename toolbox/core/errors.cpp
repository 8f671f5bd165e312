// Texts of the library's own error codes, the one lookup that describes any error code, and the
// break-on-library-errors switch. The tables are constant, so every lookup is thread-safe.
#include "toolbox/core/errors.h"

#include "rte/engine.h"
#include "rte/ui.h"
#include "toolbox/core/daq_errors_internal.h"

#include <cstdlib>

namespace {

constexpr const char kNoDescription[] = "No description available. ";

struct ToolboxError {
    int code;  // positive: the table is looked up by the code's absolute value
    const char *text;
};

constexpr ToolboxError kToolboxErrors[] = {
    {5001, "Could Not Open File For Reading"},
    {5002, "Error Reading From File"},
    {5003, "Could Not Find Unused Temporary File Name"},
    {5004, "Could Not Create Temporary File"},
    {5005, "Incorrect File Format"},
    {5006, "Unexpected End Of File"},
    {5021, "Invalid Integer Number"},
    {5022, "Invalid Unsigned Integer Number"},
    {5023, "Invalid Floating Point Number"},
    {5024, "Invalid Boolean Value"},
    {5025, "Missing Section"},
    {5026, "Missing Item"},
    {5027, "Unrecognized Value"},
    {5050, "Could not perform requested action because of an operation currently in progress"},
    {5051, "Too many items"},
    {5052, "Duplicate item or value"},
    {5060, "Panel is not a child panel of the correct panel"},
    {5065, "Could not open Registry Key"},
    {5066, "Could not set data for Registry Value"},
    {5067, "Could not access Registry Value"},
    {5068, "Registry Value does not exist"},
    {5069, "Incorrect type for Registry Value"},
    {5070, "Registry Key does not exist"},
    {5071, "Out of memory"},
    {5075, "Invalid display item"},
    {5080, "Message-callback not installed"},
    {5081, "Message-callback already installed."},
    {5082, "Panel not top-level."},
    {5083, "Panel does not have a callback function."},
    {5084, "Drag-and-Drop not enabled for panel"},
    {5085, "Invalid message-callback execution-mode"},
    {5087, "No menu for Tray Icon"},
    {5088, "Invalid item for Tray Icon popup menu"},
    {5089, "Invalid Tray Icon"},
    {5090, "Could not load icon from file"},
    {5093, "Could not load required system DLL"},
    {5094, "Required function not found in system DLL"},
    {5095, "Unknown system error"},
};

// |code| without overflow for INT_MIN.
long Magnitude(int code) { return std::labs(static_cast<long>(code)); }

// The driver's status text of a code taken as a 16-bit value, or of its negation when the code
// has no entry of its own (so 10034 finds -10034's text, while 10012 keeps its warning text).
const char *DaqErrorString(short code) {
    if (const char *text = toolbox::DaqErrorText(code))
        return text;
    if (const char *text = toolbox::DaqErrorText(static_cast<short>(-code)))
        return text;
    return kNoDescription;
}

}  // namespace

extern "C" const char *GetToolboxErrorString(int errorCode) {
    long magnitude = Magnitude(errorCode);
    for (const ToolboxError &e : kToolboxErrors)
        if (e.code == magnitude)
            return e.text;
    return kNoDescription;
}

extern "C" const char *GetGeneralErrorString(int errorCode) {
    long magnitude = Magnitude(errorCode);
    if (magnitude < 1000)
        return GetUILErrorString(errorCode);
    if (magnitude >= 5000 && magnitude < 6000)
        return GetToolboxErrorString(errorCode);
    if (magnitude == 6000)
        return "Invalid or corrupt language file";
    if (magnitude >= 10000 && magnitude < 11000)
        return DaqErrorString(static_cast<short>(errorCode));
    return kNoDescription;
}

extern "C" int SetBOLE(int on) {
    int old = GetBreakOnLibraryErrors();
    if (on)
        EnableBreakOnLibraryErrors();
    else
        DisableBreakOnLibraryErrors();
    return old;
}
