// rte/display/web_input.cpp - the viewers' input: each message a page sends is read on the
// server's thread, checked and queued; the main thread turns the queue into calls of the
// operator-input layer (rte/events/operator_input.h), as the screen display turns window-system
// events into them, so a click in a browser does what a click on the screen does.
//
// A page's messages are lines of words: a command, then numbers, then for key names and text
// the rest of the line verbatim.
//   hello WIDTH HEIGHT          the page's size (the area in which panels are centred)
//   move PANEL X Y BUTTONS      the pointer; BUTTONS: 1 left, 2 right held
//   down PANEL X Y BUTTON CLICKS  a button pressed (0 left, 2 right; CLICKS 2: double click)
//   up PANEL X Y BUTTON
//   wheel PANEL X Y LINES       positive: up
//   key MODIFIERS REPEAT NAME   a key going down, named as the browser names it (1 Shift,
//                               2 Ctrl, 4 Alt; REPEAT 1 while it repeats)
//   text TEXT                   text typed (UTF-8, from the browser's text input)
//   focus PANEL                 the operator brought a window to the front
//   close PANEL                 its close box
//   answer ID                   the OK of a message popup
//   ping N                      answered with {"t":"pong","n":N} once everything sent before
//                               it was applied and what it changed was sent
//   drop PANEL X Y              files dropped; each following line "file SIZE NAME"; their
//                               bytes follow as binary messages, the files one after another
// X and Y are in the panel's coordinates; with PANEL 0, in the page's (the screen's).
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <mutex>

#include "rte/core/thread_queue.h"
#include "rte/display/web_display.h"
#include "rte/events/editing.h"
#include "rte/events/operator_input.h"
#include "rte/events/popup_menu.h"
#include "rte/events/window_input.h"
#include "rte/model/popup_menu.h"
#include "rte/model/ui_model.h"
#include "rte/ui.h"

namespace rte::internal::web {
namespace {

enum class Kind { Move, Down, Up, Wheel, Key, Text, Focus, Close, Answer, Drop, Ping };

struct Input {
    explicit Input(Kind k) : kind(k) {}
    Kind kind;
    int panel = 0, x = 0, y = 0, a = 0, b = 0;
    std::string text;
    std::vector<std::string> paths;
    std::weak_ptr<Viewer> from;  // a ping's viewer
};

std::mutex g_lock;  // guards the three below
std::condition_variable g_cv;
std::deque<Input> g_queue;
bool g_woken = false;
std::vector<std::pair<std::weak_ptr<Viewer>, int>> g_pings;  // main thread: to answer after drawing

std::mutex g_uploadLock;  // guards the two below (uploads of several viewers at once)
std::string g_uploadRoot;  // a private folder for the files dropped in this run
unsigned g_dropCount = 0;

void Queue(Input input) {
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_queue.push_back(std::move(input));
    }
    g_cv.notify_one();
}

// The words of a message, one at a time.
struct Words {
    std::string_view rest;
    std::string_view Next() {
        size_t space = rest.find(' ');
        std::string_view word = rest.substr(0, space);
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        return word;
    }
    bool Number(int *out, int low = -1000000, int high = 1000000) {
        std::string_view word = Next();
        auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), *out);
        return ec == std::errc() && end == word.data() + word.size() && *out >= low && *out <= high;
    }
};

// A dropped file's name as the page gave it, made safe as a name in our folder: its last part
// only, no control characters; "" when nothing usable is left.
std::string SafeName(std::string_view name) {
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    std::string out;
    for (char c : name) out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '_' : c;
    if (out.empty() || out == "." || out == ".." || out.size() > 255) return "";
    return out;
}

void CloseUploadFile(Upload &u) {
    if (u.fd >= 0) close(u.fd);
    u.fd = -1;
}

