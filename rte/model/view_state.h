// rte/model/view_state.h - what the operator sees of a panel beyond its values (internal, C++):
// the caret and selection of the entry being edited, the text typed into a numeric entry before
// it is committed, the button held down, where each list box is scrolled to, the open list of a
// ring and the open colour choice of a colour numeric. The operator-input layer
// (rte/events/operator_input.h) keeps it, the same for scripts, tests and the screen; the
// renderer draws a window with it. Display bitmaps draw without it. Guarded by ModelLock() with the panel that holds it.
#ifndef RTE_MODEL_VIEW_STATE_H
#define RTE_MODEL_VIEW_STATE_H

#include <map>
#include <string>

namespace rte::internal {

struct ViewState {
    bool hasFocus = false;        // the window has the keyboard: draw focus cues and the caret
    int pressedCtrl = 0;          // a button held down under the pointer
    bool buttonDown = false;      // the left button is held on pressedCtrl
    int editCtrl = 0;             // the entry that caret and selection belong to (0: none yet)
    int caret = -1;               // byte offset in the active control's text; -1 at the end
    int selStart = 0, selEnd = 0; // selected bytes [selStart, selEnd) of the active control
    int selecting = 0;            // the entry whose text the held left button selects
    int textScroll = 0;           // pixels of the edited entry's text scrolled out at the left
    int numericCtrl = 0;          // the numeric entry being typed into (0: none)
    std::string numericEdit;      // its text until it is committed (Enter, or the focus leaves)
    std::map<int, int> listTop;   // first visible line of a list box, by control ID
    int ringPopup = 0;            // the ring whose list of items is open over the panel (0: none)
    int ringHover = -1;           // the item of that list under the pointer or the arrow keys
    int colorChoice = 0;          // the colour numeric whose colour choice is open (0: none)
    int colorHover = -1;          // the swatch of that choice under the pointer or the arrow keys
    std::string colorTyped;       // the hex digits typed into its custom entry

    // Forgets a control that is gone.
    void Forget(int control) {
        if (pressedCtrl == control) {
            pressedCtrl = 0;
            buttonDown = false;
        }
        if (editCtrl == control) {
            editCtrl = 0;
            textScroll = 0;
        }
        if (selecting == control) selecting = 0;
        if (numericCtrl == control) numericCtrl = 0;
        if (ringPopup == control) {
            ringPopup = 0;
            ringHover = -1;
        }
        if (colorChoice == control) {
            colorChoice = 0;
            colorHover = -1;
            colorTyped.clear();
        }
        listTop.erase(control);
    }
};

}  // namespace rte::internal

#endif
