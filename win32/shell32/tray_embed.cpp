// Icons in the X screen's legacy system tray (the XEmbed system tray: the owner of the selection
// _NET_SYSTEM_TRAY_S<screen>), where no StatusNotifierWatcher runs, as mature toolkits fall back.
// Desktop thread only.
//
// The screen is reached through xcb on a connection of its own, watched from the desktop
// thread's main context; xcb reports X errors as events, so a window gone meanwhile never ends
// the program. Each icon is a small window of its own, docked with SYSTEM_TRAY_REQUEST_DOCK:
// the tray reparents it and gives it its size, the icon is drawn with cairo from the image
// whose size fits best (over the tray's background, or with the tray's ARGB visual when it
// offers one), its tooltip shows after the pointer rests on it, and the buttons pressed on it
// become the owner's mouse messages. When the tray goes, the icons wait for the next one (the
// MANAGER announcement on the root window).
#include "win32/shell32/desktop_icon_internal.h"

#include <cairo-xcb.h>
#include <pango/pangocairo.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace win32::shell32 {

struct TrayEmbed {
    DesktopIcon *icon = nullptr;
    xcb_window_t window = 0;
    xcb_visualtype_t *visual = nullptr;
    bool argb = false;          // drawn with the tray's 32-bit visual (else over its background)
    bool docked = true;         // false once the tray went away
    int width = 22, height = 22;
    int askedSize = 0;          // the square the icon last asked the tray for
    GSource *tipTimer = nullptr;
    xcb_window_t tip = 0;       // the tooltip's window while shown
    int tipWidth = 0, tipHeight = 0;
};