// Opens the files still to be written from u.file on, finishing those of no bytes; true when
// one is open or all are done.
bool OpenNextFile(Upload &u) {
    while (u.file < u.paths.size()) {
        if (u.fd < 0) {
            u.fd = open(u.paths[u.file].c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (u.fd < 0) return false;
            u.written = 0;
        }
        if (u.written < u.sizes[u.file]) return true;
        CloseUploadFile(u);
        ++u.file;
    }
    return true;
}

// The drop arrived whole: it goes to the main thread.
void FinishDrop(Upload &u) {
    Input in(Kind::Drop);
    in.panel = u.panel;
    in.x = u.x;
    in.y = u.y;
    in.paths = u.paths;
    u = Upload{};
    Queue(std::move(in));
}

// Begins receiving a drop: the files as the page described them, in a folder of their own.
bool BeginDrop(Viewer &v, Words words) {
    AbandonUpload(v);
    Upload u;
    size_t end = words.rest.find('\n');
    std::string_view lines = end == std::string_view::npos ? std::string_view() : words.rest.substr(end + 1);
    Words first{words.rest.substr(0, end)};
    if (!first.Number(&u.panel, 0) || !first.Number(&u.x) || !first.Number(&u.y) || !first.rest.empty()) return false;
    std::vector<std::string> names;
    size_t total = 0;
    while (!lines.empty()) {
        size_t end = lines.find('\n');
        Words line{lines.substr(0, end)};
        lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
        if (line.rest.empty()) continue;
        int size = 0;
        if (line.Next() != "file" || !line.Number(&size, 0, static_cast<int>(kMaxDropBytes))) return false;
        std::string name = SafeName(line.rest);
        total += static_cast<size_t>(size);
        if (name.empty() || total > kMaxDropBytes || names.size() >= static_cast<size_t>(kMaxDropFiles)) return false;
        for (const std::string &n : names) {
            if (n == name) return false;
        }
        names.push_back(name);
        u.sizes.push_back(static_cast<size_t>(size));
    }
    if (names.empty()) return false;
    std::string folder;
    {
        std::lock_guard<std::mutex> hold(g_uploadLock);
        if (g_uploadRoot.empty()) {
            const char *tmp = std::getenv("TMPDIR");
            std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/rte-web-XXXXXX";
            if (mkdtemp(pattern.data()) == nullptr) return false;
            g_uploadRoot = pattern;
        }
        folder = g_uploadRoot + "/drop-" + std::to_string(++g_dropCount);
    }
    if (mkdir(folder.c_str(), 0700) != 0) return false;
    for (const std::string &name : names) u.paths.push_back(folder + "/" + name);
    u.active = true;
    v.upload = std::move(u);
    if (!OpenNextFile(v.upload)) return false;
    if (v.upload.file >= v.upload.paths.size()) FinishDrop(v.upload);  // files of no bytes only
    return true;
}

int RemoveEntry(const char *path, const struct stat *, int, struct FTW *) { return remove(path); }

// ---- the main thread's side ----------------------------------------------------------------

bool MenuOpen() {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    const PopupMenu &m = TheMenu();
    return m.open && !m.answered && m.thread == MainThreadId();
}

// A point of a panel (or, for panel 0, of the page) on the screen.
void OnScreen(int panel, int *x, int *y) {
    std::lock_guard<std::recursive_mutex> hold(ModelLock());
    if (Panel *p = FindPanel(panel)) {
        *x += p->left;
        *y += p->top;
    }
}

bool Operable(int panel) { return IsShownWindow(panel) && PanelTakesInput(panel); }

void Apply(const Input &in) {
    // A message popup on show takes no other input: it is answered first.
    if (MessageShown() && in.kind != Kind::Answer && in.kind != Kind::Ping) return;
    int sx = in.x, sy = in.y;
    OnScreen(in.panel, &sx, &sy);
    bool menu = MenuOpen();
    int window = KeyboardWindow();
    switch (in.kind) {
    case Kind::Ping: g_pings.emplace_back(in.from, in.a); break;
    case Kind::Move:
        if (menu) MenuPointerAt(sx, sy);
        else if (IsShownWindow(in.panel)) PointerMoved(in.panel, in.x, in.y, (in.a & 1) != 0, (in.a & 2) != 0);
        break;
    case Kind::Down:
        if (menu) {
            MenuClickAt(sx, sy);
        } else if (Operable(in.panel)) {
            GiveKeyboard(in.panel);
            ButtonDown(in.panel, in.x, in.y, in.a == 2, in.b);
        }
        break;
    case Kind::Up:
        if (!menu && Operable(in.panel)) ButtonUp(in.panel, in.x, in.y, in.a == 2);
        break;
    case Kind::Wheel:
        if (!menu && Operable(in.panel)) WheelTurned(in.panel, in.x, in.y, in.a);
        break;
    case Kind::Key:
        if (menu) MenuKey(in.a);
        else if (window != 0 && PanelTakesInput(window)) KeyDown(window, ActiveControl(window), in.a, in.b != 0);
        break;
    case Kind::Text:
        if (!menu && window != 0 && PanelTakesInput(window)) TypeText(window, ActiveControl(window), in.text);
        break;
    case Kind::Focus:
        if (Operable(in.panel)) GiveKeyboard(in.panel);
        break;
    case Kind::Close:
        if (!menu && IsShownWindow(in.panel)) CloseByOperator(in.panel);
        break;
    case Kind::Answer: AnswerMessage(in.a); break;
    case Kind::Drop:
        if (!menu && Operable(in.panel)) DropOnPanel(in.panel, in.paths, in.x, in.y);
        break;
    }
}

}  // namespace

