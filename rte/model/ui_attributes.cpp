// rte/model/ui_attributes.cpp - numbered attributes of panels and controls: which apply to what, in
// which type they travel, their defaults and their validation (the list is in rte/ui.h).
#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "rte/engine.h"
#include "rte/core/thread_queue.h"
#include "rte/gfx/fonts.h"
#include "rte/ui.h"
#include "rte/model/labels.h"
#include "rte/model/ui_model.h"
#include "rte/model/windows.h"

namespace rte::internal {
namespace {

constexpr unsigned kPanel = 1, kCtrl = 2, kMenuItem = 4, kBoth = kPanel | kCtrl;

// How an int value is checked when it is set.
enum class Valid {
    kAny,
    kBool,           // 0 or 1
    kColor,          // 0x000000..0xFFFFFF
    kColorOrClear,   // a colour or VAL_TRANSPARENT
    kAtLeast0,
    kFrame,          // 0..32
    kPointSize,      // 1..512
    kZeroToThree,
    kCloseCtrl,      // 0 or a control of the panel
    kMode,           // VAL_INDICATOR, VAL_NORMAL, VAL_HOT
    kDataType,       // VAL_CHAR..VAL_UNSIGNED_CHAR
    kEntryLength,    // -1 (no limit) or more
    kLines,          // 1..100
};

// Every attribute the engine knows: where it applies, the type it travels in ('i' int,
// 'd' double, 's' string, 'p' pointer, 'v' the control's data type), on what it is read-only,
// and how a new value is checked. Numbers are rte/ui.h's.
struct AttrDef {
    int number;
    unsigned who;
    char kind;
    unsigned readOnly;
    Valid check;
};
const AttrDef kAttrs[] = {
    {ATTR_DIMMED, kBoth, 'i', 0, Valid::kBool},
    {ATTR_CALLBACK_DATA, kBoth, 'p', 0, Valid::kAny},
    {ATTR_CALLBACK_FUNCTION_POINTER, kBoth, 'p', 0, Valid::kAny},
    {ATTR_CALLBACK_NAME, kBoth, 's', kBoth, Valid::kAny},
    {ATTR_CALLBACK_NAME_LENGTH, kBoth, 'i', kBoth, Valid::kAny},
    {ATTR_CONSTANT_NAME, kBoth, 's', kBoth, Valid::kAny},
    {ATTR_CONSTANT_NAME_LENGTH, kBoth, 'i', kBoth, Valid::kAny},
    {ATTR_VISIBLE, kBoth, 'i', 0, Valid::kBool},
    {ATTR_LEFT, kBoth, 'i', 0, Valid::kAny},
    {ATTR_TOP, kBoth, 'i', 0, Valid::kAny},
    {ATTR_WIDTH, kBoth, 'i', 0, Valid::kAtLeast0},
    {ATTR_HEIGHT, kBoth, 'i', 0, Valid::kAtLeast0},
    {ATTR_FRAME_COLOR, kCtrl, 'i', 0, Valid::kColorOrClear},
    {ATTR_TITLE, kPanel, 's', 0, Valid::kAny},
    {ATTR_TITLE_LENGTH, kPanel, 'i', kPanel, Valid::kAny},
    {ATTR_BACKCOLOR, kPanel, 'i', 0, Valid::kColor},
    {ATTR_TITLEBAR_VISIBLE, kPanel, 'i', 0, Valid::kBool},
    {ATTR_EXTRA_COLOR, kPanel, 'i', 0, Valid::kColor},
    {ATTR_FRAME_THICKNESS, kPanel, 'i', 0, Valid::kFrame},
    {ATTR_MOVABLE, kPanel, 'i', 0, Valid::kBool},
    {ATTR_NUM_CTRLS, kPanel, 'i', kPanel, Valid::kAny},
    {ATTR_CLOSE_CTRL, kPanel, 'i', 0, Valid::kCloseCtrl},
    {ATTR_SIZABLE, kPanel, 'i', 0, Valid::kBool},
    {ATTR_SYSTEM_WINDOW_HANDLE, kPanel, 'p', kPanel, Valid::kAny},
    {ATTR_CLOSE_ITEM_VISIBLE, kPanel, 'i', 0, Valid::kBool},
    {ATTR_PANEL_PARENT, kPanel, 'i', kPanel, Valid::kAny},
    {ATTR_FIRST_CHILD, kPanel, 'i', kPanel, Valid::kAny},
    {ATTR_NEXT_PANEL, kPanel, 'i', kPanel, Valid::kAny},
    {ATTR_ZPLANE_POSITION, kBoth, 'i', 0, Valid::kAtLeast0},
    {ATTR_CTRL_STYLE, kCtrl, 'i', kCtrl, Valid::kAny},
    {ATTR_CTRL_TAB_POSITION, kBoth, 'i', kPanel, Valid::kAtLeast0},  // on panels: ATTR_PANEL_FIRST_CTRL
    {ATTR_NEXT_CTRL, kCtrl, 'i', kCtrl, Valid::kAny},
    {ATTR_ACTIVE, kPanel, 'i', kPanel, Valid::kAny},
    {ATTR_FLOATING, kPanel, 'i', 0, Valid::kBool},
    {ATTR_HAS_TASKBAR_BUTTON_OFF, kPanel, 'i', 0, Valid::kBool},
    {ATTR_CTRL_MODE, kCtrl, 'i', 0, Valid::kMode},
    {ATTR_OWNER_THREAD_ID, kPanel, 'i', kPanel, Valid::kAny},
    {ATTR_LABEL_TEXT, kCtrl, 's', 0, Valid::kAny},
    {ATTR_LABEL_TEXT_LENGTH, kCtrl, 'i', kCtrl, Valid::kAny},
    {ATTR_LABEL_LEFT, kCtrl, 'i', 0, Valid::kAny},
    {ATTR_LABEL_TOP, kCtrl, 'i', 0, Valid::kAny},
    {ATTR_LABEL_WIDTH, kCtrl, 'i', kCtrl, Valid::kAny},
    {ATTR_LABEL_HEIGHT, kCtrl, 'i', kCtrl, Valid::kAny},
    {ATTR_TEXT_COLOR, kCtrl, 'i', 0, Valid::kColor},
    {ATTR_TEXT_FONT_NAME_LENGTH, kCtrl, 'i', kCtrl, Valid::kAny},
    {ATTR_TEXT_FONT, kCtrl, 's', 0, Valid::kAny},
    {ATTR_TEXT_ITALIC, kCtrl, 'i', 0, Valid::kBool},
    {ATTR_TEXT_UNDERLINE, kCtrl, 'i', 0, Valid::kBool},
    {ATTR_TEXT_STRIKEOUT, kCtrl, 'i', 0, Valid::kBool},
    {ATTR_TEXT_POINT_SIZE, kCtrl, 'i', 0, Valid::kPointSize},
    {ATTR_TEXT_BOLD, kCtrl, 'i', 0, Valid::kBool},
    {ATTR_TEXT_BGCOLOR, kCtrl, 'i', 0, Valid::kColorOrClear},
    {ATTR_DATA_TYPE, kCtrl, 'i', 0, Valid::kDataType},
    {ATTR_MAX_VALUE, kCtrl, 'v', 0, Valid::kAny},
    {ATTR_MIN_VALUE, kCtrl, 'v', 0, Valid::kAny},
    {ATTR_SHOW_DIGITAL_DISPLAY, kCtrl, 'i', 0, Valid::kBool},
    {ATTR_STRING_TEXT_LENGTH, kCtrl, 'i', kCtrl, Valid::kAny},
    {ATTR_MAX_ENTRY_LENGTH, kCtrl, 'i', 0, Valid::kEntryLength},
    {ATTR_VISIBLE_LINES, kCtrl, 'i', 0, Valid::kLines},
    {ATTR_SHOW_INCDEC_ARROWS, kCtrl, 'i', 0, Valid::kBool},
    {ATTR_FILL_COLOR, kCtrl, 'i', 0, Valid::kColorOrClear},
    {ATTR_MARKER_STYLE, kCtrl, 'i', 0, Valid::kZeroToThree},
    {ATTR_TICK_STYLE, kCtrl, 'i', 0, Valid::kZeroToThree},
    {ATTR_SHOW_MORE_COLORS, kCtrl, 'i', 0, Valid::kBool},
    {ATTR_SHORTCUT_KEY, kCtrl, 'i', 0, Valid::kAtLeast0},
    {ATTR_CHECKED, kMenuItem, 'i', 0, Valid::kBool},
    {ATTR_INTERVAL, kCtrl, 'd', 0, Valid::kAny},
    {ATTR_ENABLED, kCtrl, 'i', 0, Valid::kBool},
};

const AttrDef *FindAttr(int a) {
    for (const AttrDef &d : kAttrs) {
        if (d.number == a) return &d;
    }
    return nullptr;
}

// Attributes kept in the generic store (attributes without a field of their own): where they
// apply and their defaults.
struct GenericDef {
    int number;
    unsigned who;
    int intDefault;
    const char *textDefault;  // non-null for string attributes
};
const GenericDef kGeneric[] = {
    {ATTR_FRAME_COLOR, kCtrl, VAL_LT_GRAY, nullptr},   {ATTR_BACKCOLOR, kPanel, VAL_PANEL_GRAY, nullptr},
    {ATTR_TITLEBAR_VISIBLE, kPanel, 1, nullptr},        {ATTR_EXTRA_COLOR, kPanel, 0x808080, nullptr},
    {ATTR_FRAME_THICKNESS, kPanel, 2, nullptr},         {ATTR_MOVABLE, kPanel, 1, nullptr},
    {ATTR_CLOSE_CTRL, kPanel, 0, nullptr},              {ATTR_SIZABLE, kPanel, 1, nullptr},
    {ATTR_CLOSE_ITEM_VISIBLE, kPanel, 1, nullptr},      {ATTR_FLOATING, kPanel, 0, nullptr},
    {ATTR_HAS_TASKBAR_BUTTON_OFF, kPanel, 0, nullptr},  {ATTR_TEXT_COLOR, kCtrl, VAL_BLACK, nullptr},
    {ATTR_TEXT_FONT, kCtrl, 0, "Dialog"},               {ATTR_TEXT_ITALIC, kCtrl, 0, nullptr},
    {ATTR_TEXT_UNDERLINE, kCtrl, 0, nullptr},           {ATTR_TEXT_STRIKEOUT, kCtrl, 0, nullptr},
    {ATTR_TEXT_POINT_SIZE, kCtrl, 13, nullptr},         {ATTR_TEXT_BOLD, kCtrl, 0, nullptr},
    {ATTR_TEXT_BGCOLOR, kCtrl, VAL_WHITE, nullptr},     {ATTR_SHOW_DIGITAL_DISPLAY, kCtrl, 1, nullptr},
    {ATTR_SHOW_INCDEC_ARROWS, kCtrl, 1, nullptr},       {ATTR_FILL_COLOR, kCtrl, 0x0000FF, nullptr},
    {ATTR_MARKER_STYLE, kCtrl, 0, nullptr},             {ATTR_TICK_STYLE, kCtrl, 0, nullptr},
    {ATTR_SHOW_MORE_COLORS, kCtrl, 1, nullptr},         {ATTR_SHORTCUT_KEY, kCtrl, 0, nullptr},
};

const GenericDef *FindGeneric(int a, unsigned who) {
    for (const GenericDef &g : kGeneric) {
        if (g.number == a && (g.who & who)) return &g;
    }
    return nullptr;
}

bool IsSlide(int s) { return s == CTRL_VERTICAL_SLIDE || s == CTRL_HORIZONTAL_SLIDE; }
bool IsFloatType(int t) { return t == VAL_FLOAT || t == VAL_DOUBLE; }

// Whether a control attribute applies to a style.
bool CtrlHas(int a, int s) {
    switch (a) {
    case ATTR_CTRL_MODE: case ATTR_DATA_TYPE: return HasValue(s);
    case ATTR_MAX_VALUE: case ATTR_MIN_VALUE: case ATTR_SHOW_INCDEC_ARROWS: return IsNumericStyle(s);
    case ATTR_SHOW_DIGITAL_DISPLAY: case ATTR_FILL_COLOR: case ATTR_MARKER_STYLE: case ATTR_TICK_STYLE:
        return IsSlide(s);
    case ATTR_STRING_TEXT_LENGTH: return IsStringStyle(s);
    case ATTR_MAX_ENTRY_LENGTH: return s == CTRL_STRING || s == CTRL_NUMERIC;
    case ATTR_VISIBLE_LINES: return s == CTRL_LIST_BOX;
    case ATTR_SHOW_MORE_COLORS: return s == CTRL_COLOR_NUMERIC;
    case ATTR_INTERVAL: case ATTR_ENABLED: return s == CTRL_TIMER;
    default: return true;
    }
}

bool ValidColor(int v, bool transparentOk) {
    return (v >= 0 && v <= 0xFFFFFF) || (transparentOk && v == VAL_TRANSPARENT);
}

// Validation of an int value.
bool ValidInt(Panel *p, const AttrDef &d, int v) {
    switch (d.check) {
    case Valid::kAny: return true;
    case Valid::kBool: return v == 0 || v == 1;
    case Valid::kColor: return ValidColor(v, false);
    case Valid::kColorOrClear: return ValidColor(v, true);
    case Valid::kAtLeast0: return v >= 0;
    case Valid::kFrame: return v >= 0 && v <= 32;
    case Valid::kPointSize: return v >= 1 && v <= 512;
    case Valid::kZeroToThree: return v >= 0 && v <= 3;
    case Valid::kCloseCtrl: return v == 0 || (v > 0 && FindControl(p, v) != nullptr);
    case Valid::kMode: return v == VAL_INDICATOR || v == VAL_NORMAL || v == VAL_HOT;
    case Valid::kDataType: return v >= VAL_CHAR && v <= VAL_UNSIGNED_CHAR;
    case Valid::kEntryLength: return v >= -1;
    case Valid::kLines: return v >= 1 && v <= 100;
    }
    return false;
}

int IndexOf(const std::vector<int> &v, int id) {
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] == id) return static_cast<int>(i);
    }
    return -1;
}

