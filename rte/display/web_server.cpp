// rte/display/web_server.cpp - the web display's server (civetweb): the page and its script for
// whoever shows the token, the WebSocket of each viewer, and the viewers' queues of messages,
// each written by a sender thread of its own.
//
// Every request must carry the token: on the first load as ?token= in the address (answered
// with the cookie and a redirect to the bare address, so the token leaves the address bar), then
// as the cookie, HttpOnly and SameSite=Strict, so no script and no other site can use it. The
// WebSocket also checks the page's Origin. Anything else gets 403 and no frame. Only the
// embedded files are served: civetweb is given no document root.
#include <civetweb.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "rte/display/web_display.h"

namespace rte::internal::web {
namespace {

mg_context *g_ctx = nullptr;
Settings g_settings;
std::string g_cookieName;  // set before the handlers are, never changed while they run
bool g_https = false;
void *g_ssl = nullptr;     // OpenSSL, opened for loading the certificate and key
std::string g_sslError;

std::mutex g_viewersLock;  // guards g_viewers; never held while a viewer's own lock is taken
std::vector<ViewerRef> g_viewers;
std::atomic<uint64_t> g_bytesSent{0};
std::condition_variable g_drained;  // a queue became empty (waited for at stop, g_viewersLock)

const char kSecurityHeaders[] =
    "Cache-Control: no-store\r\n"
    "X-Content-Type-Options: nosniff\r\n"
    "X-Frame-Options: DENY\r\n"
    "Referrer-Policy: no-referrer\r\n"
    "Content-Security-Policy: default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' blob:; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'\r\n";

void Reply(mg_connection *conn, int status, const char *contentType, const void *body, size_t size,
           const std::string &extraHeaders, bool head) {
    mg_response_header_start(conn, status);
    mg_response_header_add(conn, "Content-Type", contentType, -1);
    mg_response_header_add(conn, "Content-Length", std::to_string(size).c_str(), -1);
    mg_response_header_add_lines(conn, (kSecurityHeaders + extraHeaders).c_str());
    mg_response_header_send(conn);
    if (!head && size > 0) mg_write(conn, body, size);
}

void ReplyText(mg_connection *conn, int status, const std::string &text, bool head) {
    Reply(conn, status, "text/plain; charset=utf-8", text.data(), text.size(), "", head);
}

bool HasToken(const mg_connection *conn) {
    return SameToken(CookieValue(mg_get_header(conn, "Cookie"), g_cookieName), g_settings.token);
}

int HandleRequest(mg_connection *conn, void *) {
    const mg_request_info *ri = mg_get_request_info(conn);
    bool head = std::strcmp(ri->request_method, "HEAD") == 0;
    if (!head && std::strcmp(ri->request_method, "GET") != 0) {
        ReplyText(conn, 405, "405 Method Not Allowed\n", false);
        return 405;
    }
    std::string path = ri->local_uri != nullptr ? ri->local_uri : "";
    bool byCookie = HasToken(conn);
    bool byQuery = path == "/" && SameToken(QueryValue(ri->query_string, "token"), g_settings.token);
    if (!byCookie && !byQuery) {
        ReplyText(conn, 403,
                  "403 Forbidden: open the address the program printed at its start, with its ?token=\n", head);
        return 403;
    }
    if (byQuery) {
        // The token goes into the cookie and out of the address (and so out of the history).
        std::string headers = "Set-Cookie: " + g_cookieName + "=" + g_settings.token +
                              "; Path=/; HttpOnly; SameSite=Strict" + (g_https ? "; Secure" : "") +
                              "\r\nLocation: /\r\n";
        Reply(conn, 303, "text/plain; charset=utf-8", "", 0, headers, head);
        return 303;
    }
    for (const PageFile *f = kPageFiles; f->path != nullptr; ++f) {
        if (path == f->path) {
            Reply(conn, 200, f->contentType, f->data, f->size, "", head);
            return 200;
        }
    }
    ReplyText(conn, 404, "404 Not Found\n", head);
    return 404;
}

// ---- WebSocket --------------------------------------------------------------------------------

int CountViewers() {
    std::lock_guard<std::mutex> hold(g_viewersLock);
    return static_cast<int>(g_viewers.size());
}

// Before the handshake: the token (the cookie, or ?token= for a program that is no browser),
// the Origin, and room for one more viewer. 1 refuses: the connection is closed unanswered.
int WebSocketConnect(const mg_connection *conn, void *) {
    const mg_request_info *ri = mg_get_request_info(conn);
    bool token = HasToken(conn) || SameToken(QueryValue(ri->query_string, "token"), g_settings.token);
    if (!token || !OriginAllowed(mg_get_header(conn, "Origin"), mg_get_header(conn, "Host"), ri->is_ssl != 0)) {
        return 1;
    }
    return CountViewers() < kMaxViewers ? 0 : 1;
}

void NoteDrained() {
    std::lock_guard<std::mutex> hold(g_viewersLock);
    g_drained.notify_all();
}

void SendLoop(Viewer *v) {
    for (;;) {
        std::pair<bool, std::string> message;
        {
            std::unique_lock<std::mutex> hold(v->m);
            v->cv.wait(hold, [v] { return v->closing || !v->queue.empty(); });
            if (v->queue.empty()) break;
            message = std::move(v->queue.front());
            v->queue.pop_front();
            v->queued -= message.second.size();
        }
        int opcode = message.first ? MG_WEBSOCKET_OPCODE_BINARY : MG_WEBSOCKET_OPCODE_TEXT;
        bool written = mg_websocket_write(v->conn, opcode, message.second.data(), message.second.size()) > 0;
        bool empty;
        {
            std::lock_guard<std::mutex> hold(v->m);
            if (!written) {
                v->queue.clear();
                v->queued = 0;
            }
            empty = v->queue.empty();
        }
        if (empty) NoteDrained();
        if (!written) break;
    }
}

void WebSocketReady(mg_connection *conn, void *) {
    auto viewer = std::make_shared<Viewer>();
    viewer->conn = conn;
    mg_set_user_connection_data(conn, viewer.get());
    viewer->sender = std::thread(SendLoop, viewer.get());
    {
        std::lock_guard<std::mutex> hold(g_viewersLock);
        g_viewers.push_back(viewer);
    }
    Wake();  // the main thread sends it the whole picture
}

ViewerRef FindViewer(const mg_connection *conn) {
    std::lock_guard<std::mutex> hold(g_viewersLock);
    for (const ViewerRef &v : g_viewers) {
        if (v->conn == conn) return v;
    }
    return nullptr;
}

int WebSocketData(mg_connection *conn, int bits, char *data, size_t size, void *) {
    int opcode = bits & 0x0F;
    bool final = (bits & 0x80) != 0;
    if (opcode == MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE) return 0;
    if (opcode == MG_WEBSOCKET_OPCODE_PING || opcode == MG_WEBSOCKET_OPCODE_PONG) return 1;
    ViewerRef viewer = FindViewer(conn);
    // Messages come whole (a page never splits them); pieces and oversized ones end the viewer.
    if (viewer == nullptr || !final || opcode == MG_WEBSOCKET_OPCODE_CONTINUATION) return 0;
    std::string_view message(data, size);
    if (opcode == MG_WEBSOCKET_OPCODE_TEXT) return size <= kMaxTextMessage && TakeViewerMessage(viewer, message);
    if (opcode == MG_WEBSOCKET_OPCODE_BINARY) return size <= kMaxUploadChunk && TakeUploadChunk(viewer, message);
    return 0;
}

void WebSocketClose(const mg_connection *conn, void *) {
    ViewerRef viewer;
    {
        std::lock_guard<std::mutex> hold(g_viewersLock);
        auto it = std::find_if(g_viewers.begin(), g_viewers.end(), [conn](const ViewerRef &v) { return v->conn == conn; });
        if (it == g_viewers.end()) return;
        viewer = *it;
        g_viewers.erase(it);
    }
    {
        std::lock_guard<std::mutex> hold(viewer->m);
        viewer->queue.clear();
        viewer->queued = 0;
        viewer->closing = true;
    }
    viewer->cv.notify_all();
    viewer->sender.join();
    AbandonUpload(*viewer);  // a drop cut short is thrown away
}

// ---- HTTPS ------------------------------------------------------------------------------------

// Loads the certificate chain and its key into civetweb's TLS context, with OpenSSL opened as
// civetweb opens it (by name, at run time), so the key is read from its own file only.
int InitTls(void *sslContext, void *) {
    g_ssl = dlopen("libssl.so", RTLD_NOW);
    if (g_ssl == nullptr) g_ssl = dlopen("libssl.so.3", RTLD_NOW);
    using ChainFile = int (*)(void *, const char *);
    using KeyFile = int (*)(void *, const char *, int);
    using Check = int (*)(const void *);
    auto chain = g_ssl ? reinterpret_cast<ChainFile>(dlsym(g_ssl, "SSL_CTX_use_certificate_chain_file")) : nullptr;
    auto key = g_ssl ? reinterpret_cast<KeyFile>(dlsym(g_ssl, "SSL_CTX_use_PrivateKey_file")) : nullptr;
    auto check = g_ssl ? reinterpret_cast<Check>(dlsym(g_ssl, "SSL_CTX_check_private_key")) : nullptr;
    if (chain == nullptr || key == nullptr || check == nullptr) {
        g_sslError = "HTTPS needs OpenSSL's libssl.so (Debian: libssl-dev)";
        return -1;
    }
    constexpr int kPem = 1;
    if (chain(sslContext, g_settings.cert.c_str()) != 1) {
        g_sslError = "RTE_WEB_CERT=" + g_settings.cert + " is no readable PEM certificate";
        return -1;
    }
    if (key(sslContext, g_settings.key.c_str(), kPem) != 1 || check(sslContext) != 1) {
        g_sslError = "RTE_WEB_KEY=" + g_settings.key + " is no readable PEM private key of that certificate";
        return -1;
    }
    return 1;
}

int QuietLog(const mg_connection *, const char *) { return 1; }

// Whether civetweb could load OpenSSL. Only the first try tells: civetweb keeps half of what it
// loaded, and a later try reports success with functions missing (a crash at the first HTTPS
// connection).
bool TlsUsable() {
    static const bool usable = [] {
        bool loaded = (mg_init_library(MG_FEATURES_TLS) & MG_FEATURES_TLS) != 0;
        mg_exit_library();
        return loaded;
    }();
    return usable;
}

std::string HostForAddress() {
    if (g_settings.host != "0.0.0.0") return g_settings.host;
    char name[256] = {};
    return gethostname(name, sizeof name - 1) == 0 && name[0] != '\0' ? name : "127.0.0.1";
}

}  // namespace

bool StartServer(const Settings &settings, std::string *url, std::string *error) {
    g_settings = settings;
    g_https = !settings.cert.empty();
    if (g_https && !TlsUsable()) {
        *error = "the web display cannot serve HTTPS here: civetweb cannot load OpenSSL (the civetweb of Debian 12 "
                 "looks for SSL_get_peer_certificate, which OpenSSL 3 no longer has); leave RTE_WEB_CERT and "
                 "RTE_WEB_KEY unset, and reach the panels through a TLS proxy or an SSH tunnel";
        return false;
    }
    mg_init_library(g_https ? MG_FEATURES_TLS : 0);
    std::string ports = settings.host + ":" + std::to_string(settings.port) + (g_https ? "s" : "");
    std::string threads = std::to_string(kMaxViewers + 4);  // a viewer holds a worker while connected
    const char *options[] = {"listening_ports", ports.c_str(),
                             "num_threads", threads.c_str(),
                             "tcp_nodelay", "1",
                             "request_timeout_ms", "10000",
                             "websocket_timeout_ms", "60000",
                             "enable_websocket_ping_pong", "yes",
                             "max_request_size", "8192",
                             "enable_directory_listing", "no",
                             nullptr};
    mg_callbacks callbacks{};
    callbacks.log_message = QuietLog;
    if (g_https) callbacks.init_ssl = InitTls;
    char text[256] = {};
    mg_error_data failure{};
    failure.text = text;
    failure.text_buffer_size = sizeof text;
    mg_init_data init{};
    init.callbacks = &callbacks;
    init.configuration_options = options;
    g_ctx = mg_start2(&init, &failure);
    if (g_ctx == nullptr) {
        *error = "the web display cannot listen on " + settings.host + ":" + std::to_string(settings.port) + ": " +
                 (!g_sslError.empty() ? g_sslError : text[0] != '\0' ? std::string(text) : std::string("unknown error")) +
                 " (RTE_WEB_LISTEN chooses the address)";
        mg_exit_library();
        return false;
    }
    mg_server_port bound[2] = {};
    int port = mg_get_server_ports(g_ctx, 2, bound) > 0 ? bound[0].port : settings.port;
    g_cookieName = CookieName(port);
    mg_set_request_handler(g_ctx, "/", HandleRequest, nullptr);
    mg_set_websocket_handler(g_ctx, "/ws", WebSocketConnect, WebSocketReady, WebSocketData, WebSocketClose, nullptr);
    *url = std::string(g_https ? "https" : "http") + "://" + HostForAddress() + ":" + std::to_string(port) +
           "/?token=" + settings.token;
    return true;
}

void StopServer(const std::string &farewell) {
    if (g_ctx == nullptr) return;
    for (const ViewerRef &v : Viewers(false)) Send(v, false, farewell);
    {
        // A moment for the viewers to receive it; a viewer that takes longer misses it.
        std::unique_lock<std::mutex> hold(g_viewersLock);
        g_drained.wait_for(hold, std::chrono::seconds(2), [] {
            for (const ViewerRef &v : g_viewers) {
                std::lock_guard<std::mutex> inner(v->m);
                if (!v->queue.empty()) return false;
            }
            return true;
        });
    }
    mg_stop(g_ctx);  // closes every connection: their close handlers end the senders
    g_ctx = nullptr;
    mg_exit_library();
    if (g_ssl != nullptr) dlclose(g_ssl);
    g_ssl = nullptr;
}

std::vector<ViewerRef> Viewers(bool wantPicture) {
    std::lock_guard<std::mutex> hold(g_viewersLock);
    if (!wantPicture) return g_viewers;
    std::vector<ViewerRef> out;
    for (const ViewerRef &v : g_viewers) {
        if (v->needsPicture.exchange(false)) out.push_back(v);
    }
    return out;
}

void Send(const ViewerRef &v, bool binary, std::string data) {
    size_t size = data.size();
    bool behind = false;
    {
        std::lock_guard<std::mutex> hold(v->m);
        if (v->closing) return;
        if (v->queued + size > kMaxQueuedBytes) {
            // Too far behind: the frames and lists of windows waiting are dropped, and the whole
            // picture, which begins with the list, follows instead. The other messages (answers
            // to pings, the farewell) stay in their order: a page waits for each of them.
            std::deque<std::pair<bool, std::string>> kept;
            for (auto &message : v->queue) {
                if (!message.first && message.second.rfind(kLayoutStart, 0) != 0) kept.push_back(std::move(message));
            }
            if (!binary && data.rfind(kLayoutStart, 0) != 0) kept.emplace_back(false, std::move(data));
            v->queue.swap(kept);
            v->queued = 0;
            for (const auto &message : v->queue) v->queued += message.second.size();
            behind = true;
        } else {
            v->queue.emplace_back(binary, std::move(data));
            v->queued += size;
        }
    }
    if (behind) {
        v->needsPicture.store(true);
        v->cv.notify_one();
        Wake();
        return;
    }
    g_bytesSent.fetch_add(size);
    v->cv.notify_one();
}

void SendToAll(bool binary, const std::string &data) {
    for (const ViewerRef &v : Viewers(false)) {
        if (!v->needsPicture.load()) Send(v, binary, data);
    }
}

uint64_t BytesSent() { return g_bytesSent.load(); }

}  // namespace rte::internal::web
