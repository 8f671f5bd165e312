// toolbox/ui/bitmap_colours.cpp - images of picture controls recoloured from one panel colour
// scheme to another (bitmap_colours.h).
#include <stdlib.h>

#include <optional>

#include "rte/alloc.h"
#include "rte/graphics.h"
#include "rte/ui.h"
#include "toolbox/core/errors.h"
#include "toolbox/ui/bitmap_colours.h"
#include "toolbox/ui/bitmap_colours_internal.h"
#include "toolbox/ui/bole_scope_internal.h"

namespace {

int Red(int c) { return (c >> 16) & 0xFF; }
int Green(int c) { return (c >> 8) & 0xFF; }
int Blue(int c) { return c & 0xFF; }

int Distance(int a, int b) { return abs(Red(a) - Red(b)) + abs(Green(a) - Green(b)) + abs(Blue(a) - Blue(b)); }
bool Matches(int a, int b) { return Distance(a, b) < 16; }

// The colour c becomes; each test is made against c as read, so a later match overrides an
// earlier one.
int Replace(int c, const ColorReplacements &r) {
    int out = c;
    if (Matches(c, r.oldBack)) out = r.newBack;
    if (Matches(c, r.oldHighlight)) out = r.newHighlight;
    if (Matches(c, r.oldShadow)) out = r.newShadow;
    if (Matches(c, r.oldExtra)) out = r.newExtra;
    return out;
}

bool IsPictureStyle(int style) {
    return style == CTRL_PICTURE_RING || style == CTRL_PICTURE_TOGGLE_BUTTON || style == CTRL_PICTURE_COMMAND_BUTTON ||
           style == CTRL_PICTURE;
}

// What ConformImage holds; freed on every path.
struct Buffers {
    int *colors = nullptr;
    unsigned char *bits = nullptr, *mask = nullptr;
    ~Buffers() {
        free(colors);
        free(bits);
        free(mask);
    }
};

int ConformImage(int panel, int control, int index, const ColorReplacements &r) {
    int colorSize = 0, bitsSize = 0, maskSize = 0;
    int rc = GetImageInfo(panel, control, index, &colorSize, &bitsSize, &maskSize);
    if (rc < 0) return rc;
    Buffers b;
    if (colorSize > 0 && (b.colors = static_cast<int *>(RteMalloc(static_cast<size_t>(colorSize)))) == nullptr) {
        return UIE_OUT_OF_MEMORY;
    }
    if (maskSize > 0 && (b.mask = static_cast<unsigned char *>(RteMalloc(static_cast<size_t>(maskSize)))) == nullptr) {
        return UIE_OUT_OF_MEMORY;
    }
    b.bits = static_cast<unsigned char *>(RteMalloc(bitsSize > 0 ? static_cast<size_t>(bitsSize) : 1));
    if (b.bits == nullptr) return UIE_OUT_OF_MEMORY;
    int rowBytes = 0, depth = 0, width = 0, height = 0;
    rc = GetImageBits(panel, control, index, &rowBytes, &depth, &width, &height, b.colors, b.bits, b.mask);
    if (rc == 0) rc = RecolorImageBits(rowBytes, depth, width, height, b.colors, b.bits, &r);
    if (rc == 0) rc = SetImageBits(panel, control, index, rowBytes, depth, width, height, b.colors, b.bits, b.mask);
    return rc;
}

// One control: a picture ring's item index (every item for -1), image 0 of the others. In the
// walk over the whole panel (quiet set), controls that are no picture control, and images that
// do not exist, are passed over.
int ConformPictureCtrl(int panel, int control, int index, const ColorReplacements &r, bool quiet) {
    int style = 0;
    int rc = GetCtrlAttribute(panel, control, ATTR_CTRL_STYLE, &style);
    if (rc < 0) return rc;
    if (!IsPictureStyle(style)) return quiet ? 0 : UIE_WRONG_ATTRIBUTE;
    int first = 0, last = 0;
    if (style == CTRL_PICTURE_RING && index == -1) {
        int count = 0;
        rc = GetNumListItems(panel, control, &count);
        if (rc < 0) return rc;
        last = count - 1;
    } else if (style == CTRL_PICTURE_RING) {
        first = last = index;  // the item asked for
    }
    std::optional<toolbox::internal::BoleOff> bole;  // an image that is not there is no error of the walk
    if (quiet) bole.emplace();
    for (int i = first; i <= last; ++i) {
        rc = ConformImage(panel, control, i, r);
        if (quiet && (rc == UIE_NO_IMAGE || rc == UIE_INDEX_OUT_OF_RANGE)) rc = 0;
        if (rc < 0) return rc;
    }
    return 0;
}

}  // namespace