void MoveTabPosition(Panel &p, int id, int position) {
    auto &v = p.ctrls;
    size_t from = 0;
    while (from < v.size() && v[from]->id != id) ++from;
    std::unique_ptr<Control> c = std::move(v[from]);
    v.erase(v.begin() + static_cast<long>(from));
    size_t to = std::min(static_cast<size_t>(position), v.size());
    v.insert(v.begin() + static_cast<long>(to), std::move(c));
}

void MoveZ(Panel &p, int id, int position) {
    auto &z = p.zOrder;
    z.erase(z.begin() + IndexOf(z, id));
    size_t to = std::min(static_cast<size_t>(position), z.size());
    z.insert(z.begin() + static_cast<long>(to), id);
}

void CopyText(void *out, const std::string &text) { std::memcpy(out, text.c_str(), text.size() + 1); }

}  // namespace

int AttrKind(Panel *p, Control *c, int a, char *kind) {
    (void)p;
    const AttrDef *d = FindAttr(a);
    if (d == nullptr) return UIE_BAD_ATTRIBUTE;
    if ((d->who & (c != nullptr ? kCtrl : kPanel)) == 0) return UIE_WRONG_ATTRIBUTE;
    if (c != nullptr && !CtrlHas(a, c->style)) return UIE_WRONG_ATTRIBUTE;
    *kind = d->kind == 'v' ? (IsFloatType(c->dataType) ? 'd' : 'i') : d->kind;
    return 0;
}

