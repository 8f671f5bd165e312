// rte/display/web_display.h - the parts of the web display (internal, C++), shared by its files:
// who may look (web_access.cpp), the HTTP and WebSocket server with its viewers
// (web_server.cpp), the pictures of the panels and what changed in them (web_frames.cpp), the
// viewers' input turned into operator input (web_input.cpp), the page and script it serves
// (web_page.cpp, made from the files of web_page/ at build time) and the backend with its pump
// (web_pump.cpp).
//
// Threads: the server's threads (civetweb's workers, one per viewer while it is connected, and
// a sender thread per viewer) only check access, parse what viewers send and queue it, and write
// what was queued for them. Everything that touches panels runs on the main thread, in the pump:
// it applies the queued input, brings the viewers' list of windows up to date, draws the panels
// with the engine's renderer and queues what changed. So a viewer never waits for the program,
// and the program never waits for a viewer.
#ifndef RTE_DISPLAY_WEB_DISPLAY_H
#define RTE_DISPLAY_WEB_DISPLAY_H

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

struct mg_connection;

namespace rte::internal::web {

// ---- limits ----------------------------------------------------------------------------------
constexpr int kMaxViewers = 16;                        // pages connected at once
constexpr size_t kMaxTextMessage = 16 * 1024;          // one message of a viewer
constexpr size_t kMaxUploadChunk = 256 * 1024;         // one piece of a dropped file
constexpr size_t kMaxDropBytes = 64u * 1024 * 1024;    // all files of one drop together
constexpr int kMaxDropFiles = 64;
constexpr size_t kMaxQueuedBytes = 32u * 1024 * 1024;  // not yet sent to one viewer: beyond it the
                                                       // viewer is sent the whole picture afresh
constexpr char kLayoutStart[] = "{\"t\":\"layout\"";      // how a list of windows begins

// ---- access (web_access.cpp) -----------------------------------------------------------------
struct Settings {
    std::string host;       // the address to listen on, as civetweb takes it ("127.0.0.1")
    int port = 8730;        // 0: any free port
    bool loopback = true;   // only this machine can connect
    std::string token;      // what a viewer must show
    std::string cert, key;  // HTTPS when both are set
};
// Reads RTE_WEB_LISTEN, RTE_WEB_TOKEN, RTE_WEB_CERT and RTE_WEB_KEY; false with a one-line
// reason for a value that cannot be used.
bool ReadSettings(Settings *settings, std::string *error);
// "HOST:PORT", "PORT" (on loopback) or "" (127.0.0.1:8730). HOST is an IPv4 address, "localhost"
// or "*" (every interface).
bool ParseListen(std::string_view text, Settings *settings, std::string *error);
// 128 random bits as 32 hexadecimal digits; empty when the system gives no random bytes.
std::string NewToken();
// Equal texts, in a time that depends on their lengths only (no early end at the first
// difference, so the time taken tells nothing about the token).
bool SameToken(std::string_view given, std::string_view token);
// The cookie that carries the token: one name per port, as a browser keeps cookies per host.
std::string CookieName(int port);
// The value of a cookie in a Cookie header, or of a parameter in a query string ("" when
// absent).
std::string CookieValue(const char *header, std::string_view name);
std::string QueryValue(const char *query, std::string_view name);
// A WebSocket's Origin must be this server itself (scheme, host and port as the browser
// addressed it in Host); a request without Origin comes from no browser and is let through.
bool OriginAllowed(const char *origin, const char *host, bool https);

// ---- the server and its viewers (web_server.cpp) ---------------------------------------------
// Starts listening; false with a one-line reason. *url: the address to open, with the token.
bool StartServer(const Settings &settings, std::string *url, std::string *error);
// Sends `farewell` (a text message) to every viewer, gives them a moment to receive it, closes
// them and stops the server.
void StopServer(const std::string &farewell);

// The files of a drop while they arrive (touched by the viewer's server thread only).
struct Upload {
    bool active = false;
    int panel = 0, x = 0, y = 0;
    std::vector<std::string> paths;
    std::vector<size_t> sizes;
    size_t file = 0, written = 0;  // the file being written, and its bytes so far
    int fd = -1;
};

// A connected page. Its sender thread writes what is queued, so that a slow viewer holds up
// neither the program nor the other viewers.
struct Viewer {
    mg_connection *conn = nullptr;
    std::mutex m;
    std::condition_variable cv;
    std::deque<std::pair<bool, std::string>> queue;  // (binary, bytes); guarded by m
    size_t queued = 0;                               // bytes in queue; guarded by m
    bool closing = false;                            // send what is queued, then end; guarded by m
    std::atomic<bool> needsPicture{true};
    std::thread sender;
    Upload upload;
};
using ViewerRef = std::shared_ptr<Viewer>;
// The connected viewers; with wantPicture set, only those that need the whole picture (new
// ones, reconnected ones, and those that fell too far behind), whose flag is cleared.
std::vector<ViewerRef> Viewers(bool wantPicture);
// Queues a message for one viewer or for every viewer that has its picture.
void Send(const ViewerRef &viewer, bool binary, std::string data);
void SendToAll(bool binary, const std::string &data);
// Bytes queued for viewers since the start (for tests and benchmarks).
uint64_t BytesSent();

// ---- pictures (web_frames.cpp, main thread) --------------------------------------------------
// The image last drawn of a panel (or of the popup menu), 32 bits a pixel as cairo's RGB24.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};
struct Rect {
    int x, y, width, height;
};
// The rectangles in which two pictures of one size differ, tight around the changed pixels;
// empty when they are equal.
std::vector<Rect> ChangedRects(const Picture &before, const Picture &after);
// A frame message: "F", the surface number (a panel handle; 0 the popup menu), the place of the
// rectangle (32-bit little-endian numbers), then the rectangle as a PNG image. Empty when the
// image cannot be made.
std::string FrameMessage(int surface, const Picture &picture, const Rect &r);
// Draws a panel or the open menu (model locked by the caller).
bool DrawPanel(int panel, Picture *out);
bool DrawMenu(Picture *out);

// ---- input (web_input.cpp) -------------------------------------------------------------------
// A viewer's text message (server thread): parsed, checked and queued for the main thread.
// False for a message that breaks the rules: the viewer is then disconnected.
bool TakeViewerMessage(const ViewerRef &viewer, std::string_view message);
// A piece of the files of a drop (server thread); false when it breaks the rules.
bool TakeUploadChunk(const ViewerRef &viewer, std::string_view data);
// Throws away a drop that did not arrive whole (the viewer went).
void AbandonUpload(Viewer &viewer);
// The engine's key code of a key named as the browser names it (KeyboardEvent.key), with the
// modifier bits 1 Shift, 2 Ctrl, 4 Alt; 0 for a key the engine does not know.
int KeyCodeOf(std::string_view key, int modifiers);
// Applies everything queued (main thread): true when there was any.
bool ApplyQueuedInput();
// Answers the pings applied so far (main thread, once what came before them has been drawn).
void AnswerPings();
// Blocks until input is queued, Wake() is called, or `seconds` pass (negative: no limit).
void WaitForInput(double seconds);
void Wake();
// Removes the files received for drops (at stop).
void RemoveUploads();

// ---- the windows the viewers show (web_pump.cpp, main thread) --------------------------------
// Whether a panel is one of the windows the viewers are shown (viewers may address only those).
bool IsShownWindow(int panel);
// The window that has the keyboard (0: none); the operator gave it by clicking a window.
int KeyboardWindow();
void GiveKeyboard(int panel);
// Answers the message popup on show (a viewer pressed its OK); whether one is on show.
void AnswerMessage(int id);
bool MessageShown();
// The size of the page a viewer last reported: the screen in which panels are centred.
void SetViewerArea(int width, int height);

// ---- the page (web_page.cpp, generated) ------------------------------------------------------
struct PageFile {
    const char *path;          // "/", "/panels.js", ...
    const char *contentType;
    const unsigned char *data;
    size_t size;
};
// The files served, ending with a null path.
extern const PageFile kPageFiles[];

}  // namespace rte::internal::web

#endif
