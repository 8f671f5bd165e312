// rte/display/web_pump.cpp - the web display: the backend that starts the server, and the pump
// that the main thread's event loop runs.
//
// Each turn of the pump, on the main thread: the list of windows the viewers show (every
// visible top-level panel of the main thread, the modal popup on top, the open popup menu, a
// message popup) is sent when it changed; the panels are drawn when something may have changed
// what they show, and the rectangles that did change are sent to every viewer; a viewer that
// joined, came back, or fell behind gets the whole picture; then the pump waits for a viewer's
// input, a wake or the engine's next deadline, and applies the input that came.
#include <errno.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "rte/core/thread_queue.h"
#include "rte/display/display.h"
#include "rte/display/web_display.h"
#include "rte/engine.h"
#include "rte/events/operator_input.h"
#include "rte/events/popup_menu.h"
#include "rte/model/popup_menu.h"
#include "rte/model/ui_model.h"
#include "rte/ui.h"

namespace rte::internal::web {
namespace {

std::atomic<bool> g_started{false};
std::atomic<int> g_areaWidth{1280}, g_areaHeight{800};

// The main thread's own state.
std::map<int, Picture> g_pictures;  // the picture each viewer has of a window (0: the menu)
std::vector<int> g_windows;         // the windows shown, as last sent
std::string g_layout;               // the list of windows last sent
int g_keyboard = 0;                 // the window with the keyboard
bool g_inputSinceDrawn = true;

// The message popup on show (any thread may show one; the main thread sends it).
std::mutex g_messageLock;
std::condition_variable g_messageAnswered;
int g_messageId = 0;       // of the one on show, 0 when none
int g_messageCount = 0;
std::string g_messageTitle, g_messageText;

// Text as a JSON string; bytes that are no UTF-8 (a title in a double-byte code page) become
// U+FFFD, since a page drops a connection that sends it invalid text.
std::string Json(const std::string &s) {
    std::string out = "\"";
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool valid = length > 0 && i + length <= s.size();
        for (size_t k = 1; valid && k < length; ++k) valid = (static_cast<unsigned char>(s[i + k]) >> 6) == 2;
        if (!valid) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
            ++i;
        } else {
            out.append(s, i, length);
            i += length;
        }
    }
    return out + "\"";
}

// JSON built by appending (GCC 12 warns falsely about "literal" + std::string at -O3).
std::string Member(const char *name, const std::string &json) {
    std::string member = "\"";
    member += name;
    member += "\":";
    member += json;
    return member;
}
std::string Field(const char *name, int value) { return Member(name, std::to_string(value)); }
std::string Object(std::initializer_list<std::string> members) {
    std::string object = "{";
    for (const std::string &m : members) {
        if (object.size() > 1) object += ',';
        object += m;
    }
    object += '}';
    return object;
}

// Hands the keyboard from one window to another, as a window system does when the operator
// brings a window to the front.
void MoveKeyboard(int to) {
    if (to == g_keyboard) return;
    int from = g_keyboard;
    g_keyboard = to;
    if (from != 0) WindowFocusChanged(from, false);
    if (to != 0) WindowFocusChanged(to, true);
}