// A timer set anew: its thread, when waiting, wakes to wait for the new due time. The thread
// setting its own timer is not waiting (it works out its next wait after its callbacks), and a
// wake would cost the screen display an extra pass of its event loop for every timer re-armed.
void WakeTimerThread(const Panel &p) {
    if (p.thread != CurrThreadId()) WakeThread(p.thread);
}

int SetAttr(Panel *p, Control *c, int a, const AttrArg &v) {
    if (a != ATTR_INTERVAL && a != ATTR_ENABLED) NoteModelChange();  // timers are not drawn
    char kind;
    int rc = AttrKind(p, c, a, &kind);
    if (rc < 0) return rc;
    const AttrDef &d = *FindAttr(a);
    if (d.readOnly & (c != nullptr ? kCtrl : kPanel)) return UIE_READ_ONLY_ATTRIBUTE;
    if (kind == 'i' && !ValidInt(p, d, v.i)) return UIE_BAD_VALUE;
    if (kind == 's' && v.s == nullptr) return UIE_NULL_POINTER;
    try {
        switch (a) {
        case ATTR_DIMMED: (c ? c->dimmed : p->dimmed) = v.i != 0; return 0;
        case ATTR_CALLBACK_DATA: (c ? c->callbackData : p->callbackData) = v.p; return 0;
        case ATTR_CALLBACK_FUNCTION_POINTER:
            if (c) c->callback = reinterpret_cast<CtrlCallbackPtr>(v.p);
            else p->callback = reinterpret_cast<PanelCallbackPtr>(v.p);
            return 0;
        case ATTR_CTRL_MODE: c->mode = v.i; return 0;
        case ATTR_VISIBLE:
            if (c) {
                c->visible = v.i != 0;
                return 0;
            }
            return v.i ? DisplayPanel(p->handle) : HidePanel(p->handle);
        case ATTR_LEFT:
            if (c) {
                if (c->labelLeft != VAL_AUTO_CENTER) c->labelLeft += v.i - c->left;
                c->left = v.i;
            } else {
                p->left = v.i;
            }
            return 0;
        case ATTR_TOP:
            if (c) {
                if (c->labelTop != VAL_AUTO_CENTER) c->labelTop += v.i - c->top;
                c->top = v.i;
            } else {
                p->top = v.i;
            }
            return 0;
        case ATTR_WIDTH: (c ? c->width : p->width) = v.i; return 0;
        case ATTR_HEIGHT: (c ? c->height : p->height) = v.i; return 0;
        case ATTR_TITLE: p->title = v.s; return 0;
        case ATTR_ZPLANE_POSITION:
            if (c) MoveZ(*p, c->id, v.i);
            else MovePanelZ(*p, v.i);
            return 0;
        case ATTR_CTRL_TAB_POSITION: MoveTabPosition(*p, c->id, v.i); return 0;
        case ATTR_LABEL_TEXT: {
            std::string label = v.s;  // both copies are made before either changes
            if (c->style == CTRL_TEXT_MSG) c->text = label;
            c->label = std::move(label);
            RelabelAfterResize(*c);
            return 0;
        }
        case ATTR_LABEL_LEFT: c->labelLeft = v.i; return 0;
        case ATTR_LABEL_TOP: c->labelTop = v.i; return 0;
        case ATTR_TEXT_FONT: {
            if (v.s[0] == '\0' || std::strlen(v.s) >= 256) return UIE_BAD_VALUE;
            // A metafont brings its size and style flags. Any other name is kept as a typeface:
            // one this machine lacks is drawn with fontconfig's substitute, so a panel file that
            // names another machine's font still loads.
            FontSpec font;
            bool meta = LookupMetaFont(v.s, &font);
            AttrValue name;
            name.s = v.s;
            c->attrs[ATTR_TEXT_FONT] = std::move(name);
            if (meta) {
                c->attrs[ATTR_TEXT_POINT_SIZE].i = font.size;
                c->attrs[ATTR_TEXT_BOLD].i = font.bold;
                c->attrs[ATTR_TEXT_ITALIC].i = font.italic;
                c->attrs[ATTR_TEXT_UNDERLINE].i = font.underline;
                c->attrs[ATTR_TEXT_STRIKEOUT].i = font.strikeout;
            }
            return 0;
        }
        case ATTR_TEXT_ITALIC: case ATTR_TEXT_UNDERLINE: case ATTR_TEXT_STRIKEOUT: case ATTR_TEXT_POINT_SIZE:
        case ATTR_TEXT_BOLD: {
            // Changing a property of a metafont-based font leaves a plain typeface: the font
            // name then reads as the metafont's typeface.
            auto font = c->attrs.find(ATTR_TEXT_FONT);
            if (font != c->attrs.end() && LookupMetaFont(font->second.s, nullptr)) {
                std::string family = FamilyOf(font->second.s);
                font->second.s = family;
            }
            break;
        }
        case ATTR_DATA_TYPE:
            if (!IsNumericStyle(c->style) && !IsListStyle(c->style)) return UIE_READ_ONLY_ATTRIBUTE;
            if (IsNumericStyle(c->style) && v.i == VAL_STRING) return UIE_BAD_VALUE;
            if (IsListStyle(c->style) && v.i != c->dataType) {
                c->items.clear();
                c->index = -1;
            }
            c->dataType = v.i;
            if (IsNumericStyle(c->style)) {
                c->minValue = CoerceNumber(*c, c->minValue);
                c->maxValue = CoerceNumber(*c, c->maxValue);
                c->number = CoerceNumber(*c, c->number);
            }
            return 0;
        case ATTR_MAX_VALUE:
        case ATTR_MIN_VALUE: {
            // An unsigned int travels as the same bits as an int.
            double value = kind == 'd' ? v.d
                           : c->dataType == VAL_UNSIGNED_INTEGER ? static_cast<double>(static_cast<unsigned>(v.i))
                                                                 : static_cast<double>(v.i);
            double lo = a == ATTR_MIN_VALUE ? value : c->minValue;
            double hi = a == ATTR_MAX_VALUE ? value : c->maxValue;
            if (lo > hi) return UIE_BAD_VALUE;
            c->minValue = lo;
            c->maxValue = hi;
            c->number = CoerceNumber(*c, c->number);
            return 0;
        }
        case ATTR_MAX_ENTRY_LENGTH: c->maxEntryLength = v.i; return 0;
        case ATTR_VISIBLE_LINES: c->height = v.i * 15 + 4; return 0;
        case ATTR_INTERVAL:
            if (!(v.d >= 0) || v.d > 1e9) return UIE_BAD_VALUE;  // also refuses NaN
            c->interval = v.d;
            c->nextDue = Timer() + v.d;
            WakeTimerThread(*p);
            return 0;
        case ATTR_ENABLED:
            c->enabled = v.i != 0;
            if (c->enabled) c->nextDue = Timer() + c->interval;
            WakeTimerThread(*p);
            return 0;
        default:
            break;
        }
        const GenericDef *g = FindGeneric(a, c ? kCtrl : kPanel);
        if (g == nullptr) return UIE_WRONG_ATTRIBUTE;
        AttrValue value;  // made whole before it enters the store
        if (kind == 's') value.s = v.s;
        else value.i = v.i;
        (c ? c->attrs : p->attrs)[a] = std::move(value);
        return 0;
    } catch (const std::bad_alloc &) {
        return UIE_OUT_OF_MEMORY;
    }
}