int KeyCodeOf(std::string_view key, int modifiers) {
    static const struct {
        const char *name;
        int code;
    } kNamed[] = {
        {"Backspace", VAL_BACKSPACE_VKEY}, {"Tab", VAL_TAB_VKEY},           {"Escape", VAL_ESC_VKEY},
        {"Delete", VAL_FWD_DELETE_VKEY},   {"Enter", VAL_ENTER_VKEY},       {"ArrowUp", VAL_UP_ARROW_VKEY},
        {"ArrowDown", VAL_DOWN_ARROW_VKEY}, {"ArrowLeft", VAL_LEFT_ARROW_VKEY}, {"ArrowRight", VAL_RIGHT_ARROW_VKEY},
        {"Insert", VAL_INSERT_VKEY},       {"Home", VAL_HOME_VKEY},         {"End", VAL_END_VKEY},
        {"PageUp", VAL_PAGE_UP_VKEY},      {"PageDown", VAL_PAGE_DOWN_VKEY},
    };
    int code = 0;
    for (const auto &k : kNamed) {
        if (key == k.name) code = k.code;
    }
    if (code == 0 && key.size() >= 2 && key.size() <= 3 && key[0] == 'F') {
        int n = 0;
        auto [end, ec] = std::from_chars(key.data() + 1, key.data() + key.size(), n);
        if (ec == std::errc() && end == key.data() + key.size() && n >= 1 && n <= 12) code = VAL_F1_VKEY + (n - 1) * 0x100;
    }
    if (code == 0 && key.size() == 1 && key[0] >= 0x20 && key[0] < 0x7F) {
        // Letters by their key, as the screen names them: Shift is a modifier, not a capital.
        code = key[0] >= 'A' && key[0] <= 'Z' ? key[0] - 'A' + 'a' : key[0];
    }
    if (code == 0) return 0;
    if (modifiers & 1) code |= VAL_SHIFT_MODIFIER;
    if (modifiers & 2) code |= VAL_MENUKEY_MODIFIER;
    if (modifiers & 4) code |= VAL_ALT_MODIFIER;
    return code;
}

