// rte/events/color_choice.cpp - the operator's colour choice of a colour numeric
// (rte/events/color_choice.h), on the geometry of rte/model/color_choice.h.
#include "rte/events/color_choice.h"

#include <algorithm>

#include "rte/events/editing.h"
#include "rte/model/color_choice.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

// The panel and its colour numeric with the choice open, or null.
Panel *OpenOn(int panel, Control **c) {
    Panel *p = FindPanel(panel);
    *c = p != nullptr ? FindControl(p, p->view.colorChoice) : nullptr;
    return *c != nullptr ? p : nullptr;
}

// What Enter (or a click on the custom entry) chooses: the typed colour, else the marked swatch;
// -1 when there is nothing to choose, or the digits typed are no colour (the choice stays open
// for more of them).
int PendingColor(Panel &p, Control &c, bool typedOnly) {
    int color;
    if (!p.view.colorTyped.empty()) return ParseColorText(p.view.colorTyped, &color) ? color : -1;
    if (typedOnly) return -1;
    std::vector<int> colors = ColorChoiceColors(p, c);
    int hover = p.view.colorHover;
    return hover >= 0 && hover < static_cast<int>(colors.size()) ? colors[static_cast<size_t>(hover)] : -1;
}

// Closes the choice and chooses color (when not -1).
void Finish(int panel, int control, int color) {
    CloseColorChoice(panel);
    if (color >= 0) ChooseColor(panel, control, color);
}

}  // namespace

void OpenColorChoice(int panel, int control) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    Control *c = FindControl(p, control);
    if (c == nullptr || c->style != CTRL_COLOR_NUMERIC || !IsEditable(*c)) return;
    std::vector<int> colors = ColorChoiceColors(*p, *c);
    auto at = std::find(colors.begin(), colors.end(), static_cast<int>(c->number));
    p->view.colorChoice = control;
    p->view.colorHover = at == colors.end() ? 0 : static_cast<int>(at - colors.begin());
    p->view.colorTyped.clear();
    NoteModelChange();
}

bool ColorChoiceOpen(int panel) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    return p != nullptr && p->view.colorChoice != 0;
}

void CloseColorChoice(int panel) {
    Lock hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr || p->view.colorChoice == 0) return;
    p->view.colorChoice = 0;
    p->view.colorHover = -1;
    p->view.colorTyped.clear();
    NoteModelChange();
}

bool ChooseColor(int panel, int control, int color) {
    bool changed;
    {
        Lock hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (c == nullptr || c->style != CTRL_COLOR_NUMERIC || !IsEditable(*c) || color < 0 || color > 0xFFFFFF) return false;
        changed = c->number != color;
        c->number = color;
        if (changed) NoteModelChange();
    }
    if (changed) CallCtrl(panel, control, EVENT_VAL_CHANGED, 0, 0);
    CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
    return true;
}

void ColorChoiceKey(int panel, int keyCode) {
    int control = 0, chosen = -1;
    bool close = false;
    {
        Lock hold(ModelLock());
        Control *c;
        Panel *p = OpenOn(panel, &c);
        if (p == nullptr) return;
        control = c->id;
        int count = static_cast<int>(ColorChoiceColors(*p, *c).size());
        int &hover = p->view.colorHover;
        NoteModelChange();
        switch (keyCode & 0xFFFF) {
        case VAL_LEFT_ARROW_VKEY: hover = std::max(0, hover - 1); return;
        case VAL_RIGHT_ARROW_VKEY: hover = std::min(count - 1, hover + 1); return;
        case VAL_UP_ARROW_VKEY: hover = hover >= kColorColumns ? hover - kColorColumns : hover; return;
        case VAL_DOWN_ARROW_VKEY: hover = hover + kColorColumns < count ? hover + kColorColumns : hover; return;
        case VAL_HOME_VKEY: hover = 0; return;
        case VAL_END_VKEY: hover = count - 1; return;
        case VAL_BACKSPACE_VKEY:
            if (!p->view.colorTyped.empty()) p->view.colorTyped.pop_back();
            return;
        case VAL_ENTER_VKEY: chosen = PendingColor(*p, *c, false); break;
        case ' ':
            p->view.colorTyped.clear();
            chosen = PendingColor(*p, *c, false);
            break;
        case VAL_ESC_VKEY: case VAL_TAB_VKEY: close = true; break;
        default: return;  // characters come as text
        }
    }
    if (close || chosen >= 0) Finish(panel, control, chosen);
}

void ColorChoiceText(int panel, const std::string &text) {
    Lock hold(ModelLock());
    Control *c;
    Panel *p = OpenOn(panel, &c);
    if (p == nullptr) return;
    for (char ch : text) {
        bool hex = (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
        if (hex && p->view.colorTyped.size() < 6) p->view.colorTyped += ch;
    }
    NoteModelChange();
}

void ColorChoicePointer(int panel, int x, int y) {
    Lock hold(ModelLock());
    Control *c;
    Panel *p = OpenOn(panel, &c);
    if (p == nullptr) return;
    int item = ColorChoiceItemAt(*p, *c, x, y);
    if (item >= 0 && item != p->view.colorHover) {
        p->view.colorHover = item;
        NoteModelChange();
    }
}

void ColorChoiceClick(int panel, int x, int y) {
    int control = 0, chosen = -1;
    {
        Lock hold(ModelLock());
        Control *c;
        Panel *p = OpenOn(panel, &c);
        if (p == nullptr) return;
        control = c->id;
        int item = ColorChoiceItemAt(*p, *c, x, y);
        if (item >= 0) {
            p->view.colorHover = item;
            p->view.colorTyped.clear();
            chosen = PendingColor(*p, *c, false);
        } else if (item == kColorCustom) {
            chosen = PendingColor(*p, *c, true);
            if (chosen < 0) return;  // nothing typed yet: the choice stays open
        }
    }
    Finish(panel, control, chosen);
}

}  // namespace rte::internal