// Writes an attribute's value through out (the caller checked out and the kind).
int GetAttr(Panel *p, Control *c, int a, void *out) {
    char kind;
    int rc = AttrKind(p, c, a, &kind);
    if (rc < 0) return rc;
    auto put = [out](int v) { *static_cast<int *>(out) = v; };
    switch (a) {
    case ATTR_DIMMED: put(c ? c->dimmed : p->dimmed); return 0;
    case ATTR_CALLBACK_DATA: *static_cast<void **>(out) = c ? c->callbackData : p->callbackData; return 0;
    case ATTR_CALLBACK_FUNCTION_POINTER:
        *static_cast<void **>(out) = c ? reinterpret_cast<void *>(c->callback) : reinterpret_cast<void *>(p->callback);
        return 0;
    case ATTR_CALLBACK_NAME: CopyText(out, c ? c->callbackName : p->callbackName); return 0;
    case ATTR_CALLBACK_NAME_LENGTH: put(static_cast<int>((c ? c->callbackName : p->callbackName).size())); return 0;
    case ATTR_CONSTANT_NAME: CopyText(out, c ? c->constName : p->constName); return 0;
    case ATTR_CONSTANT_NAME_LENGTH: put(static_cast<int>((c ? c->constName : p->constName).size())); return 0;
    case ATTR_CTRL_STYLE: put(c->style); return 0;
    case ATTR_CTRL_MODE: put(c->mode); return 0;
    case ATTR_VISIBLE: put(c ? c->visible : p->visible); return 0;
    case ATTR_LEFT: put(c ? c->left : p->left); return 0;
    case ATTR_TOP: put(c ? c->top : p->top); return 0;
    case ATTR_WIDTH: put(c ? c->width : p->width); return 0;
    case ATTR_HEIGHT: put(c ? c->height : p->height); return 0;
    case ATTR_TITLE: CopyText(out, p->title); return 0;
    case ATTR_TITLE_LENGTH: put(static_cast<int>(p->title.size())); return 0;
    case ATTR_NUM_CTRLS: put(static_cast<int>(p->ctrls.size())); return 0;
    case ATTR_SYSTEM_WINDOW_HANDLE: *static_cast<void **>(out) = p->window; return 0;
    case ATTR_PANEL_PARENT: put(p->parent); return 0;
    case ATTR_ZPLANE_POSITION: put(c ? IndexOf(p->zOrder, c->id) : PanelZPosition(*p)); return 0;
    case ATTR_FIRST_CHILD: put(FirstChildPanel(*p)); return 0;
    case ATTR_NEXT_PANEL: put(NextSiblingPanel(*p)); return 0;
    case ATTR_CTRL_TAB_POSITION:  // on a panel: ATTR_PANEL_FIRST_CTRL
        if (c) {
            for (size_t i = 0; i < p->ctrls.size(); ++i) {
                if (p->ctrls[i]->id == c->id) put(static_cast<int>(i));
            }
        } else {
            put(p->ctrls.empty() ? 0 : p->ctrls.front()->id);
        }
        return 0;
    case ATTR_NEXT_CTRL: {
        int next = 0;
        for (size_t i = 0; i + 1 < p->ctrls.size(); ++i) {
            if (p->ctrls[i]->id == c->id) next = p->ctrls[i + 1]->id;
        }
        put(next);
        return 0;
    }
    case ATTR_ACTIVE: put(ActivePanelHandle() == p->handle ? 1 : 0); return 0;
    case ATTR_OWNER_THREAD_ID: put(static_cast<int>(p->thread)); return 0;
    case ATTR_LABEL_TEXT: CopyText(out, c->label); return 0;
    case ATTR_LABEL_TEXT_LENGTH: put(static_cast<int>(c->label.size())); return 0;
    case ATTR_LABEL_LEFT: put(c->labelLeft); return 0;
    case ATTR_LABEL_TOP: put(c->labelTop); return 0;
    case ATTR_LABEL_WIDTH:
    case ATTR_LABEL_HEIGHT:
        try {  // measured in the control's font
            put(a == ATTR_LABEL_WIDTH ? LabelWidth(*c) : LabelHeight(*c));
        } catch (const std::bad_alloc &) {
            return UIE_OUT_OF_MEMORY;
        }
        return 0;
    case ATTR_TEXT_FONT_NAME_LENGTH: {
        auto it = c->attrs.find(ATTR_TEXT_FONT);
        put(static_cast<int>(it == c->attrs.end() ? std::strlen("Dialog") : it->second.s.size()));
        return 0;
    }
    case ATTR_DATA_TYPE: put(c->dataType); return 0;
    case ATTR_MAX_VALUE:
    case ATTR_MIN_VALUE: {
        double value = a == ATTR_MAX_VALUE ? c->maxValue : c->minValue;
        switch (c->dataType) {
        case VAL_CHAR: *static_cast<signed char *>(out) = static_cast<signed char>(value); break;
        case VAL_SHORT: *static_cast<short *>(out) = static_cast<short>(value); break;
        case VAL_FLOAT: *static_cast<float *>(out) = static_cast<float>(value); break;
        case VAL_DOUBLE: *static_cast<double *>(out) = value; break;
        case VAL_UNSIGNED_SHORT: *static_cast<unsigned short *>(out) = static_cast<unsigned short>(value); break;
        case VAL_UNSIGNED_INTEGER: *static_cast<unsigned *>(out) = static_cast<unsigned>(value); break;
        case VAL_UNSIGNED_CHAR: *static_cast<unsigned char *>(out) = static_cast<unsigned char>(value); break;
        default: put(static_cast<int>(value)); break;
        }
        return 0;
    }
    case ATTR_STRING_TEXT_LENGTH: put(static_cast<int>(c->text.size())); return 0;
    case ATTR_MAX_ENTRY_LENGTH: put(c->maxEntryLength); return 0;
    case ATTR_VISIBLE_LINES: put((c->height - 4) / 15 < 1 ? 1 : (c->height - 4) / 15); return 0;
    case ATTR_INTERVAL: *static_cast<double *>(out) = c->interval; return 0;
    case ATTR_ENABLED: put(c->enabled); return 0;
    default: break;
    }
    const GenericDef *g = FindGeneric(a, c ? kCtrl : kPanel);
    if (g == nullptr) return UIE_WRONG_ATTRIBUTE;
    auto &store = c ? c->attrs : p->attrs;
    auto it = store.find(a);
    if (kind == 's') CopyText(out, it == store.end() ? std::string(g->textDefault) : it->second.s);
    else put(it == store.end() ? g->intDefault : it->second.i);
    return 0;
}