namespace {

constexpr guint kTipDelay = 500;   // ms the pointer rests on the icon before its tooltip shows
constexpr int kTipPadding = 4;
constexpr const char *kTipFont = "Sans 9";

enum Atom { kSelection, kOpcode, kManager, kXembedInfo, kTrayVisual, kWmName, kUtf8, kWindowType, kTooltipType, kAtoms };
const char *const kAtomNames[kAtoms] = {nullptr, "_NET_SYSTEM_TRAY_OPCODE", "MANAGER", "_XEMBED_INFO",
                                        "_NET_SYSTEM_TRAY_VISUAL", "_NET_WM_NAME", "UTF8_STRING",
                                        "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_TOOLTIP"};

// The connection to the X screen, opened when an icon first needs the tray.
struct Screen {
    xcb_connection_t *c = nullptr;
    xcb_screen_t *screen = nullptr;
    xcb_atom_t atoms[kAtoms] = {};
    xcb_window_t tray = 0;          // the tray's manager window; 0 while none runs
    GSource *watch = nullptr;
    bool failed = false;            // no X screen: not tried again
    bool placeAgain = false;        // the tray came or went: PlaceAllIcons after the events
    std::deque<xcb_generic_event_t *> queued;  // taken from xcb's queue, not handled yet
    std::vector<TrayEmbed *> icons;
};
Screen g_screen;

xcb_atom_t Intern(const char *name) {
    xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(
        g_screen.c, xcb_intern_atom(g_screen.c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t atom = r != nullptr ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    free(r);
    return atom;
}

xcb_visualtype_t *FindVisual(xcb_visualid_t id, uint8_t *depth) {
    for (auto d = xcb_screen_allowed_depths_iterator(g_screen.screen); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id == id) {
                if (depth != nullptr) *depth = d.data->depth;
                return v.data;
            }
        }
    }
    return nullptr;
}

// Finds the tray now (the selection's owner) and hears of its end. 0 when none runs.
void FindTray() {
    xcb_get_selection_owner_reply_t *r = xcb_get_selection_owner_reply(
        g_screen.c, xcb_get_selection_owner(g_screen.c, g_screen.atoms[kSelection]), nullptr);
    g_screen.tray = r != nullptr ? r->owner : 0;
    free(r);
    if (g_screen.tray != 0) {
        uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(g_screen.c, g_screen.tray, XCB_CW_EVENT_MASK, &mask);
    }
}

TrayEmbed *Find(xcb_window_t window) {
    for (TrayEmbed *e : g_screen.icons) {
        if (e->window == window || (e->tip != 0 && e->tip == window)) return e;
    }
    return nullptr;
}

// ---- drawing ----

// The image that fits size best: the smallest at least as large, else the largest.
const win32::user32::IconImage *BestImage(const IconLook &look, int size) {
    const win32::user32::IconImage *best = nullptr;
    for (const auto &image : look.images) {
        best = &image;
        if (image.width >= size) break;
    }
    return best;
}

cairo_surface_t *ImageSurface(const win32::user32::IconImage &image) {
    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
    cairo_surface_flush(s);
    unsigned char *data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < image.height; ++y) {
        auto *row = reinterpret_cast<uint32_t *>(data + y * stride);
        for (int x = 0; x < image.width; ++x) {
            uint32_t p = image.argb[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
            uint32_t a = p >> 24;
            auto pre = [a](uint32_t c) { return (c * a + 127) / 255; };  // cairo's pixels are premultiplied
            row[x] = (a << 24) | (pre((p >> 16) & 0xFF) << 16) | (pre((p >> 8) & 0xFF) << 8) | pre(p & 0xFF);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

void DrawIcon(TrayEmbed *e) {
    if (!e->argb) xcb_clear_area(g_screen.c, 0, e->window, 0, 0, 0, 0);  // the tray's background
    cairo_surface_t *target = cairo_xcb_surface_create(g_screen.c, e->window, e->visual, e->width, e->height);
    cairo_t *cr = cairo_create(target);
    if (e->argb) {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    }
    int size = std::min(e->width, e->height);
    if (const win32::user32::IconImage *image = BestImage(e->icon->look, size)) {
        cairo_surface_t *source = ImageSurface(*image);
        double scale = static_cast<double>(size) / std::max(image->width, image->height);
        cairo_translate(cr, (e->width - image->width * scale) / 2, (e->height - image->height * scale) / 2);
        cairo_scale(cr, scale, scale);
        cairo_set_source_surface(cr, source, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_surface_destroy(source);
    }
    cairo_destroy(cr);
    cairo_surface_flush(target);
    cairo_surface_destroy(target);
    xcb_flush(g_screen.c);
}

PangoLayout *TipLayout(cairo_t *cr, const std::string &text) {
    PangoLayout *layout = pango_cairo_create_layout(cr);
    PangoFontDescription *font = pango_font_description_from_string(kTipFont);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    pango_layout_set_text(layout, text.c_str(), -1);
    return layout;
}

void DrawTip(TrayEmbed *e) {
    xcb_visualtype_t *visual = FindVisual(g_screen.screen->root_visual, nullptr);
    cairo_surface_t *target = cairo_xcb_surface_create(g_screen.c, e->tip, visual, e->tipWidth, e->tipHeight);
    cairo_t *cr = cairo_create(target);
    cairo_set_source_rgb(cr, 0.46, 0.46, 0.46);  // a thin grey frame on pale yellow
    cairo_paint(cr);
    cairo_rectangle(cr, 1, 1, e->tipWidth - 2, e->tipHeight - 2);
    cairo_set_source_rgb(cr, 1.0, 1.0, 0.88);
    cairo_fill(cr);
    PangoLayout *layout = TipLayout(cr, e->icon->look.tip);
    cairo_move_to(cr, kTipPadding, kTipPadding);
    cairo_set_source_rgb(cr, 0, 0, 0);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_flush(target);
    cairo_surface_destroy(target);
    xcb_flush(g_screen.c);
}

// ---- the tooltip ----

void HideTip(TrayEmbed *e) {
    if (e->tipTimer != nullptr) {
        g_source_destroy(e->tipTimer);
        g_source_unref(e->tipTimer);
        e->tipTimer = nullptr;
    }
    if (e->tip != 0) {
        xcb_destroy_window(g_screen.c, e->tip);
        xcb_flush(g_screen.c);
        e->tip = 0;
    }
}

// Shows the tooltip below the icon (above it at the screen's bottom), inside the screen.
gboolean ShowTip(gpointer data) {
    auto *e = static_cast<TrayEmbed *>(data);
    g_source_unref(e->tipTimer);
    e->tipTimer = nullptr;
    const std::string &text = e->icon->look.tip;
    if (text.empty() || e->tip != 0) return G_SOURCE_REMOVE;
    cairo_surface_t *scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t *cr = cairo_create(scratch);
    PangoLayout *layout = TipLayout(cr, text);
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    e->tipWidth = w + 2 * kTipPadding;
    e->tipHeight = h + 2 * kTipPadding;
    xcb_translate_coordinates_reply_t *at = xcb_translate_coordinates_reply(
        g_screen.c, xcb_translate_coordinates(g_screen.c, e->window, g_screen.screen->root, 0, 0), nullptr);
    if (at == nullptr) return G_SOURCE_REMOVE;
    int sw = g_screen.screen->width_in_pixels, sh = g_screen.screen->height_in_pixels;
    int x = std::clamp(at->dst_x + e->width / 2 - e->tipWidth / 2, 0, std::max(0, sw - e->tipWidth));
    int y = at->dst_y + e->height + 4;
    if (y + e->tipHeight > sh) y = at->dst_y - e->tipHeight - 4;
    free(at);
    e->tip = xcb_generate_id(g_screen.c);
    uint32_t values[] = {g_screen.screen->white_pixel, 1, XCB_EVENT_MASK_EXPOSURE};
    xcb_create_window(g_screen.c, XCB_COPY_FROM_PARENT, e->tip, g_screen.screen->root, static_cast<int16_t>(x),
                      static_cast<int16_t>(y), static_cast<uint16_t>(e->tipWidth), static_cast<uint16_t>(e->tipHeight), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, g_screen.screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_change_property(g_screen.c, XCB_PROP_MODE_REPLACE, e->tip, g_screen.atoms[kWindowType], XCB_ATOM_ATOM, 32, 1,
                        &g_screen.atoms[kTooltipType]);
    xcb_map_window(g_screen.c, e->tip);
    xcb_flush(g_screen.c);
    return G_SOURCE_REMOVE;
}

// ---- events ----

void AskSize(TrayEmbed *e, int size);

void Handle(xcb_generic_event_t *event) {
    switch (event->response_type & 0x7F) {
    case XCB_EXPOSE: {
        auto *ev = reinterpret_cast<xcb_expose_event_t *>(event);
        TrayEmbed *e = Find(ev->window);
        if (e == nullptr || ev->count != 0) break;
        if (ev->window == e->tip) {
            DrawTip(e);
        } else {
            DrawIcon(e);
        }
        break;
    }
    case XCB_CONFIGURE_NOTIFY: {
        auto *ev = reinterpret_cast<xcb_configure_notify_event_t *>(event);
        TrayEmbed *e = Find(ev->window);
        if (e == nullptr || ev->window != e->window) break;
        e->width = ev->width;
        e->height = ev->height;
        if (e->height > 1 && e->askedSize != e->height) AskSize(e, e->height);  // as wide as the tray is high
        DrawIcon(e);
        break;
    }
    case XCB_REPARENT_NOTIFY: {
        auto *ev = reinterpret_cast<xcb_reparent_notify_event_t *>(event);
        TrayEmbed *e = Find(ev->window);
        if (e != nullptr && ev->parent == g_screen.screen->root) {  // the tray ended, handing it back
            e->docked = false;
            g_screen.placeAgain = true;
        }
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        auto *ev = reinterpret_cast<xcb_destroy_notify_event_t *>(event);
        if (ev->window == g_screen.tray && g_screen.tray != 0) {
            g_screen.tray = 0;
            for (TrayEmbed *e : g_screen.icons) e->docked = false;
            g_screen.placeAgain = true;
        }
        break;
    }
    case XCB_CLIENT_MESSAGE: {
        auto *ev = reinterpret_cast<xcb_client_message_event_t *>(event);
        if (ev->type == g_screen.atoms[kManager] && ev->data.data32[1] == g_screen.atoms[kSelection]) {
            FindTray();
            g_screen.placeAgain = true;
        }
        break;
    }
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE: {
        auto *ev = reinterpret_cast<xcb_button_press_event_t *>(event);
        TrayEmbed *e = Find(ev->event);
        if (e == nullptr) break;
        bool down = (event->response_type & 0x7F) == XCB_BUTTON_PRESS;
        HideTip(e);
        if (ev->detail == 1 || ev->detail == 3) {
            ReportButton(e->icon->owner, e->icon->id, ev->detail == 1 ? 0 : 1, down, ev->root_x, ev->root_y);
        } else if (ev->detail == 2 && down) {
            ReportGesture(e->icon->owner, e->icon->id, Gesture::DoubleClick, ev->root_x, ev->root_y);
        }
        break;
    }
    case XCB_ENTER_NOTIFY: {
        TrayEmbed *e = Find(reinterpret_cast<xcb_enter_notify_event_t *>(event)->event);
        if (e == nullptr || e->tipTimer != nullptr || e->tip != 0) break;
        e->tipTimer = g_timeout_source_new(kTipDelay);
        g_source_set_callback(e->tipTimer, ShowTip, e, nullptr);
        g_source_attach(e->tipTimer, DesktopContext());
        break;
    }
    case XCB_LEAVE_NOTIFY: {
        TrayEmbed *e = Find(reinterpret_cast<xcb_leave_notify_event_t *>(event)->event);
        if (e != nullptr) HideTip(e);
        break;
    }
    default:
        break;  // errors (response_type 0) among them: a window gone meanwhile
    }
}

// The connection's events as a source of the desktop thread's main context: ready when the
// socket has more, or when xcb read events along with a reply (they wait in its queue, which
// only xcb_poll_for_queued_event reaches: they are moved to ours).
struct XSource {
    GSource source;
    GPollFD fd;
};

void TakeQueued() {
    while (xcb_generic_event_t *event = xcb_poll_for_queued_event(g_screen.c)) g_screen.queued.push_back(event);
}
gboolean Prepare(GSource *, gint *timeout) {
    *timeout = -1;
    TakeQueued();
    return !g_screen.queued.empty();
}
gboolean Check(GSource *source) {
    TakeQueued();
    return !g_screen.queued.empty() || (reinterpret_cast<XSource *>(source)->fd.revents & G_IO_IN) != 0;
}
gboolean Dispatch(GSource *, GSourceFunc, gpointer) {
    while (xcb_generic_event_t *event = xcb_poll_for_event(g_screen.c)) g_screen.queued.push_back(event);
    while (!g_screen.queued.empty()) {
        xcb_generic_event_t *event = g_screen.queued.front();
        g_screen.queued.pop_front();
        Handle(event);
        free(event);
    }
    bool lost = xcb_connection_has_error(g_screen.c) != 0;  // the X server ended
    if (lost) {
        g_screen.tray = 0;
        for (TrayEmbed *e : g_screen.icons) e->docked = false;
        g_screen.placeAgain = true;
    }
    if (g_screen.placeAgain) {
        g_screen.placeAgain = false;
        PlaceAllIcons();
    }
    return lost ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}
GSourceFuncs kXSourceFuncs = {Prepare, Check, Dispatch, nullptr, nullptr, nullptr};

// Connects to the X screen ($DISPLAY) unless done; false without one.
bool OpenScreen() {
    if (g_screen.c != nullptr) return !xcb_connection_has_error(g_screen.c);
    if (g_screen.failed) return false;
    const char *display = std::getenv("DISPLAY");
    int number = 0;
    xcb_connection_t *c = display != nullptr && display[0] != '\0' ? xcb_connect(display, &number) : nullptr;
    if (c == nullptr || xcb_connection_has_error(c)) {
        if (c != nullptr) xcb_disconnect(c);
        g_screen.failed = true;
        return false;
    }
    g_screen.c = c;
    auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < number && it.rem; ++i) xcb_screen_next(&it);
    g_screen.screen = it.data;
    std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(number);
    g_screen.atoms[kSelection] = Intern(selection.c_str());
    for (int a = 1; a < kAtoms; ++a) g_screen.atoms[a] = Intern(kAtomNames[a]);
    uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;  // the tray's MANAGER announcement
    xcb_change_window_attributes(c, g_screen.screen->root, XCB_CW_EVENT_MASK, &mask);
    FindTray();
    xcb_flush(c);
    auto *source = reinterpret_cast<XSource *>(g_source_new(&kXSourceFuncs, sizeof(XSource)));
    source->fd.fd = xcb_get_file_descriptor(c);
    source->fd.events = G_IO_IN | G_IO_HUP | G_IO_ERR;
    g_source_add_poll(&source->source, &source->fd);
    g_source_attach(&source->source, DesktopContext());
    g_screen.watch = &source->source;
    return true;
}

// The visual the tray asks icons to use when it is a 32-bit one (icons drawn with alpha).
xcb_visualtype_t *TrayArgbVisual() {
    xcb_get_property_reply_t *r = xcb_get_property_reply(
        g_screen.c, xcb_get_property(g_screen.c, 0, g_screen.tray, g_screen.atoms[kTrayVisual], XCB_ATOM_VISUALID, 0, 1),
        nullptr);
    xcb_visualtype_t *visual = nullptr;
    if (r != nullptr && xcb_get_property_value_length(r) == 4) {
        uint8_t depth = 0;
        visual = FindVisual(*static_cast<xcb_visualid_t *>(xcb_get_property_value(r)), &depth);
        if (depth != 32) visual = nullptr;
    }
    free(r);
    return visual;
}

// Asks the tray for a square of side size (trays size their sockets from the icon's hints).
void AskSize(TrayEmbed *e, int size) {
    uint32_t hints[18] = {};
    hints[0] = (1u << 4) | (1u << 8);  // PMinSize, PBaseSize
    hints[5] = hints[6] = hints[15] = hints[16] = static_cast<uint32_t>(size);
    xcb_change_property(g_screen.c, XCB_PROP_MODE_REPLACE, e->window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS,
                        32, 18, hints);
    e->askedSize = size;
}

void SetName(TrayEmbed *e) {
    const std::string &tip = e->icon->look.tip;
    xcb_change_property(g_screen.c, XCB_PROP_MODE_REPLACE, e->window, g_screen.atoms[kWmName], g_screen.atoms[kUtf8], 8,
                        static_cast<uint32_t>(tip.size()), tip.data());
    xcb_change_property(g_screen.c, XCB_PROP_MODE_REPLACE, e->window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(tip.size()), tip.data());
}

}  // namespace

TrayEmbed *TrayEmbedNew(DesktopIcon *icon) {
    if (!OpenScreen() || g_screen.tray == 0) return nullptr;
    xcb_connection_t *c = g_screen.c;
    auto *e = new TrayEmbed;
    e->icon = icon;
    e->window = xcb_generate_id(c);
    uint32_t events = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_BUTTON_PRESS |
                      XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_LEAVE_WINDOW;
    if (xcb_visualtype_t *argb = TrayArgbVisual()) {
        e->argb = true;
        e->visual = argb;
        xcb_colormap_t colormap = xcb_generate_id(c);
        xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap, g_screen.screen->root, argb->visual_id);
        uint32_t values[] = {0, 0, events, colormap};
        xcb_create_window(c, 32, e->window, g_screen.screen->root, 0, 0, 22, 22, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          argb->visual_id, XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                          values);
        xcb_free_colormap(c, colormap);  // the window keeps it
    } else {
        e->visual = FindVisual(g_screen.screen->root_visual, nullptr);
        uint32_t values[] = {XCB_BACK_PIXMAP_PARENT_RELATIVE, events};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, e->window, g_screen.screen->root, 0, 0, 22, 22, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, g_screen.screen->root_visual,
                          XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK, values);
    }
    uint32_t info[] = {0, 1};  // XEmbed version 0, mapped by the tray
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, e->window, g_screen.atoms[kXembedInfo], g_screen.atoms[kXembedInfo],
                        32, 2, info);
    SetName(e);
    AskSize(e, 22);
    xcb_client_message_event_t dock;
    std::memset(&dock, 0, sizeof dock);
    dock.response_type = XCB_CLIENT_MESSAGE;
    dock.format = 32;
    dock.window = g_screen.tray;
    dock.type = g_screen.atoms[kOpcode];
    dock.data.data32[0] = XCB_CURRENT_TIME;
    dock.data.data32[1] = 0;  // SYSTEM_TRAY_REQUEST_DOCK
    dock.data.data32[2] = e->window;
    xcb_send_event(c, 0, g_screen.tray, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&dock));
    xcb_flush(c);
    g_screen.icons.push_back(e);
    return e;
}

bool TrayEmbedDocked(const TrayEmbed *embed) { return embed->docked; }

void TrayEmbedLookChanged(TrayEmbed *embed) {
    SetName(embed);
    HideTip(embed);
    DrawIcon(embed);
}

void TrayEmbedFree(TrayEmbed *embed) {
    HideTip(embed);
    if (g_screen.c != nullptr) {
        xcb_destroy_window(g_screen.c, embed->window);
        xcb_flush(g_screen.c);
    }
    g_screen.icons.erase(std::find(g_screen.icons.begin(), g_screen.icons.end(), embed));
    delete embed;
}

void TrayEmbedCloseScreen() {
    if (g_screen.watch != nullptr) {
        g_source_destroy(g_screen.watch);
        g_source_unref(g_screen.watch);
    }
    for (xcb_generic_event_t *event : g_screen.queued) free(event);
    if (g_screen.c != nullptr) xcb_disconnect(g_screen.c);
    g_screen = Screen();
}

}  // namespace win32::shell32
