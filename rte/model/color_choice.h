// rte/model/color_choice.h - the colour choice a colour numeric (CTRL_COLOR_NUMERIC) opens over
// its panel (internal, C++): its colours and where its parts sit. The renderer draws by it and
// the operator-input layer hit-tests by it. Call with ModelLock() held.
//
// The choice shows a grid of the standard colours, 8 to a row (with ATTR_SHOW_MORE_COLORS a
// further row of greys), and below it a custom entry: a swatch and the colour as "#RRGGBB",
// into which the operator types hex digits.
#ifndef RTE_MODEL_COLOR_CHOICE_H
#define RTE_MODEL_COLOR_CHOICE_H

#include <string>
#include <vector>

#include "rte/model/ui_model.h"
#include "rte/model/view_state.h"

namespace rte::internal {

constexpr int kColorColumns = 8;
constexpr int kColorCell = 20;        // a swatch's cell; the swatch leaves 2 pixels round it
constexpr int kColorMargin = 4;
constexpr int kColorCustomHeight = 22;

// The colours of the grid, row by row.
std::vector<int> ColorChoiceColors(Panel &p, Control &c);

struct ColorChoiceGeometry {
    int top = 0, left = 0, height = 0, width = 0;
    int rows = 0, count = 0;
    int customTop = 0;                // the custom entry's row
};
// Below the colour numeric, or above it when the panel has no room below; kept inside the panel.
void ColorChoicePlace(Panel &p, Control &c, ColorChoiceGeometry *g);
// The grid index under a point (panel coordinates), kColorCustom on the custom entry, or -1.
constexpr int kColorCustom = -2;
int ColorChoiceItemAt(Panel &p, Control &c, int x, int y);

// A colour typed as text, blanks around allowed: "#RRGGBB" or "RRGGBB", CSS's short "#RGB" or
// "RGB" (#1A3 is #11AA33), or a number "0x..." of one to six hex digits. False for anything else
// ("#12" is no colour).
bool ParseColorText(const std::string &text, int *color);

}  // namespace rte::internal

#endif