extern "C" int MakeColorReplacements(int oldBack, int newBack, int oldExtra, int newExtra, ColorReplacements *r) {
    r->oldBack = oldBack;
    r->newBack = newBack;
    r->oldExtra = oldExtra;
    r->newExtra = newExtra;
    int rc = Get3dBorderColors(oldBack, &r->oldHighlight, nullptr, &r->oldShadow, nullptr);
    if (rc == 0) rc = Get3dBorderColors(newBack, &r->newHighlight, nullptr, &r->newShadow, nullptr);
    return rc;
}

extern "C" int RecolorImageBits(int rowBytes, int depth, int width, int height, int *colorTable, unsigned char *bits,
                                const ColorReplacements *r) {
    int entries = 0, step = 0;
    switch (depth) {
    case 1: entries = 2; break;
    case 4: entries = 16; break;
    case 8: entries = 256; break;
    case 24: step = 3; break;
    case 32: step = 4; break;  // red, green, blue and a fourth byte that is kept
    default: return TOOLBOX_ERR_UNRECOGNIZED_VALUE;
    }
    for (int i = 0; i < entries; ++i) {
        int c = colorTable[i] & 0xFFFFFF;
        int out = Replace(c, *r);
        if (out != c) colorTable[i] = out;
    }
    for (int y = 0; step && y < height; ++y) {
        unsigned char *row = bits + static_cast<size_t>(y) * static_cast<size_t>(rowBytes);
        for (int x = 0; x < width; ++x) {
            unsigned char *p = row + static_cast<size_t>(x) * static_cast<size_t>(step);
            int c = MakeColor(p[0], p[1], p[2]);
            int out = Replace(c, *r);
            if (out != c) {
                p[0] = static_cast<unsigned char>(Red(out));
                p[1] = static_cast<unsigned char>(Green(out));
                p[2] = static_cast<unsigned char>(Blue(out));
            }
        }
    }
    return 0;
}

extern "C" int ConformCtrlBitmapToPanel(int panel, int control, int imageIndex, int oldBackColor, int newBackColor,
                                        int oldExtraColor, int newExtraColor) {
    int rc = 0;
    if (newBackColor == -1) rc = GetPanelAttribute(panel, ATTR_BACKCOLOR, &newBackColor);
    if (rc == 0 && newExtraColor == -1) rc = GetPanelAttribute(panel, ATTR_EXTRA_COLOR, &newExtraColor);
    if (rc < 0) return rc;
    ColorReplacements r;
    rc = MakeColorReplacements(oldBackColor, newBackColor, oldExtraColor, newExtraColor, &r);
    if (rc < 0) return rc;
    if (control != -1) return ConformPictureCtrl(panel, control, imageIndex, r, false);
    int c = 0;
    rc = GetPanelAttribute(panel, ATTR_PANEL_FIRST_CTRL, &c);
    while (rc == 0 && c > 0) {
        rc = ConformPictureCtrl(panel, c, imageIndex, r, true);
        if (rc == 0) rc = GetCtrlAttribute(panel, c, ATTR_NEXT_CTRL, &c);
    }
    return rc;
}
