// rte/display/web_browser_testing.h - a real browser for the web display's tests (test-only):
// Debian's headless Chromium driven by puppeteer-core (web_browser/driver.mjs, whose commands
// are listed there), started once per test program; the engine of the test program on the web
// display; the event loop run while a test works the browser; and plain HTTP requests for the
// access checks.
#ifndef RTE_DISPLAY_WEB_BROWSER_TESTING_H
#define RTE_DISPLAY_WEB_BROWSER_TESTING_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "rte/engine.h"
#include "rte/graphics.h"
#include "rte/model/ui_model.h"
#include "rte/render/render.h"
#include "rte/ui.h"

namespace rte::testing {

// The token the tests give the web display (RTE_WEB_TOKEN).
inline const char kWebToken[] = "test-token-0123456789abcdef";

// A text as a JSON string.
inline std::string JsonText(const std::string &text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') out += std::string("\\") + static_cast<char>(c);
        else if (c < 0x20) out += "\\u00" + std::string(1, "0123456789abcdef"[c >> 4]) + "0123456789abcdef"[c & 15];
        else out += static_cast<char>(c);
    }
    return out + "\"";
}

class Browser {
public:
    // The browser of this test program, started at its first use and ended at the program's end.
    static Browser &Shared() {
        static Browser browser;
        return browser;
    }

    // Runs one driver command; the VALUE of its "ok VALUE". A failure is a test failure that
    // says what the driver and the page said, and gives "".
    std::string Do(const std::vector<std::string> &command) {
        if (error_.empty() && (in_ < 0 || out_ < 0)) error_ = "the browser driver is not running";
        if (!error_.empty()) {
            ADD_FAILURE() << error_;
            return "";
        }
        std::string line = "[";
        for (size_t i = 0; i < command.size(); ++i) line += (i ? "," : "") + JsonText(command[i]);
        line += "]\n";
        if (write(in_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            error_ = "the browser driver ended";
            ADD_FAILURE() << error_;
            return "";
        }
        std::string reply;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(180);
        while (reply.empty() || reply.back() != '\n') {
            int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            deadline - std::chrono::steady_clock::now()).count());
            pollfd p{out_, POLLIN, 0};
            char buf[65536];
            ssize_t n = left > 0 && poll(&p, 1, left) > 0 ? read(out_, buf, sizeof buf) : -1;
            if (n <= 0) {
                error_ = "the browser driver gave no answer to " + line + (reply.empty() ? "" : " (only " + reply + ")");
                ADD_FAILURE() << error_;
                return "";
            }
            reply.append(buf, static_cast<size_t>(n));
        }
        reply.pop_back();
        if (reply.rfind("ok ", 0) == 0) return reply.substr(3);
        ADD_FAILURE() << "browser: " << reply << "\n(the command: " << line << ")";
        return "";
    }

private:
    Browser() {
        std::string driver = RTE_WEB_BROWSER_DRIVER;
        std::string folder = driver.substr(0, driver.rfind('/'));
        if (access((folder + "/node_modules/puppeteer-core").c_str(), F_OK) != 0) {
            error_ = "puppeteer-core is not installed in " + folder + ": run scripts/setup";
            return;
        }
        int toDriver[2], fromDriver[2];
        if (pipe(toDriver) != 0 || pipe(fromDriver) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(toDriver[0], 0);
            dup2(fromDriver[1], 1);
            for (int fd : {toDriver[0], toDriver[1], fromDriver[0], fromDriver[1]}) close(fd);
            execlp("node", "node", driver.c_str(), static_cast<char *>(nullptr));
            std::perror("node");
            _exit(127);
        }
        close(toDriver[0]);
        close(fromDriver[1]);
        in_ = toDriver[1];
        out_ = fromDriver[0];
        signal(SIGPIPE, SIG_IGN);
    }
    ~Browser() {
        if (in_ >= 0) close(in_);  // the driver closes the browser and ends
        if (out_ >= 0) close(out_);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    std::string error_;
};

