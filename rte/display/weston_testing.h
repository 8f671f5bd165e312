// rte/display/weston_testing.h - a Wayland compositor for the display's tests (test-only):
// weston with its X11 backend, its output a window of a virtual screen (VirtualScreen), so that
// xdotool drives its clients through that window; it serves them on a socket in a private
// runtime folder (0700, as XDG_RUNTIME_DIR must be), and X11 clients through XWayland. Ended,
// and the folder removed, with the object.
#ifndef RTE_DISPLAY_WESTON_TESTING_H
#define RTE_DISPLAY_WESTON_TESTING_H

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace rte::testing {

class Weston {
public:
    // Starts weston on the X display with an output of width x height; ready() tells whether it
    // took connections within the deadline.
    Weston(const std::string &xDisplay, int width, int height) {
        char folder[] = "/tmp/rte_weston_XXXXXX";
        if (mkdtemp(folder) == nullptr) return;
        runtime_ = folder;
        logPath_ = runtime_ + ".log";
        pid_ = fork();
        if (pid_ == 0) {
            setenv("DISPLAY", xDisplay.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
            unsetenv("WAYLAND_DISPLAY");
            int log = open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(log, 1);
            dup2(log, 2);
            std::string socket = "--socket=" + std::string(kSocket), w = "--width=" + std::to_string(width),
                        h = "--height=" + std::to_string(height);
            // The pixman renderer copies clients' pixels as they are; no configuration file of
            // the machine's user, no idle blanking.
            execlp("weston", "weston", "--backend=x11-backend.so", "--use-pixman", "--no-config", "--idle-time=0",
                   "--xwayland", socket.c_str(), w.c_str(), h.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!ready_ && std::chrono::steady_clock::now() < deadline && waitpid(pid_, nullptr, WNOHANG) == 0) {
            ready_ = Connects();
            if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    ~Weston() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (!runtime_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(runtime_, ignored);
            std::filesystem::remove(logPath_, ignored);
        }
    }
    Weston(const Weston &) = delete;
    Weston &operator=(const Weston &) = delete;

    bool ready() const { return ready_; }
    // The variables that make a program a client of this compositor, for VirtualScreen's
    // RunSession: SDL takes its Wayland driver although DISPLAY is set, as on a desktop with
    // XWayland.
    std::string ClientEnvironment() const {
        return "XDG_RUNTIME_DIR='" + runtime_ + "' WAYLAND_DISPLAY=" + kSocket + " SDL_VIDEODRIVER=wayland";
    }
    // The variables that make a program an X11 client of XWayland under this compositor.
    std::string XwaylandEnvironment() const {
        return "DISPLAY=" + AfterInLog("xserver listening on display ") + " SDL_VIDEODRIVER=x11";
    }
    // The X window that shows weston's output, 0 when not known.
    unsigned long OutputWindow() const { return std::strtoul(AfterInLog("window id ").c_str(), nullptr, 10); }
    // What weston printed, for a failure's message.
    std::string Log() const {
        std::ifstream in(logPath_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    static constexpr const char *kSocket = "wayland-rte-test";

    // The word after `text` in weston's log, where it says what it made.
    std::string AfterInLog(const std::string &text) const {
        std::string log = Log();
        size_t at = log.find(text);
        if (at == std::string::npos) return "";
        at += text.size();
        return log.substr(at, log.find_first_of(" \n", at) - at);
    }

    bool Connects() const {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string path = runtime_ + "/" + kSocket;
        if (path.size() >= sizeof address.sun_path) return false;
        path.copy(address.sun_path, path.size());
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        bool ok = fd >= 0 && connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        if (fd >= 0) close(fd);
        return ok;
    }

    pid_t pid_ = -1;
    bool ready_ = false;
    std::string runtime_, logPath_;
};

}  // namespace rte::testing

#endif
