// toolbox/ui/colour_popup.cpp - the colour change popup: building it, its list lines, its
// callbacks and its loop (colour_popup.h).
//
// The popup runs its own loop over GetUserEvent: its buttons have no callbacks, so their commits
// (a click, their shortcut keys, the close box) come to that loop; the list box and the colour
// control have callbacks that keep the caller's list, the lines and the colour control in step.
// GetUserEvent with wait mode 0 returns at once, so the loop sets its own pace: when nothing
// came it sleeps a short while before it looks again, which keeps the processor idle.
#include <stdio.h>
#include <stdlib.h>

#include <chrono>
#include <thread>

#include "rte/alloc.h"
#include "rte/ui.h"
#include "toolbox/numeric/fp_compare.h"
#include "toolbox/ui/colour_popup.h"
#include "toolbox/ui/layout.h"

namespace {

constexpr int kContentWidth = 550, kPanelWidth = kContentWidth + 16, kSampleWidth = 130, kMargin = 8;
constexpr int kRight = kPanelWidth - kMargin;  // 558: where the buttons and "Sample:" end
constexpr auto kIdlePause = std::chrono::milliseconds(10);

struct ColorPopupState {
    int changed;
    int panel, listCtrl, colorCtrl;
    int swatchPosition;  // (550 - 5) - 130 = 415
    int swatchWidth;     // (550 - 415) - 26 = 109
    ListHandle colorList;
    void *callbackData;
    ColorChangeCallback callback;
    int error;           // the first error a callback met; ends the loop
};

ColorListEntry *Entry(ListHandle list, int position) {
    return static_cast<ColorListEntry *>(ListGetPtrToItem(list, position));
}

// One line of the list: the name, then at the swatch column a 1-pixel separator and the swatch
// of the colour (list box formatting codes). The line is sized from the name, so a name of any
// length fits. NULL when out of memory; the caller frees it.
char *FormatColorLine(const ColorPopupState &s, const ColorListEntry &e) {
    const char *format = "%s\033p%dl\033fgCCCCCC\033drawfilledbox001CCCCCC\033fg%6.6x\033drawfilledbox%3.3d%6.6x";
    const char *name = e.colorName != nullptr ? e.colorName : "";
    unsigned color = static_cast<unsigned>(e.color) & 0xFFFFFF;
    int length = snprintf(nullptr, 0, format, name, s.swatchPosition, 0xFFFFFFu, s.swatchWidth, color);
    if (length < 0) return nullptr;
    char *line = static_cast<char *>(RteMalloc(static_cast<size_t>(length) + 1));
    if (line != nullptr) {
        snprintf(line, static_cast<size_t>(length) + 1, format, name, s.swatchPosition, 0xFFFFFFu, s.swatchWidth, color);
    }
    return line;
}

int FillColorList(const ColorPopupState &s) {
    int count = ListNumItems(s.colorList);
    for (int position = 1; position <= count; ++position) {
        char *line = FormatColorLine(s, *Entry(s.colorList, position));
        if (line == nullptr) return UIE_OUT_OF_MEMORY;
        int rc = InsertListItem(s.panel, s.listCtrl, -1, line, position);
        free(line);
        if (rc < 0) return rc;
    }
    return 0;
}

// Rebuilds the line at a list index from its colour.
int ReplaceColorLine(const ColorPopupState &s, int index) {
    int position = 0;
    int rc = GetValueFromIndex(s.panel, s.listCtrl, index, &position);
    if (rc < 0) return rc;
    ColorListEntry *e = Entry(s.colorList, position);
    if (e == nullptr) return UIE_INDEX_OUT_OF_RANGE;
    char *line = FormatColorLine(s, *e);
    if (line == nullptr) return UIE_OUT_OF_MEMORY;
    rc = ReplaceListItem(s.panel, s.listCtrl, index, line, position);
    free(line);
    return rc;
}

int RefreshColorLines(const ColorPopupState &s) {
    int count = 0;
    int rc = GetNumListItems(s.panel, s.listCtrl, &count);
    for (int index = 0; rc == 0 && index < count; ++index) rc = ReplaceColorLine(s, index);
    return rc;
}

// The colour control shows the selected colour (nothing to show in an empty list).
void ShowSelectedColor(const ColorPopupState &s) {
    int position = 0;
    if (GetCtrlVal(s.panel, s.listCtrl, &position) < 0) return;
    if (ColorListEntry *e = Entry(s.colorList, position)) SetCtrlVal(s.panel, s.colorCtrl, e->color & 0xFFFFFF);
}

int ColorListCallback(int, int, int event, void *callbackData, int, int) {
    if (event == EVENT_VAL_CHANGED) ShowSelectedColor(*static_cast<ColorPopupState *>(callbackData));
    return 0;
}

int ColorNumericCallback(int, int, int event, void *callbackData, int, int) {
    auto &s = *static_cast<ColorPopupState *>(callbackData);
    int index = -1;
    GetCtrlIndex(s.panel, s.listCtrl, &index);
    if (event == EVENT_VAL_CHANGED && index >= 0) {
        int color = 0, position = 0;
        GetCtrlVal(s.panel, s.colorCtrl, &color);
        GetValueFromIndex(s.panel, s.listCtrl, index, &position);
        if (ColorListEntry *e = Entry(s.colorList, position)) e->color = color;
        int rc = ReplaceColorLine(s, index);
        if (rc < 0 && s.error == 0) s.error = rc;  // the popup's loop ends with it
    } else if (event == EVENT_COMMIT) {
        s.changed = 1;
        if (index >= 0 && s.callback != nullptr) s.callback(s.colorList, s.callbackData, index + 1);
    }
    return 0;
}

struct Controls {
    int ok = 0, cancel = 0, defaults = 0, nameText = 0, sampleText = 0;
};

// Makes and places the popup's controls. An error of any creation step ends it.
int BuildPopup(ColorPopupState *s, Controls *k, const char *title, int allowDefault) {
    s->panel = NewPanel(0, title, 30, 30, 200, 200);
    if (s->panel < 0) return s->panel;
    int panel = s->panel;
    SetPanelAttribute(panel, ATTR_HAS_TASKBAR_BUTTON_OFF, 1);
    int made[] = {
        k->ok = NewCtrl(panel, CTRL_COMMAND_BUTTON, "__OK", 10, 10),
        k->cancel = NewCtrl(panel, CTRL_COMMAND_BUTTON, "  __Cancel  ", 10, 10),
        k->defaults = NewCtrl(panel, CTRL_COMMAND_BUTTON, "__Default", 10, 10),
        s->colorCtrl = NewCtrl(panel, CTRL_COLOR_NUMERIC, "Color:", 0, 0),
        k->nameText = NewCtrl(panel, CTRL_TEXT_MSG, "Color Name:", kMargin, kMargin),
        k->sampleText = NewCtrl(panel, CTRL_TEXT_MSG, "Sample:", kMargin, 0),
        s->listCtrl = NewCtrl(panel, CTRL_LIST_BOX, "", 0, kMargin),
    };
    for (int id : made) {
        if (id < 0) return id;
    }
    SetCtrlAttribute(panel, k->sampleText, ATTR_LEFT, kRight - kSampleWidth);
    int nameHeight = 0;
    GetCtrlAttribute(panel, k->nameText, ATTR_HEIGHT, &nameHeight);
    int running = kMargin + nameHeight + 4;

    int rc = InstallCtrlCallback(panel, s->listCtrl, ColorListCallback, s);
    if (rc < 0) return rc;
    SetCtrlAttribute(panel, s->listCtrl, ATTR_VISIBLE_LINES, static_cast<int>(Pin(ListNumItems(s->colorList), 5, 10)));
    SetCtrlAttribute(panel, s->listCtrl, ATTR_TOP, running);
    SetCtrlAttribute(panel, s->listCtrl, ATTR_WIDTH, kContentWidth);
    int listHeight = 0;
    GetCtrlAttribute(panel, s->listCtrl, ATTR_HEIGHT, &listHeight);
    running += listHeight + kMargin;

    int labelWidth = 0;
    SetCtrlAttribute(panel, s->colorCtrl, ATTR_TOP, running);
    SetCtrlAttribute(panel, s->colorCtrl, ATTR_LABEL_TOP, running);
    GetCtrlAttribute(panel, s->colorCtrl, ATTR_LABEL_WIDTH, &labelWidth);
    SetCtrlAttribute(panel, s->colorCtrl, ATTR_LEFT, labelWidth + kMargin + 10);
    SetCtrlAttribute(panel, s->colorCtrl, ATTR_LABEL_LEFT, kMargin);
    SetCtrlAttribute(panel, s->colorCtrl, ATTR_LABEL_TOP, VAL_AUTO_CENTER);
    SetCtrlAttribute(panel, s->colorCtrl, ATTR_SHOW_MORE_COLORS, 0);
    rc = InstallCtrlCallback(panel, s->colorCtrl, ColorNumericCallback, s);
    if (rc < 0) return rc;

    // The buttons: all as wide as the widest, in a row ending at the right margin. (These build
    // lists of the buttons, which may fail: buttons left on top of each other are no popup.)
    rc = SetCtrlsToAttributeExtreme(panel, ATTR_WIDTH, 0, 3, k->ok, k->cancel, k->defaults);
    if (rc == 0) rc = SetAttributeForCtrls(panel, ATTR_TOP, running, 3, k->ok, k->cancel, k->defaults);
    if (rc < 0) return rc;
    int w = 0, buttonHeight = 0;
    GetCtrlAttribute(panel, k->ok, ATTR_WIDTH, &w);
    GetCtrlAttribute(panel, k->ok, ATTR_HEIGHT, &buttonHeight);
    SetCtrlAttribute(panel, k->cancel, ATTR_LEFT, kRight - w);
    SetCtrlAttribute(panel, k->ok, ATTR_LEFT, kRight - 2 * w - 16);
    SetCtrlAttribute(panel, k->defaults, ATTR_LEFT, kRight - 3 * w - 32);

    SetPanelAttribute(panel, ATTR_HEIGHT, running + buttonHeight + 16);
    SetPanelAttribute(panel, ATTR_WIDTH, kPanelWidth);
    SetPanelPos(panel, VAL_AUTO_CENTER, VAL_AUTO_CENTER);
    SetCommonDialogShortcutKeys(panel, k->ok, k->cancel, k->cancel);
    if (!allowDefault) SetCtrlAttribute(panel, k->defaults, ATTR_VISIBLE, 0);
    // Tab goes as the eye reads the popup: the list, the colour below it, then the buttons
    // from the left (they were made first, so they would come first).
    const int tabOrder[] = {s->listCtrl, s->colorCtrl, k->defaults, k->ok, k->cancel};
    for (int position = 0; position < 5; ++position) {
        SetCtrlAttribute(panel, tabOrder[position], ATTR_CTRL_TAB_POSITION, position);
    }

    rc = FillColorList(*s);
    if (rc < 0) return rc;
    SetActiveCtrl(panel, s->listCtrl);
    ShowSelectedColor(*s);
    return InstallPopup(panel);
}

// Every colour back to its default, the lines rebuilt; the caller is told.
int ApplyDefaults(ColorPopupState *s) {
    s->changed = 1;
    int count = ListNumItems(s->colorList);
    for (int position = 1; position <= count; ++position) {
        ColorListEntry *e = Entry(s->colorList, position);
        e->color = e->defaultColor;
    }
    int rc = RefreshColorLines(*s);
    if (rc < 0) return rc;
    ShowSelectedColor(*s);
    if (s->callback != nullptr) s->callback(s->colorList, s->callbackData, -1);
    return 0;
}

// The colours as they were when the popup opened; the caller is told.
int RestoreColors(ColorPopupState *s, ListHandle copy) {
    if (s->changed) {
        ListClear(s->colorList);
        if (!ListAppend(s->colorList, copy)) return UIE_OUT_OF_MEMORY;
        if (s->callback != nullptr) s->callback(s->colorList, s->callbackData, -1);
    }
    s->changed = 0;
    return 0;
}

// Runs the popup until OK or Cancel; an error ends it.
int RunPopup(ColorPopupState *s, const Controls &k, ListHandle copy) {
    for (;;) {
        int panel = 0, control = 0;
        int event = GetUserEvent(0, &panel, &control);
        if (event < 0) return event;
        if (s->error < 0) return s->error;
        if (event == 0) {
            std::this_thread::sleep_for(kIdlePause);
            continue;
        }
        if (event != EVENT_COMMIT || panel != s->panel) continue;  // events of other panels
        if (control == k.cancel) return RestoreColors(s, copy);
        if (control == k.ok) return 0;
        if (control == k.defaults) {
            int rc = ApplyDefaults(s);
            if (rc < 0) return rc;
        }
    }
}

}  // namespace

extern "C" int ColorChangePopup(const char *title, ListHandle colorList, int allowDefault, ColorChangeCallback callback,
                                void *callbackData) {
    if (title == nullptr || colorList == nullptr) return UIE_NULL_POINTER;
    if (ListGetItemSize(colorList) < static_cast<int>(sizeof(ColorListEntry))) return UIE_BAD_VALUE;
    ListHandle copy = ListCopy(colorList);
    if (copy == nullptr) return UIE_OUT_OF_MEMORY;
    ColorPopupState s = {};
    s.swatchPosition = (kContentWidth - 5) - kSampleWidth;
    s.swatchWidth = (kContentWidth - s.swatchPosition) - 26;
    s.colorList = colorList;
    s.callback = callback;
    s.callbackData = callbackData;
    Controls k;
    int rc = BuildPopup(&s, &k, title, allowDefault);
    if (rc == 0) rc = RunPopup(&s, k, copy);
    if (s.panel > 0) DiscardPanel(s.panel);
    ListDispose(copy);
    return rc < 0 ? rc : s.changed;
}