namespace {

// Reads the variadic value of an attribute in its kind.
AttrArg ReadArg(char kind, va_list *args) {
    AttrArg v;
    switch (kind) {
    case 'i': v.i = va_arg(*args, int); break;
    case 'd': v.d = va_arg(*args, double); break;
    case 's': v.s = va_arg(*args, const char *); break;
    default: v.p = va_arg(*args, void *); break;
    }
    return v;
}

}  // namespace
}  // namespace rte::internal

using namespace rte::internal;

extern "C" int SetPanelAttribute(int panel, int attribute, ...) {
    int rc;
    bool resized = false;
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        Panel *p = FindPanel(panel);
        if (p == nullptr) return Fail("SetPanelAttribute", UIE_BAD_PANEL);
        char kind;
        rc = AttrKind(p, nullptr, attribute, &kind);
        if (rc < 0) return Fail("SetPanelAttribute", rc);
        va_list args;
        va_start(args, attribute);
        AttrArg v = ReadArg(kind, &args);
        va_end(args);
        int width = p->width, height = p->height;
        rc = SetAttr(p, nullptr, attribute, v);
        resized = rc >= 0 && p->parent == 0 && (p->width != width || p->height != height);
    }
    // The window layer hears of the new size with no lock held.
    if (resized) NotifyWindowSize(panel);
    return Check("SetPanelAttribute", rc);
}

