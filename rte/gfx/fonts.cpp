// rte/gfx/fonts.cpp - metafonts, typeface look-up through fontconfig, text layouts and measurement.
//
// Metafonts live in one process-wide table guarded by a mutex; the standard ones are there from
// the start. Layouts come from the calling thread's own pango font map, so any thread may
// measure or draw.
#include "rte/gfx/fonts.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <mutex>
#include <new>

#include "rte/graphics.h"
#include "rte/ui.h"

namespace rte::internal {
namespace {

std::string Lower(const std::string &s) {
    std::string out = s;
    for (char &ch : out) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return out;
}

struct FontTables {
    std::mutex lock;
    std::map<std::string, FontSpec> metaFonts;     // by exact name
    std::map<std::string, bool> typefaceKnown;     // lower-case family -> known (cache)
};

FontTables &Tables() {
    static FontTables *tables = [] {
        auto *t = new FontTables;  // never destroyed: other threads may measure during exit
        auto add = [t](const char *name, const char *family, int size, bool bold) {
            FontSpec f;
            f.family = family;
            f.size = size;
            f.bold = bold;
            t->metaFonts[name] = f;
        };
        add(VAL_DIALOG_FONT, "sans", 13, false);
        add(VAL_DIALOG_META_FONT, "sans", 13, false);
        add(VAL_MENU_META_FONT, "sans", 13, false);
        add(VAL_APP_META_FONT, "sans", 13, false);
        add(VAL_MESSAGE_BOX_META_FONT, "sans", 13, false);
        add(VAL_EDITOR_META_FONT, "monospace", 13, false);
        add(VAL_7SEG_META_FONT, "monospace", 16, true);
        return t;
    }();
    return *tables;
}

bool FontconfigHasFamily(const std::string &family) {
    FcPattern *pattern = FcPatternCreate();
    if (pattern == nullptr) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(family.c_str()));
    FcObjectSet *objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet *fonts = objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    bool found = fonts != nullptr && fonts->nfont > 0;
    if (fonts) FcFontSetDestroy(fonts);
    if (objects) FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

}  // namespace

bool LookupMetaFont(const std::string &name, FontSpec *style) {
    FontTables &t = Tables();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.metaFonts.find(name);
    if (it == t.metaFonts.end()) return false;
    if (style) *style = it->second;
    return true;
}

bool IsTypeface(const std::string &name) {
    std::string key = Lower(name);
    if (key.empty()) return false;
    if (key == "sans" || key == "sans-serif" || key == "serif" || key == "monospace") return true;
    FontTables &t = Tables();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.typefaceKnown.find(key);
    if (it != t.typefaceKnown.end()) return it->second;
    bool known = FontconfigHasFamily(name);  // fontconfig compares families without case
    t.typefaceKnown[key] = known;
    return known;
}

bool ResolveFontName(const std::string &name, FontSpec *style) {
    if (LookupMetaFont(name, style)) return true;
    if (!IsTypeface(name)) return false;
    *style = FontSpec{};
    style->family = name;
    return true;
}

std::string FamilyOf(const std::string &name) {
    FontSpec style;
    if (LookupMetaFont(name, &style)) return style.family;
    return name;
}

PangoLayout *NewTextLayout(cairo_t *cr, const FontSpec &font, const std::string &text) {
    PangoContext *context;
    if (cr != nullptr) {
        context = pango_cairo_create_context(cr);
    } else {
        context = pango_font_map_create_context(pango_cairo_font_map_get_default());
    }
    cairo_font_options_t *options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(context, 96);

    PangoLayout *layout = pango_layout_new(context);
    g_object_unref(context);
    PangoFontDescription *desc = pango_font_description_new();
    pango_font_description_set_family(desc, font.family.c_str());
    pango_font_description_set_absolute_size(desc, std::max(1, font.size) * PANGO_SCALE);
    pango_font_description_set_weight(desc, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    if (font.underline || font.strikeout) {
        PangoAttrList *attrs = pango_attr_list_new();
        if (font.underline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (font.strikeout) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
    }
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    return layout;
}

void MeasureText(const FontSpec &font, const std::string &text, int *height, int *width) {
    PangoLayout *layout = NewTextLayout(nullptr, font, text);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    if (height) *height = static_cast<int>(std::ceil(logical.height / static_cast<double>(PANGO_SCALE)));
    if (width) *width = static_cast<int>(std::ceil(logical.width / static_cast<double>(PANGO_SCALE)));
}

}  // namespace rte::internal

using namespace rte::internal;

extern "C" int CreateMetaFont(const char *newName, const char *existingFont, int pointSize, int bold, int italic,
                              int underline, int strikeout) {
    if (newName == nullptr || existingFont == nullptr) return UIE_NULL_POINTER;
    size_t nameLength = std::char_traits<char>::length(newName);
    auto flag = [](int v) { return v == 0 || v == 1; };
    if (nameLength == 0 || nameLength > 255 || existingFont[0] == '\0' || pointSize < 1 || pointSize > 512 ||
        !flag(bold) || !flag(italic) || !flag(underline) || !flag(strikeout)) {
        return UIE_BAD_VALUE;
    }
    try {
        FontSpec style;
        style.family = FamilyOf(existingFont);
        style.size = pointSize;
        style.bold = bold != 0;
        style.italic = italic != 0;
        style.underline = underline != 0;
        style.strikeout = strikeout != 0;
        FontTables &t = Tables();
        std::lock_guard<std::mutex> hold(t.lock);
        t.metaFonts[newName] = style;
    } catch (const std::bad_alloc &) {
        return UIE_OUT_OF_MEMORY;
    }
    return 0;
}

extern "C" int GetTextDisplaySize(const char *text, const char *fontName, int *height, int *width) {
    if (text == nullptr || fontName == nullptr) return UIE_NULL_POINTER;
    FontSpec style;
    if (!ResolveFontName(fontName, &style)) return UIE_BAD_FONT;
    MeasureText(style, text, height, width);
    return 0;
}
