// rte/events/color_choice.h - the operator's colour choice of a colour numeric (internal, C++):
// opened over the panel when the operator commits the control (a click, Space, Enter), it
// offers the standard colours and a custom entry (rte/model/color_choice.h). Choosing a colour
// makes it the control's value (EVENT_VAL_CHANGED when it differs) and sends EVENT_COMMIT;
// closing it without a choice sends nothing. Functions lock the model themselves and call
// callbacks with it released.
#ifndef RTE_EVENTS_COLOR_CHOICE_H
#define RTE_EVENTS_COLOR_CHOICE_H

#include <string>

namespace rte::internal {

// Opens the choice of the colour numeric, its current colour marked when it is one of the grid.
void OpenColorChoice(int panel, int control);
bool ColorChoiceOpen(int panel);
// Closes it without a choice.
void CloseColorChoice(int panel);
// Makes color the control's value as a choice would: EVENT_VAL_CHANGED when it differs, then
// EVENT_COMMIT. False when the control cannot be changed now.
bool ChooseColor(int panel, int control, int color);
// Keys while it is open: the arrows, Home and End mark a swatch; hex digits are typed into the
// custom entry (Backspace takes one back); Enter chooses the typed colour when one is typed
// (six digits, or CSS's three; other counts choose nothing and leave it open), else the marked
// swatch, as Space does; Escape and Tab close it.
void ColorChoiceKey(int panel, int keyCode);
void ColorChoiceText(int panel, const std::string &text);
// The pointer over it marks the swatch under it; a click on a swatch chooses it, on the custom
// entry chooses the typed colour, anywhere else closes the choice.
void ColorChoicePointer(int panel, int x, int y);
void ColorChoiceClick(int panel, int x, int y);

}  // namespace rte::internal

#endif
