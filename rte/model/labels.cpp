// rte/model/labels.cpp - the text of controls as they are measured and drawn: a control's font,
// labels without their accelerator escape, label sizes and places, bounding rectangles.
#include "rte/model/labels.h"

#include <algorithm>
#include <cstdio>

#include "rte/graphics.h"

namespace rte::internal {

FontSpec ControlFont(const Control &c) {
    // A control's font attributes are its own: reading them needs no panel and changes nothing.
    Control &self = const_cast<Control &>(c);
    auto flag = [&self](int attribute) {
        int v = 0;
        return GetAttr(nullptr, &self, attribute, &v) == 0 && v != 0;
    };
    FontSpec f;
    char name[256] = "";
    if (GetAttr(nullptr, &self, ATTR_TEXT_FONT, name) < 0 || name[0] == '\0') {
        std::snprintf(name, sizeof name, "%s", VAL_DIALOG_FONT);
    }
    f.family = FamilyOf(name);
    if (GetAttr(nullptr, &self, ATTR_TEXT_POINT_SIZE, &f.size) < 0) f.size = 13;
    f.bold = flag(ATTR_TEXT_BOLD);
    f.italic = flag(ATTR_TEXT_ITALIC);
    f.underline = flag(ATTR_TEXT_UNDERLINE);
    f.strikeout = flag(ATTR_TEXT_STRIKEOUT);
    return f;
}

std::string StripAcceleratorEscape(const std::string &label, int *accelerator) {
    // Two underscores before a character other than an underscore mark it; longer runs of
    // underscores are plain text.
    *accelerator = -1;
    size_t n = label.size(), i = 0;
    while (i + 2 < n) {  // an escape needs a character after its two underscores
        if (label[i] == '_' && label[i + 1] == '_') {
            if (label[i + 2] != '_') {
                *accelerator = static_cast<int>(i);
                return label.substr(0, i) + label.substr(i + 2);
            }
            while (i < n && label[i] == '_') ++i;  // skip the run and the character after it
        }
        ++i;
    }
    return label;
}

// The size of a text as the control draws it, in the control's font. Texts are measured by
// pango without a screen, so panels made by a program that never shows them measure alike.
// Throws std::bad_alloc.
void CtrlTextSize(const Control &c, const std::string &text, int *height, int *width) {
    if (text.empty()) {
        if (height) *height = 0;
        if (width) *width = 0;
        return;
    }
    MeasureText(ControlFont(c), text, height, width);
}

int TextWidth(const Control &c, const std::string &text) {
    int width;
    CtrlTextSize(c, text, nullptr, &width);
    return width;
}

int TextHeight(const Control &c, const std::string &text) {
    int height;
    CtrlTextSize(c, text, &height, nullptr);
    return height;
}

// A label as it is drawn: without its accelerator escape.
std::string LabelText(const Control &c) {
    int accelerator;
    return StripAcceleratorEscape(c.label, &accelerator);
}

int LabelWidth(const Control &c) { return TextWidth(c, LabelText(c)); }
int LabelHeight(const Control &c) { return TextHeight(c, LabelText(c)); }

int ResolvedLabelTop(const Control &c) {
    return c.labelTop == VAL_AUTO_CENTER ? c.top + (c.height - LabelHeight(c)) / 2 : c.labelTop;
}
int ResolvedLabelLeft(const Control &c) {
    return c.labelLeft == VAL_AUTO_CENTER ? c.left + (c.width - LabelWidth(c)) / 2 : c.labelLeft;
}

void RelabelAfterResize(Control &c) {
    if (c.style == CTRL_TEXT_MSG) {
        c.width = TextWidth(c, c.text);
        c.height = std::max(15, TextHeight(c, c.text));
    }
}

void BoundingRect(const Control &c, int *top, int *left, int *height, int *width) {
    int t = c.top, l = c.left, b = c.top + c.height, r = c.left + c.width;
    if (LabelOutside(c.style) && !c.label.empty()) {
        int lt = ResolvedLabelTop(c), ll = ResolvedLabelLeft(c);
        t = std::min(t, lt);
        l = std::min(l, ll);
        b = std::max(b, lt + LabelHeight(c));
        r = std::max(r, ll + LabelWidth(c));
    }
    *top = t;
    *left = l;
    *height = b - t;
    *width = r - l;
}

}  // namespace rte::internal
