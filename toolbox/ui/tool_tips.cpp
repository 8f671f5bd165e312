// Tool tips: one CtrlToolTip per control with a tip, chained on the control ("CtrlToolTip"), and
// one SharedTipPanel per top-level panel, chained on that panel and on the timer of its tip
// panel ("SharedTipPanel"). The timer looks at every tip of the panel each 0.4 s and moves its
// hover state: idle -> armed (pointer over the control) -> shown (still there, moved less than
// 3 pixels each way since the last look) -> idle (pointer gone). Everything runs on the thread
// that owns the panels.
//
// Discarding. The engine sends EVENT_DISCARD to child panels first, then to a panel's controls,
// then to the panel, so a top-level panel's tips (its controls', and its child panels') go
// before its shared panel does. Should a tip's control outlive the shared panel all the same,
// the shared panel, when it goes, leaves each tip still listed without a shared panel, and such
// a tip does nothing more: no freed SharedTipPanel is ever reached from a tip.
#include "toolbox/ui/tool_tips.h"

#include "rte/alloc.h"
#include "rte/graphics.h"
#include "rte/ui.h"
#include "toolbox/containers/list.h"
#include "toolbox/core/errors.h"
#include "toolbox/text/strings.h"
#include "toolbox/ui/callback_chain.h"
#include "toolbox/ui/panel_thread_internal.h"
#include "win32/winuser.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

enum HoverState { TIP_IDLE = 0, TIP_ARMED = 1, TIP_SHOWN = 2 };

const char kTipType[] = "CtrlToolTip";
const char kSharedType[] = "SharedTipPanel";
const double kTipTimerInterval = 0.4;  // seconds between two looks at the pointer
const int kRestSlack = 3;              // a pointer moving less than this each way rests
// How a tip looks: its text this far inside its one-pixel border, and the border this far
// inside the window it shows in.
const int kTipPadX = 6, kTipPadY = 3;
const int kTipFrame = 1;
const int kTipMargin = kTipFrame + 2;

struct SharedTipPanel;

struct CtrlToolTip {
    SharedTipPanel *shared;  // the shared panel of the control's top-level panel; NULL once gone
    int hoverState;
    Point lastPoint;         // pointer at the previous look, coordinates of the control's panel
    char *text;              // the tip's own copy; "" shows nothing
    int panel;
    int control;
};

struct SharedTipPanel {
    int ownerPanel;           // the top-level panel
    ListHandle tips;          // CtrlToolTip pointers of the tips under ownerPanel, each once
    int tipPanel;             // child panel of ownerPanel showing the active tip
    int timerCtrl;            // timer on tipPanel
    int textCtrl;             // text message on tipPanel holding the tip's text
    CtrlToolTip *currentTip;  // the tip shown now, or NULL
};

// ---- Colours: the system's info colours, read once per process ----

