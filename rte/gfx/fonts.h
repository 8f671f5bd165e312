// rte/gfx/fonts.h - fonts of the renderer (internal, C++): metafonts, typefaces of this machine and
// pango layouts for measuring and drawing text.
#ifndef RTE_GFX_FONTS_H
#define RTE_GFX_FONTS_H

#include <string>

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;

namespace rte::internal {

struct FontSpec {
    std::string family = "sans";  // a fontconfig family (or generic name)
    int size = 13;                // pixel height of the em
    bool bold = false, italic = false, underline = false, strikeout = false;
};

// The metafont of that name, if there is one.
bool LookupMetaFont(const std::string &name, FontSpec *style);
// Whether fontconfig knows a family of that name (case-insensitive) or it is a generic name.
bool IsTypeface(const std::string &name);
// A metafont's font, or a typeface at 13 points without flags; false when the name is neither.
bool ResolveFontName(const std::string &name, FontSpec *style);
// The family a font name draws with: a metafont's typeface, else the name itself (fontconfig
// substitutes what is missing).
std::string FamilyOf(const std::string &name);

// A layout of text in the font, with the renderer's font options (no hinting of metrics, so a
// text measures the same at every scale). cr null: a layout for measuring only. Caller unrefs.
PangoLayout *NewTextLayout(cairo_t *cr, const FontSpec &font, const std::string &text);
// The logical size of text in pixels (lines split at '\n').
void MeasureText(const FontSpec &font, const std::string &text, int *height, int *width);

}  // namespace rte::internal

#endif