// Brings the list of windows up to date and sends it when it changed; true when it did.
bool SyncWindows() {
    std::vector<int> shown;
    std::string windows;
    int popup = TopPopup();
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        for (int handle : PanelHandles()) {
            Panel *p = FindPanel(handle);
            if (p == nullptr || p->parent != 0 || !p->visible || p->thread != MainThreadId()) continue;
            int titlebar = 1, closable = 1, frame = 2;
            GetAttr(p, nullptr, ATTR_TITLEBAR_VISIBLE, &titlebar);
            GetAttr(p, nullptr, ATTR_CLOSE_ITEM_VISIBLE, &closable);
            GetAttr(p, nullptr, ATTR_FRAME_THICKNESS, &frame);
            if (!windows.empty()) windows += ',';
            windows += Object({Field("id", handle), Member("title", Json(p->title)), Field("left", p->left),
                               Field("top", p->top), Field("width", p->width), Field("height", p->height),
                               Field("titlebar", titlebar), Field("closable", closable), Field("frame", frame),
                               Field("z", PanelZPosition(*p))});
            shown.push_back(handle);
        }
    }
    // A window that appears takes the keyboard, as on a screen; the modal popup on top has it.
    for (int handle : shown) {
        if (std::find(g_windows.begin(), g_windows.end(), handle) == g_windows.end()) MoveKeyboard(handle);
    }
    if (popup != 0 && std::find(shown.begin(), shown.end(), popup) != shown.end()) MoveKeyboard(popup);
    if (g_keyboard != 0 && std::find(shown.begin(), shown.end(), g_keyboard) == shown.end()) {
        MoveKeyboard(shown.empty() ? 0 : shown.back());
    }
    g_windows = shown;
    std::string menu = "null";
    {
        std::lock_guard<std::recursive_mutex> hold(ModelLock());
        const PopupMenu &m = TheMenu();
        if (m.open && !m.answered && m.thread == MainThreadId()) {
            menu = Object({Field("left", m.left), Field("top", m.top), Field("width", m.width), Field("height", m.height)});
        }
    }
    std::string message = "null";
    {
        std::lock_guard<std::mutex> hold(g_messageLock);
        if (g_messageId != 0) {
            message = Object({Field("id", g_messageId), Member("title", Json(g_messageTitle)), Member("text", Json(g_messageText))});
        }
    }
    windows.insert(0, 1, '[');
    windows += ']';
    std::string layout = Object({Member("t", "\"layout\""), Member("windows", windows), Field("popup", popup),
                                 Field("keyboard", g_keyboard), Member("menu", menu), Member("message", message)});
    if (layout == g_layout) return false;
    g_layout = layout;
    SendToAll(false, g_layout);
    return true;
}

// Draws what the viewers show and sends what changed: each window, and the menu as surface 0.
void Redraw() {
    std::vector<int> surfaces = g_windows;
    surfaces.push_back(0);
    for (int surface : surfaces) {
        Picture fresh;
        bool drawn;
        {
            std::lock_guard<std::recursive_mutex> hold(ModelLock());
            drawn = surface == 0 ? DrawMenu(&fresh) : DrawPanel(surface, &fresh);
        }
        if (!drawn) {
            g_pictures.erase(surface);
            continue;
        }
        auto known = g_pictures.find(surface);
        std::vector<Rect> rects;
        if (known == g_pictures.end() || known->second.width != fresh.width || known->second.height != fresh.height) {
            rects.push_back({0, 0, fresh.width, fresh.height});
        } else {
            rects = ChangedRects(known->second, fresh);
        }
        for (const Rect &r : rects) {
            std::string frame = FrameMessage(surface, fresh, r);
            if (!frame.empty()) SendToAll(true, frame);
        }
        g_pictures[surface] = std::move(fresh);
    }
    for (auto it = g_pictures.begin(); it != g_pictures.end();) {
        bool kept = it->first == 0 || std::find(g_windows.begin(), g_windows.end(), it->first) != g_windows.end();
        it = kept ? std::next(it) : g_pictures.erase(it);
    }
}

// The whole picture for each viewer that needs it: the list of windows, then every window whole.
void SendWholePictures() {
    for (const ViewerRef &viewer : Viewers(true)) {
        Send(viewer, false, g_layout);
        for (const auto &[surface, picture] : g_pictures) {
            std::string frame = FrameMessage(surface, picture, {0, 0, picture.width, picture.height});
            if (!frame.empty()) Send(viewer, true, std::move(frame));
        }
    }
}

// One refresh of what the viewers see (main thread). Drawing follows the screen display's rule:
// only when something may have changed what the panels show, at most 60 times a second for a
// program that processes events in a loop, and once a second anyway.
void Refresh(bool wait) {
    static double lastRedraw = -1;
    static unsigned long drawnChanges = 0;
    bool windowsChanged = SyncWindows();
    double now = Timer();
    bool clockJumped = lastRedraw < 0 || now < lastRedraw;
    bool stale = windowsChanged || g_inputSinceDrawn || ModelChangeCount() != drawnChanges || clockJumped ||
                 now - lastRedraw >= 1.0;
    bool draw = stale && (wait || clockJumped || now - lastRedraw >= 1.0 / 60);
    if (draw) {
        drawnChanges = ModelChangeCount();
        g_inputSinceDrawn = false;
        Redraw();
        lastRedraw = now;
    }
    SendWholePictures();
    // A ping is answered once the viewers have what the input before it changed.
    if (draw || !stale) AnswerPings();
}

