// GetKeyboardType: what a PC's enhanced keyboard reports.
#include "win32/winuser.h"

extern "C" int GetKeyboardType(int typeFlag) {
    switch (typeFlag) {
        case 0: return 4;   // IBM enhanced (101- or 102-key) keyboard
        case 1: return 0;   // its subtype
        case 2: return 12;  // function keys
        default: return 0;
    }
}
