// toolbox/ui/ring_sizing.cpp - a ring sized to its longest label, measured in its own font
// (ring_sizing.h).
#include <stdlib.h>

#include "rte/alloc.h"
#include "rte/graphics.h"
#include "rte/ui.h"
#include "toolbox/ui/ring_sizing.h"

namespace {

constexpr char kMetaFont[] = "___RingMetaFont";

// What SizeRingCtrlToText holds; freed on every path.
struct Buffers {
    char *fontName = nullptr;
    char *label = nullptr;
    ~Buffers() {
        free(fontName);
        free(label);
    }
};

// Defines the measuring metafont as the control's font.
int UseCtrlFont(int panel, int control, Buffers *b) {
    int length = 0, italic = 0, underline = 0, strikeout = 0, size = 0, bold = 0;
    int rc = GetCtrlAttribute(panel, control, ATTR_TEXT_FONT_NAME_LENGTH, &length);
    if (rc < 0) return rc;
    b->fontName = static_cast<char *>(RteMalloc(static_cast<size_t>(length) + 1));
    if (b->fontName == nullptr) return UIE_OUT_OF_MEMORY;
    rc = GetCtrlAttribute(panel, control, ATTR_TEXT_FONT, b->fontName);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_TEXT_ITALIC, &italic);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_TEXT_UNDERLINE, &underline);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_TEXT_STRIKEOUT, &strikeout);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_TEXT_POINT_SIZE, &size);
    if (rc == 0) rc = GetCtrlAttribute(panel, control, ATTR_TEXT_BOLD, &bold);
    if (rc < 0) return rc;
    return CreateMetaFont(kMetaFont, b->fontName, size, bold, italic, underline, strikeout);
}

// The widest label of the ring in the measuring metafont. Each label is read into a block of
// its own length, so labels of any length are measured whole.
int WidestLabel(int panel, int control, Buffers *b, int *widest) {
    int count = 0;
    int rc = GetNumListItems(panel, control, &count);
    if (rc < 0) return rc;
    *widest = 0;
    for (int i = 0; i < count; ++i) {
        int length = 0, width = 0;
        rc = GetLabelLengthFromIndex(panel, control, i, &length);
        if (rc < 0) return rc;
        free(b->label);
        b->label = static_cast<char *>(RteMalloc(static_cast<size_t>(length) + 1));
        if (b->label == nullptr) return UIE_OUT_OF_MEMORY;
        rc = GetLabelFromIndex(panel, control, i, b->label);
        if (rc == 0) rc = GetTextDisplaySize(b->label, kMetaFont, nullptr, &width);
        if (rc < 0) return rc;
        if (width > *widest) *widest = width;
    }
    return 0;
}

}  // namespace

extern "C" int SizeRingCtrlToText(int panel, int control) {
    int style = 0;
    int rc = GetCtrlAttribute(panel, control, ATTR_CTRL_STYLE, &style);
    if (rc < 0) return rc;
    int extra;
    if (style == CTRL_RING) extra = 19;
    else if (style == CTRL_MENU_RING) extra = 21;
    else return UIE_WRONG_ATTRIBUTE;
    Buffers b;
    int widest = 0;
    rc = UseCtrlFont(panel, control, &b);
    if (rc == 0) rc = WidestLabel(panel, control, &b, &widest);
    if (rc == 0) rc = SetCtrlAttribute(panel, control, ATTR_WIDTH, widest + extra);
    // The metafont no longer stands for the control's font, whatever happened above.
    CreateMetaFont(kMetaFont, "bogusfont", 6, 1, 1, 1, 1);
    return rc;
}