bool TakeViewerMessage(const ViewerRef &viewer, std::string_view message) {
    Words words{message};
    std::string_view command = words.Next();
    Input in(Kind::Ping);
    if (command == "drop") return BeginDrop(*viewer, words);
    if (command == "hello") {
        int width = 0, height = 0;
        if (!words.Number(&width, 1, 100000) || !words.Number(&height, 1, 100000)) return false;
        SetViewerArea(width, height);
        return true;
    }
    bool ok;
    if (command == "ping") {
        in.from = viewer;
        ok = words.Number(&in.a, 0, 1 << 30);
    } else if (command == "move" || command == "down" || command == "up" || command == "wheel") {
        in.kind = command == "move" ? Kind::Move : command == "down" ? Kind::Down : command == "up" ? Kind::Up : Kind::Wheel;
        ok = words.Number(&in.panel, 0) && words.Number(&in.x) && words.Number(&in.y) && words.Number(&in.a, -100, 100);
        if (ok && in.kind == Kind::Down) ok = words.Number(&in.b, 1, 3);
    } else if (command == "key") {
        in.kind = Kind::Key;
        int modifiers = 0;
        ok = words.Number(&modifiers, 0, 7) && words.Number(&in.b, 0, 1);
        in.a = KeyCodeOf(words.rest, modifiers);
        if (ok && in.a == 0) return true;  // a key the engine has no code for
    } else if (command == "text") {
        in.kind = Kind::Text;
        in.text = std::string(words.rest);
        ok = !in.text.empty();
    } else if (command == "focus" || command == "close") {
        in.kind = command == "focus" ? Kind::Focus : Kind::Close;
        ok = words.Number(&in.panel, 1);
    } else if (command == "answer") {
        in.kind = Kind::Answer;
        ok = words.Number(&in.a, 0, 1 << 30);
    } else {
        ok = false;
    }
    if (!ok) return false;
    Queue(std::move(in));
    return true;
}

bool TakeUploadChunk(const ViewerRef &viewer, std::string_view data) {
    Upload &u = viewer->upload;
    if (!u.active) return false;
    while (!data.empty()) {
        if (u.file >= u.paths.size() || u.fd < 0) return false;  // more bytes than announced
        size_t room = u.sizes[u.file] - u.written, n = data.size() < room ? data.size() : room;
        ssize_t put = write(u.fd, data.data(), n);
        if (put <= 0) return false;
        u.written += static_cast<size_t>(put);
        data.remove_prefix(static_cast<size_t>(put));
        if (!OpenNextFile(u)) return false;
    }
    if (u.file >= u.paths.size()) FinishDrop(u);
    return true;
}

void AbandonUpload(Viewer &v) {
    Upload &u = v.upload;
    CloseUploadFile(u);
    if (!u.paths.empty()) {
        std::string folder = u.paths[0].substr(0, u.paths[0].rfind('/'));
        nftw(folder.c_str(), RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);
    }
    u = Upload{};
}

void RemoveUploads() {
    std::lock_guard<std::mutex> hold(g_uploadLock);
    if (!g_uploadRoot.empty()) nftw(g_uploadRoot.c_str(), RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);
    g_uploadRoot.clear();
}

bool ApplyQueuedInput() {
    std::deque<Input> taken;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        taken.swap(g_queue);
    }
    for (const Input &in : taken) Apply(in);
    return !taken.empty();
}

void AnswerPings() {
    for (auto &[from, n] : g_pings) {
        if (ViewerRef viewer = from.lock()) Send(viewer, false, "{\"t\":\"pong\",\"n\":" + std::to_string(n) + "}");
    }
    g_pings.clear();
}

void WaitForInput(double seconds) {
    std::unique_lock<std::mutex> hold(g_lock);
    auto ready = [] { return g_woken || !g_queue.empty(); };
    if (seconds < 0) g_cv.wait(hold, ready);
    else g_cv.wait_for(hold, std::chrono::duration<double>(seconds), ready);
    g_woken = false;
}

void Wake() {
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_woken = true;
    }
    g_cv.notify_one();
}

}  // namespace rte::internal::web