// Starts the engine of this process on the web display, on a free port of this machine with
// kWebToken, and returns the address it printed ("http://127.0.0.1:PORT/?token=..."); "" when
// it printed none. Once per process.
inline std::string StartWebDisplay() {
    setenv("RTE_DISPLAY", "web", 1);
    setenv("RTE_WEB_LISTEN", "127.0.0.1:0", 1);
    setenv("RTE_WEB_TOKEN", kWebToken, 1);
    if (InitRTEEx(nullptr, nullptr, nullptr) != 1) return "";
    // The start line goes to standard error: caught there, and passed on.
    std::fflush(stderr);
    int saved = dup(2);
    FILE *caught = std::tmpfile();
    dup2(fileno(caught), 2);
    int rc = RteOpenDisplay();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::rewind(caught);
    char line[512] = {};
    std::string printed = std::fgets(line, sizeof line, caught) ? line : "";
    std::fclose(caught);
    std::fputs(printed.c_str(), stderr);
    const std::string prefix = "rte: panels at ";
    if (rc != 0 || printed.rfind(prefix, 0) != 0) return "";
    return printed.substr(prefix.size(), printed.find('\n') - prefix.size());
}

// The address of this process's web display, started at the first call ("" when it could not).
inline const std::string &WebUrl() {
    static const std::string url = StartWebDisplay();
    return url;
}

// One command for the browser of this test program (Browser::Do).
inline std::string Drive(const std::vector<std::string> &command) { return Browser::Shared().Do(command); }

// The port of an address "http://HOST:PORT/...".
inline int PortOf(const std::string &url) {
    size_t colon = url.find(':', url.find("//"));
    return colon == std::string::npos ? 0 : std::atoi(url.c_str() + colon + 1);
}

// Runs the calling thread's event loop while `steps` work the browser on another thread; the
// loop ends when they return.
inline void RunWhileDriving(const std::function<void()> &steps) {
    unsigned loop = CurrThreadId();
    std::thread driver([&] {
        steps();
        PostDeferredCallToThread([](void *) { QuitUserInterface(0); }, nullptr, loop);
    });
    RunUserInterface();
    driver.join();
}

// The panel as the renderer draws it for a window (with the keyboard when `keyboard`), in the
// form the driver's "pixels" gives a canvas: "WIDTH HEIGHT" and hexadecimal RGB.
inline std::string RendererPixels(int panel, bool keyboard) {
    rte::internal::ViewState view;
    {
        std::lock_guard<std::recursive_mutex> hold(rte::internal::ModelLock());
        if (rte::internal::Panel *p = rte::internal::FindPanel(panel)) view = p->view;
    }
    view.hasFocus = keyboard;
    int bitmap = 0, rowBytes = 0, depth = 0, width = 0, height = 0, size = 0;
    if (rte::internal::PanelViewBitmap(panel, &view, &bitmap) != 0) return "";
    GetBitmapInfo(bitmap, nullptr, &size, nullptr);
    std::vector<unsigned char> bits(static_cast<size_t>(size));
    GetBitmapData(bitmap, &rowBytes, &depth, &width, &height, nullptr, bits.data(), nullptr);
    DiscardBitmap(bitmap);
    std::string out = std::to_string(width) + " " + std::to_string(height) + " ";
    char hex[8];
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char *px = &bits[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) * (depth / 8)];
            std::snprintf(hex, sizeof hex, "%02x%02x%02x", px[0], px[1], px[2]);
            out += hex;
        }
    }
    return out;
}

// The number of pixels in which two pictures of the "pixels" form differ (-1: not of one size).
inline long PixelsApart(const std::string &a, const std::string &b) {
    size_t at = a.find(' ', a.find(' ') + 1) + 1;
    if (a.size() != b.size() || a.compare(0, at, b, 0, at) != 0) return -1;
    long apart = 0;
    for (size_t i = at; i + 6 <= a.size(); i += 6) apart += a.compare(i, 6, b, i, 6) != 0;
    return apart;
}

// Sends a request to 127.0.0.1:port as it is and returns the whole answer ("" when the server
// closed the connection without one).
inline std::string RawRequest(int port, const std::string &request) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
        send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        pollfd p{fd, POLLIN, 0};
        char buf[4096];
        // A WebSocket that is let in stays open: its answer's head is enough.
        while (answer.find("\r\n\r\n") == std::string::npos && poll(&p, 1, 30000) > 0) {
            ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            answer.append(buf, static_cast<size_t>(n));
        }
    }
    close(fd);
    return answer;
}

}  // namespace rte::testing

#endif