// 0x00BBGGRR (the system's form) to the engine's 0x00RRGGBB.
int SysColorToRGB(DWORD color) {
    return static_cast<int>(((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF));
}

int TipBackgroundColor() {
    static const int color = SysColorToRGB(GetSysColor(COLOR_INFOBK));
    return color;
}

int TipTextColor() {
    static const int color = SysColorToRGB(GetSysColor(COLOR_INFOTEXT));
    return color;
}

// ---- Geometry ----

int GetTopLevelPanel(int panel, int *topLevel) {
    for (;;) {
        int parent = 0;
        int status = GetPanelAttribute(panel, ATTR_PANEL_PARENT, &parent);
        if (status < 0) return status;
        if (parent == 0) {
            *topLevel = panel;
            return 0;
        }
        panel = parent;
    }
}

// Moves a point between the coordinates of two panels. Upward: source lies inside target (or
// target is 0, the screen), and the point goes from source's coordinates into target's;
// UIE_BAD_COUNT when target is not one of source's ancestors. Otherwise the other way round.
int ConvertPanelPoint(int target, int source, Point *point, int upward) {
    if (target == source) return 0;
    if (!upward) {
        Point offset = MakePoint(0, 0);
        int status = ConvertPanelPoint(source, target, &offset, 1);
        if (status < 0) return status;
        point->x -= offset.x;
        point->y -= offset.y;
        return 0;
    }
    for (int panel = source; panel != target;) {
        if (panel == 0) return UIE_BAD_COUNT;
        int left = 0, top = 0, parent = 0, status;
        if ((status = GetPanelAttribute(panel, ATTR_LEFT, &left)) < 0 ||
            (status = GetPanelAttribute(panel, ATTR_TOP, &top)) < 0 ||
            (status = GetPanelAttribute(panel, ATTR_PANEL_PARENT, &parent)) < 0)
            return status;
        point->x += left;
        point->y += top;
        panel = parent;
    }
    return 0;
}

// r moved (not resized) to lie inside bounds where it fits; where it is wider (taller) than
// bounds it starts at their left (top).
Rect ConstrainRectToRect(Rect bounds, Rect r) {
    if (bounds.width < r.width || r.left < bounds.left) r.left = bounds.left;
    else if (RectRight(bounds) < RectRight(r)) r.left = RectRight(bounds) - r.width;
    if (bounds.height < r.height || r.top < bounds.top) r.top = bounds.top;
    else if (RectBottom(bounds) < RectBottom(r)) r.top = RectBottom(bounds) - r.height;
    return r;
}

// ---- Showing and hiding ----

void HideSharedTip(SharedTipPanel *shared) {
    if (!shared->currentTip) return;
    int oldBreak = SetBOLE(0);  // the tip panel may be on its way out with its owner
    SetPanelAttribute(shared->tipPanel, ATTR_VISIBLE, 0);
    shared->currentTip = nullptr;
    SetBOLE(oldBreak);
}

void HideToolTip(CtrlToolTip *tip) {
    if (tip->shared && tip->shared->currentTip == tip) HideSharedTip(tip->shared);
}

// The width of a text in the tip's text control (which sizes itself to its text); 0 when it
// cannot be set.
int TextWidthInTip(SharedTipPanel *shared, const char *text) {
    int width = 0;
    if (SetCtrlVal(shared->tipPanel, shared->textCtrl, text) < 0) return 0;
    GetCtrlAttribute(shared->tipPanel, shared->textCtrl, ATTR_WIDTH, &width);
    return width;
}

// Puts a tip's text into the tip's text control, broken at blanks into lines no wider than
// maxWidth where a line can be (a longer word keeps a line of its own). The breaks replace
// blanks in a copy, measured a line at a time; without memory for the copy the text stays on
// one line, as wrapping only helps the eye.
int SetTipText(SharedTipPanel *shared, const char *text, int maxWidth) {
    size_t length = std::strlen(text);
    char *lines = nullptr;
    if (maxWidth <= 0 || TextWidthInTip(shared, text) <= maxWidth ||
        (lines = static_cast<char *>(RteMalloc(length + 1))) == nullptr)
        return SetCtrlVal(shared->tipPanel, shared->textCtrl, text);
    std::memcpy(lines, text, length + 1);
    size_t lineStart = 0, lastBlank = length;  // lastBlank: a break of the line being filled
    for (size_t i = 0; i <= length; ++i) {
        char ch = lines[i];
        if (ch != ' ' && ch != '\n' && ch != '\0') continue;
        lines[i] = '\0';
        bool tooWide = TextWidthInTip(shared, lines + lineStart) > maxWidth;
        lines[i] = ch;
        if (tooWide && lastBlank < i) {
            lines[lastBlank] = '\n';
            lineStart = lastBlank + 1;
        }
        if (ch == '\n') lineStart = i + 1;
        lastBlank = ch == ' ' ? i : length;
    }
    int status = SetCtrlVal(shared->tipPanel, shared->textCtrl, lines);
    std::free(lines);
    return status;
}

int ShowToolTip(SharedTipPanel *shared, CtrlToolTip *tip) {
    int tipPanel = shared->tipPanel, height = 0, width = 0, ownerHeight = 0, ownerWidth = 0, status;
    if ((status = SetPanelAttribute(tipPanel, ATTR_VISIBLE, 0)) < 0 ||
        (status = GetPanelAttribute(shared->ownerPanel, ATTR_HEIGHT, &ownerHeight)) < 0 ||
        (status = GetPanelAttribute(shared->ownerPanel, ATTR_WIDTH, &ownerWidth)) < 0 ||
        (status = SetTipText(shared, tip->text, ownerWidth - 2 * kTipMargin - 2 * kTipPadX)) < 0 ||
        (status = GetCtrlAttribute(tipPanel, shared->textCtrl, ATTR_HEIGHT, &height)) < 0 ||
        (status = GetCtrlAttribute(tipPanel, shared->textCtrl, ATTR_WIDTH, &width)) < 0)
        return status;
    // The text sits inside the tip's padding.
    height += 2 * kTipPadY;
    width += 2 * kTipPadX;
    if ((status = SetPanelAttribute(tipPanel, ATTR_HEIGHT, height)) < 0 ||
        (status = SetPanelAttribute(tipPanel, ATTR_WIDTH, width)) < 0 ||
        (status = SetPanelAttribute(tipPanel, ATTR_ZPLANE_POSITION, 0)) < 0)
        return status;
    Point point = tip->lastPoint;
    if ((status = ConvertPanelPoint(shared->ownerPanel, tip->panel, &point, 1)) < 0) return status;
    // Centred on the pointer, one tip height below its row, then kept inside the owner with its
    // border and a small gap (the tip is moved down before it is kept inside, so that it never
    // ends up below the edge).
    Rect r = MakeRect(point.y + height, point.x - width / 2, height, width);
    r = ConstrainRectToRect(
        MakeRect(kTipMargin, kTipMargin, ownerHeight - 2 * kTipMargin, ownerWidth - 2 * kTipMargin), r);
    if ((status = SetPanelAttribute(tipPanel, ATTR_TOP, r.top)) < 0 ||
        (status = SetPanelAttribute(tipPanel, ATTR_LEFT, r.left)) < 0 ||
        (status = SetPanelAttribute(tipPanel, ATTR_VISIBLE, 1)) < 0)
        return status;
    shared->currentTip = tip;
    return 0;
}

// *hide = 1 when the tip must not be seen now. An attribute that cannot be read gives its
// error and leaves *hide unset.
int ToolTipShouldHide(CtrlToolTip *tip, int *hide) {
    SharedTipPanel *shared = tip->shared;
    if (tip->text[0] == '\0' || MenuIsOpen()) {
        *hide = 1;
        return 0;
    }
    int active = 0, ownerVisible = 0, panelVisible = 0, ctrlVisible = 0, dimmed = 0, status;
    if ((status = GetPanelAttribute(shared->ownerPanel, ATTR_ACTIVE, &active)) < 0 ||
        (status = GetPanelAttribute(shared->ownerPanel, ATTR_VISIBLE, &ownerVisible)) < 0 ||
        (status = GetPanelAttribute(tip->panel, ATTR_VISIBLE, &panelVisible)) < 0 ||
        (status = GetCtrlAttribute(tip->panel, tip->control, ATTR_VISIBLE, &ctrlVisible)) < 0 ||
        (status = GetPanelAttribute(tip->panel, ATTR_DIMMED, &dimmed)) < 0)
        return status;
    *hide = !active || !ownerVisible || !panelVisible || !ctrlVisible || dimmed;
    return 0;
}

int RefreshToolTip(CtrlToolTip *tip) {
    int hide = 0;
    int status = ToolTipShouldHide(tip, &hide);
    if (status < 0) return status;
    if (hide) HideToolTip(tip);
    else if (tip->shared->currentTip != tip) return ShowToolTip(tip->shared, tip);
    return 0;
}

// One look at the pointer for one tip (from the shared timer).
void UpdateToolTip(CtrlToolTip *tip) {
    SharedTipPanel *shared = tip->shared;
    if (!shared) return;
    if (shared->currentTip == tip) {
        int hide = 0;
        if (ToolTipShouldHide(tip, &hide) < 0) return;
        if (hide) {
            HideToolTip(tip);
            return;
        }
    }
    int visible = 0;
    if (GetPanelAttribute(tip->panel, ATTR_VISIBLE, &visible) < 0 || !visible) return;
    Point point = MakePoint(0, 0);
    Rect rect = MakeRect(0, 0, 0, 0);
    if (GetRelativeMouseState(tip->panel, 0, &point.x, &point.y, nullptr, nullptr, nullptr) < 0 ||
        GetCtrlBoundingRect(tip->panel, tip->control, &rect.top, &rect.left, &rect.height, &rect.width) < 0)
        return;
    if (!RectContainsPoint(rect, point)) {
        tip->hoverState = TIP_IDLE;
        HideToolTip(tip);
        return;
    }
    if (tip->hoverState == TIP_IDLE) {
        tip->hoverState = TIP_ARMED;
    } else if (tip->hoverState == TIP_ARMED && std::abs(point.x - tip->lastPoint.x) < kRestSlack &&
               std::abs(point.y - tip->lastPoint.y) < kRestSlack) {
        tip->lastPoint = point;
        if (RefreshToolTip(tip) < 0) return;
        tip->hoverState = TIP_SHOWN;
    }
    tip->lastPoint = point;
}

// ---- The shared tip panel of a top-level panel ----

void DiscardSharedTipPanel(SharedTipPanel *shared) {
    int oldBreak = SetBOLE(0);
    for (int i = 1; i <= ListNumItems(shared->tips); ++i) {
        CtrlToolTip *tip = nullptr;
        ListGetItem(shared->tips, &tip, i);
        tip->shared = nullptr;
    }
    ListDispose(shared->tips);
    if (shared->tipPanel > 0) DiscardPanel(shared->tipPanel);
    SetBOLE(oldBreak);
    std::free(shared);
}

int SharedTipTimerCallback(int, int, int event, void *callbackData, int, int) {
    auto *shared = static_cast<SharedTipPanel *>(callbackData);
    if (event != EVENT_TIMER_TICK) return 0;
    int visible = 0;
    if (GetPanelAttribute(shared->ownerPanel, ATTR_VISIBLE, &visible) < 0) return 0;
    if (!visible && !shared->currentTip) return 0;
    for (int i = 1; i <= ListNumItems(shared->tips); ++i) {
        CtrlToolTip *tip = nullptr;
        ListGetItem(shared->tips, &tip, i);
        UpdateToolTip(tip);
    }
    return 0;
}

int SharedTipOwnerCallback(int, int event, void *callbackData, int, int) {
    if (event == EVENT_DISCARD) DiscardSharedTipPanel(static_cast<SharedTipPanel *>(callbackData));
    return 0;
}

// Makes the tip panel, its text and timer, and chains them up; on failure everything made so
// far goes again.
int CreateSharedTipPanel(int topLevel, SharedTipPanel **made) {
    auto *shared = static_cast<SharedTipPanel *>(RteCalloc(1, sizeof(SharedTipPanel)));
    if (!shared) return UIE_OUT_OF_MEMORY;
    shared->ownerPanel = topLevel;
    int status = UIE_OUT_OF_MEMORY;
    int tipPanel, textCtrl, timerCtrl;
    if (!(shared->tips = ListCreate(sizeof(CtrlToolTip *)))) goto failed;
    if ((status = tipPanel = NewPanel(topLevel, "", -10000, -10000, 10, 10)) < 0) goto failed;
    shared->tipPanel = tipPanel;
    if ((status = SetPanelAttribute(tipPanel, ATTR_FLOATING, 1)) < 0 ||
        (status = SetPanelAttribute(tipPanel, ATTR_TITLEBAR_VISIBLE, 0)) < 0 ||
        (status = SetPanelAttribute(tipPanel, ATTR_HAS_TASKBAR_BUTTON_OFF, 1)) < 0 ||
        (status = SetPanelAttribute(tipPanel, ATTR_BACKCOLOR, TipBackgroundColor())) < 0 ||
        (status = SetPanelAttribute(tipPanel, ATTR_FRAME_THICKNESS, kTipFrame)) < 0 ||
        (status = SetPanelAttribute(tipPanel, ATTR_SIZABLE, 0)) < 0 ||
        (status = SetPanelAttribute(tipPanel, ATTR_MOVABLE, 0)) < 0 ||
        (status = SetPanelAttribute(tipPanel, ATTR_ZPLANE_POSITION, 0)) < 0)
        goto failed;
    if ((status = textCtrl = NewCtrl(tipPanel, CTRL_TEXT_MSG, "", kTipPadY, kTipPadX)) < 0) goto failed;
    shared->textCtrl = textCtrl;
    if ((status = SetCtrlAttribute(tipPanel, textCtrl, ATTR_TEXT_BGCOLOR, VAL_TRANSPARENT)) < 0 ||
        (status = SetCtrlAttribute(tipPanel, textCtrl, ATTR_TEXT_COLOR, TipTextColor())) < 0)
        goto failed;
    if ((status = timerCtrl = NewCtrl(tipPanel, CTRL_TIMER, "", -10000, -10000)) < 0) goto failed;
    shared->timerCtrl = timerCtrl;
    if ((status = SetCtrlAttribute(tipPanel, timerCtrl, ATTR_INTERVAL, kTipTimerInterval)) < 0 ||
        (status = ChainCtrlCallback(tipPanel, timerCtrl, SharedTipTimerCallback, shared, kSharedType)) < 0 ||
        (status = ChainPanelCallback(topLevel, SharedTipOwnerCallback, shared, kSharedType)) < 0)
        goto failed;
    *made = shared;
    return 0;
failed:
    DiscardSharedTipPanel(shared);
    return status;
}

int GetSharedTipPanel(int panel, SharedTipPanel **shared) {
    int topLevel = 0;
    int status = GetTopLevelPanel(panel, &topLevel);
    if (status < 0) return status;
    void *data = nullptr;
    status = GetChainedPanelCallbackData(topLevel, kSharedType, &data);
    if (status == UIE_WRONG_ATTRIBUTE) return CreateSharedTipPanel(topLevel, shared);
    if (status < 0) return status;
    *shared = static_cast<SharedTipPanel *>(data);
    return 0;
}

// ---- The tip of a control ----

void DiscardCtrlToolTip(CtrlToolTip *tip) {
    if (SharedTipPanel *shared = tip->shared) {
        HideToolTip(tip);
        int position = ListFindItem(shared->tips, &tip, LIST_FRONT, nullptr);
        if (position > 0) ListRemoveItem(shared->tips, nullptr, position);
    }
    std::free(tip->text);
    std::free(tip);
}

// Events called on the control from another thread (CallCtrlCallback runs the chain on the
// caller's thread) leave the tip alone: the tip is its panel thread's, which may be discarding
// the control and freeing the tip at this very moment. The operator's clicks and keys arrive on
// the panel's thread.
int CtrlToolTipCallback(int panel, int, int event, void *callbackData, int, int) {
    auto *tip = static_cast<CtrlToolTip *>(callbackData);
    if (event != EVENT_DISCARD && !toolbox::internal::OnPanelThread(panel)) return 0;
    switch (event) {
    case EVENT_VAL_CHANGED: case EVENT_LEFT_CLICK: case EVENT_RIGHT_CLICK: case EVENT_KEYPRESS:
        HideToolTip(tip);
        break;
    case EVENT_DISCARD:
        DiscardCtrlToolTip(tip);
        break;
    default:
        break;
    }
    return 0;
}

int CreateCtrlToolTip(int panel, int control, CtrlToolTip **made) {
    SharedTipPanel *shared = nullptr;
    int status = GetSharedTipPanel(panel, &shared);
    if (status < 0) return status;
    auto *tip = static_cast<CtrlToolTip *>(RteCalloc(1, sizeof(CtrlToolTip)));
    if (!tip) return UIE_OUT_OF_MEMORY;
    tip->panel = panel;
    tip->control = control;
    tip->hoverState = TIP_IDLE;
    if (!(tip->text = StrDup(""))) {
        std::free(tip);
        return UIE_OUT_OF_MEMORY;
    }
    if (!ListInsertItem(shared->tips, &tip, LIST_END)) {
        DiscardCtrlToolTip(tip);
        return UIE_OUT_OF_MEMORY;
    }
    tip->shared = shared;
    if ((status = ChainCtrlCallback(panel, control, CtrlToolTipCallback, tip, kTipType)) < 0) {
        DiscardCtrlToolTip(tip);
        return status;
    }
    *made = tip;
    return 0;
}

}  // namespace

extern "C" int SetCtrlToolTipAttribute(int panel, int control, int attribute, ...) {
    if (attribute != ATTR_TOOLTIP_TEXT) return UIE_BAD_ATTRIBUTE;
    va_list args;
    va_start(args, attribute);
    const char *text = va_arg(args, const char *);
    va_end(args);
    if (!text) return UIE_NULL_POINTER;
    void *data = nullptr;
    int status = GetChainedCallbackData(panel, control, kTipType, &data);
    CtrlToolTip *tip = static_cast<CtrlToolTip *>(data);
    if (status == UIE_WRONG_ATTRIBUTE) status = CreateCtrlToolTip(panel, control, &tip);
    if (status < 0) return status;
    if (std::strcmp(text, tip->text) != 0) {
        char *copy = StrDup(text);
        if (!copy) return UIE_OUT_OF_MEMORY;
        std::free(tip->text);
        tip->text = copy;
        if (tip->shared && tip->shared->currentTip == tip) RefreshToolTip(tip);
    }
    return 0;
}
