// rte/events/operator_actions.cpp - the whole actions of operator scripts and tests: press,
// type, select, focus, a key stroke, typing, closing a panel, dropping files. Each checks that
// the operator can do it, acts through the one path of operator input, and processes the events
// it caused before it returns (rte/events/operator_input.h).
#include <new>

#include "rte/events/color_choice.h"
#include "rte/events/editing.h"
#include "rte/events/event_loop.h"
#include "rte/events/operator_input.h"
#include "rte/model/color_choice.h"
#include "rte/model/list_format.h"
#include "rte/events/pointer.h"
#include "rte/events/window_input.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

// The events an action caused are processed before it returns, but never the next script line
// (the idle hook): one action does not start the next.
void ProcessCausedEvents() {
    IdleHookHold hold;
    ProcessSystemEvents();
}

template <typename Action>
int OutOfMemoryGuard(Action action) {
    try {
        return action();
    } catch (const std::bad_alloc &) {
        ProcessCausedEvents();
        return UIE_OUT_OF_MEMORY;
    }
}

int Finish() {
    ProcessCausedEvents();
    return 0;
}

// Type's own typing: the selection is replaced by what was accepted, also by nothing.
void TypeOver(int panel, int control, const std::string &text) {
    std::string accepted;
    for (char ch : text) {
        if (CallCtrl(panel, control, EVENT_KEYPRESS, static_cast<unsigned char>(ch), 0) == 0) accepted += ch;
    }
    InsertText(panel, control, accepted);
}

bool IsColorNumeric(int panel, int control) {
    Lock hold(ModelLock());
    Control *c = FindControl(FindPanel(panel), control);
    return c != nullptr && c->style == CTRL_COLOR_NUMERIC;
}

}  // namespace

int PressCtrl(int panel, int control) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    return OutOfMemoryGuard([&] {
        int y = 0, x = 0;
        {
            Lock hold(ModelLock());
            Control *c = FindControl(FindPanel(panel), control);
            y = c->top + c->height / 2;
            x = c->left + c->width / 2;
        }
        // The click reaches the panel's window first, as the pointer's would.
        RteWindowInput in{};
        in.kind = RTE_INPUT_BUTTON_DOWN;
        in.x = x;
        in.y = y;
        in.clicks = 1;
        in.leftDown = 1;
        if (!PassWindowInput(panel, in)) return Finish();
        in.kind = RTE_INPUT_BUTTON_UP;
        in.leftDown = 0;
        if (!PassWindowInput(panel, in)) return Finish();
        if (CallCtrl(panel, control, EVENT_LEFT_CLICK, y, x) != 0) return Finish();
        if (CanFocus(panel, control)) FocusByOperator(panel, control);
        if (IsColorNumeric(panel, control)) OpenColorChoice(panel, control);  // a click opens it
        else ToggleAndCommit(panel, control);
        return Finish();
    });
}

int TypeIntoCtrl(int panel, int control, const std::string &text) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    if (IsColorNumeric(panel, control)) {
        // A colour typed as its colour choice's custom entry takes it.
        int color = 0;
        if (!ParseColorText(text, &color)) return UIE_BAD_VALUE;
        return OutOfMemoryGuard([&] {
            FocusByOperator(panel, control);
            if (!ChooseColor(panel, control, color)) {
                Finish();
                return UIE_BAD_VALUE;
            }
            return Finish();
        });
    }
    {
        Lock hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (!IsEntry(*c)) return UIE_WRONG_ATTRIBUTE;
        if (!IsEditable(*c)) return UIE_BAD_VALUE;
    }
    return OutOfMemoryGuard([&] {
        FocusByOperator(panel, control);
        SelectAll(panel, control);
        TypeOver(panel, control, text);
        // Text that is no number is refused before Enter: the typed text gives way to the value.
        bool refused = false;
        {
            Lock hold(ModelLock());
            Panel *p = FindPanel(panel);
            Control *c = FindControl(p, control);
            if (c == nullptr) return Finish();
            if (c->style == CTRL_NUMERIC && p->view.numericCtrl == control) {
                Control trial = *c;
                refused = SetValueFromText(trial, p->view.numericEdit) < 0;
            }
        }
        if (refused) {
            BeginEdit(panel, control);
            Finish();
            return UIE_BAD_VALUE;
        }
        KeyDown(panel, control, VAL_ENTER_VKEY, false);
        return Finish();
    });
}

int SelectInCtrl(int panel, int control, const std::string &label) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    int found = -1;
    {
        Lock hold(ModelLock());
        Control *c = FindControl(FindPanel(panel), control);
        if (!IsListStyle(c->style)) return UIE_NOT_LIST_CONTROL;
        if (c->mode == VAL_INDICATOR) return UIE_BAD_VALUE;
        for (size_t i = 0; i < c->items.size() && found < 0; ++i) {
            if (c->items[i].label == label) found = static_cast<int>(i);
        }
        // As the operator reads it: without its formatting codes.
        for (size_t i = 0; i < c->items.size() && found < 0; ++i) {
            if (VisibleListText(c->items[i].label) == label) found = static_cast<int>(i);
        }
    }
    if (found < 0) return UIE_BAD_VALUE;
    return OutOfMemoryGuard([&] {
        FocusByOperator(panel, control);
        if (ChooseItem(panel, control, found, 0, false)) CallCtrl(panel, control, EVENT_COMMIT, 0, 0);
        return Finish();
    });
}

int FocusCtrl(int panel, int control) {
    int rc = CheckOperable(panel, control, true);
    if (rc < 0) return rc;
    return OutOfMemoryGuard([&] {
        FocusByOperator(panel, control);
        return Finish();
    });
}

int KeystrokeOnCtrl(int panel, int control, int keyCode) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    return OutOfMemoryGuard([&] {
        Keystroke(panel, control, keyCode);
        return Finish();
    });
}

int TypeOnCtrl(int panel, int control, const std::string &text) {
    int rc = CheckOperable(panel, control, false);
    if (rc < 0) return rc;
    return OutOfMemoryGuard([&] {
        TypeText(panel, control, text);
        return Finish();
    });
}

int ClosePanelByOperator(int panel) {
    {
        Lock hold(ModelLock());
        if (FindPanel(panel) == nullptr) return UIE_BAD_PANEL;
    }
    return OutOfMemoryGuard([&] {
        CloseByOperator(panel);
        return Finish();
    });
}

int DropFilesOnPanel(int panel, const std::vector<std::string> &paths, int x, int y) {
    {
        Lock hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return UIE_BAD_PANEL;
        if (x == kPanelCentre) x = p->width / 2;
        if (y == kPanelCentre) y = p->height / 2;
    }
    return OutOfMemoryGuard([&] {
        DropOnPanel(panel, paths, x, y);
        return Finish();
    });
}

}  // namespace rte::internal