bool ScreenArea(int *top, int *left, int *height, int *width) {
    *top = 0;
    *left = 0;
    *height = g_areaHeight.load();
    *width = g_areaWidth.load();
    return true;
}

bool Start(std::string *error) {
    Settings settings;
    if (!ReadSettings(&settings, error)) return false;
    std::string url;
    if (!StartServer(settings, &url, error)) return false;
    SetScreenMenus(true);
    SetScreenAreaHook(ScreenArea);
    g_started.store(true);
    std::fflush(stdout);
    std::fprintf(stderr, "rte: panels at %s\n", url.c_str());
    if (!settings.loopback && settings.cert.empty()) {
        std::fprintf(stderr, "rte: warning: the panels are served beyond this machine without HTTPS, so the token "
                             "crosses the network readable; set RTE_WEB_CERT and RTE_WEB_KEY\n");
    }
    std::fflush(stderr);
    return true;
}

// A panel shown or hidden: the pump brings the viewers in step at its next turn.
void Shown(int) { WakeThread(MainThreadId()); }
void Hidden(int) { WakeThread(MainThreadId()); }

void Popup(const char *title, const char *message) {
    if (!g_started.load()) return;
    int id;
    {
        std::lock_guard<std::mutex> hold(g_messageLock);
        id = g_messageId = ++g_messageCount;
        g_messageTitle = title;
        g_messageText = message;
    }
    auto answered = [id] { return g_messageId != id; };
    if (CurrThreadId() == MainThreadId()) {
        // The main thread keeps serving the viewers (a late one sees the popup too) until one
        // answers it; other input waits.
        for (;;) {
            {
                std::lock_guard<std::mutex> hold(g_messageLock);
                if (answered()) break;
            }
            Refresh(true);
            WaitForInput(-1);
            ApplyQueuedInput();
        }
        SyncWindows();
    } else {
        WakeThread(MainThreadId());
        std::unique_lock<std::mutex> hold(g_messageLock);
        g_messageAnswered.wait(hold, answered);
    }
}

void Stop() {
    if (!g_started.exchange(false)) return;
    const char *name = program_invocation_short_name;
    std::string farewell = "The program ";
    farewell += name;
    farewell += " has ended.";
    StopServer(Object({Member("t", "\"ended\""), Member("text", Json(farewell))}));
    RemoveUploads();
    g_pictures.clear();
    g_windows.clear();
    g_layout.clear();
}

void WakePump() {
    if (g_started.load()) Wake();
}

void Pump(double deadline, bool wait) {
    if (!g_started.load()) return;
    static double lastLook = -1;
    if (!wait && LookedJustNow(&lastLook)) return;
    Refresh(wait);
    if (wait) WaitForInput(deadline < 0 || std::isinf(deadline) ? -1 : std::max(0.0, deadline - Timer()));
    if (ApplyQueuedInput()) {
        g_inputSinceDrawn = true;
        SyncWindows();  // a callback may have hidden or discarded a panel
    }
}

const DisplayBackend kWeb = {"web", Start, Shown, Hidden, Popup, Stop, WakePump, Pump};

}  // namespace

bool IsShownWindow(int panel) {
    return panel != 0 && std::find(g_windows.begin(), g_windows.end(), panel) != g_windows.end();
}

int KeyboardWindow() { return g_keyboard; }

void GiveKeyboard(int panel) { MoveKeyboard(panel); }

void AnswerMessage(int id) {
    {
        std::lock_guard<std::mutex> hold(g_messageLock);
        if (id == 0 || id != g_messageId) return;
        g_messageId = 0;
    }
    g_messageAnswered.notify_all();
}

bool MessageShown() {
    std::lock_guard<std::mutex> hold(g_messageLock);
    return g_messageId != 0;
}

void SetViewerArea(int width, int height) {
    g_areaWidth.store(width);
    g_areaHeight.store(height);
}

}  // namespace rte::internal::web

namespace rte::internal {

const DisplayBackend &WebDisplay() { return web::kWeb; }

}  // namespace rte::internal