extern "C" int GetPanelAttribute(int panel, int attribute, void *value) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("GetPanelAttribute", UIE_BAD_PANEL);
    char kind;
    int rc = AttrKind(p, nullptr, attribute, &kind);
    if (rc < 0) return Fail("GetPanelAttribute", rc);
    if (value == nullptr) return Fail("GetPanelAttribute", UIE_NULL_POINTER);
    return Check("GetPanelAttribute", GetAttr(p, nullptr, attribute, value));
}

extern "C" int SetCtrlAttribute(int panel, int control, int attribute, ...) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("SetCtrlAttribute", UIE_BAD_PANEL);
    Control *c = FindControl(p, control);
    if (c == nullptr) return Fail("SetCtrlAttribute", UIE_BAD_CONTROL);
    char kind;
    int rc = AttrKind(p, c, attribute, &kind);
    if (rc < 0) return Fail("SetCtrlAttribute", rc);
    va_list args;
    va_start(args, attribute);
    AttrArg v = ReadArg(kind, &args);
    va_end(args);
    return Check("SetCtrlAttribute", SetAttr(p, c, attribute, v));
}

extern "C" int GetCtrlAttribute(int panel, int control, int attribute, void *value) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    Panel *p = FindPanel(panel);
    if (p == nullptr) return Fail("GetCtrlAttribute", UIE_BAD_PANEL);
    Control *c = FindControl(p, control);
    if (c == nullptr) return Fail("GetCtrlAttribute", UIE_BAD_CONTROL);
    char kind;
    int rc = AttrKind(p, c, attribute, &kind);
    if (rc < 0) return Fail("GetCtrlAttribute", rc);
    if (value == nullptr) return Fail("GetCtrlAttribute", UIE_NULL_POINTER);
    return Check("GetCtrlAttribute", GetAttr(p, c, attribute, value));
}
