// rte/display/virtual_screen_testing.h - a virtual screen for the screen tests (test-only):
// Xvfb with the openbox window manager, this test program run again as a child session on it,
// an operator's xdotool steps beside the session's event loop, and the waits such tests share
// (on the rules of waiting_testing.h: the event itself, a generous deadline, a failure that says
// what it saw: the windows on the screen, the session's status and output).
#ifndef RTE_DISPLAY_VIRTUAL_SCREEN_TESTING_H
#define RTE_DISPLAY_VIRTUAL_SCREEN_TESTING_H

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "rte/waiting_testing.h"
#include "rte/engine.h"
#include "rte/ui.h"

namespace rte::testing {

// Shell functions for xdotool scripts run on the screen. Each waits up to kPatience; when that
// runs out it says on standard error what windows the screen has, and fails:
//   wait_window TITLE   until a window titled exactly TITLE is visible; prints its id
//   wait_windows N      until the program that runs the script (its parent) shows N windows
// Use them as W=$(wait_window 'Title') || exit 1; wait_windows 2 || exit 1.
inline std::string ShellWaits() {
    std::string tries = std::to_string(kPatience.count() * 10), none = " wmctrl -lG >&2; return 1; };";
    return "wait_window() { for i in $(seq " + tries +
           "); do"
           "  w=$(xdotool search --onlyvisible --name \"^$1\\$\" 2>/dev/null | head -1);"
           "  [ -n \"$w\" ] && { echo \"$w\"; return 0; }; sleep 0.1; done;"
           " echo \"no visible window '$1'; the screen has:\" >&2;" + none +
           " wait_windows() { for i in $(seq " + tries +
           "); do"
           "  [ \"$(xdotool search --onlyvisible --pid $PPID 2>/dev/null | wc -l)\" -ge $1 ] && return 0;"
           "  sleep 0.1; done;"
           " echo \"the program did not show $1 windows; the screen has:\" >&2;" + none;
}

// Waits until a window titled exactly `title` is visible on the screen that $DISPLAY names; its
// id for xdotool, or "" when none came within kPatience, with *seen (when given) telling which
// windows there were instead.
inline std::string WaitForWindow(const std::string &title, std::string *seen = nullptr) {
    std::string text;
    if (RunCommand(ShellWaits() + " wait_window '" + title + "'", &text) != 0) {
        if (seen) *seen = text;
        return "";
    }
    return text.substr(0, text.find('\n'));
}

// An operator at the screen: runs a shell command line (xdotool steps) on a thread of its own
// beside the calling thread's event loop. The script's last step should end the loop (a click on
// a button that quits, a close); should the loop still run kPatience after the script ended, the
// driver ends it, so that a session whose steps went astray still reports.
//     rte::testing::ScreenDriver driver(script);
//     RunUserInterface();
//     EXPECT_EQ(driver.Finish(), 0);  // the script's exit status
class ScreenDriver {
public:
    explicit ScreenDriver(const std::string &script) {
        unsigned loopThread = CurrThreadId();
        thread_ = std::thread([this, script, loopThread] {
            status_ = std::system(script.c_str());
            std::unique_lock<std::mutex> lock(m_);
            if (!cv_.wait_for(lock, kPatience, [this] { return loopEnded_; })) {
                PostDeferredCallToThread([](void *) { QuitUserInterface(0); }, nullptr, loopThread);
            }
        });
    }
    ~ScreenDriver() { Finish(); }
    ScreenDriver(const ScreenDriver &) = delete;
    ScreenDriver &operator=(const ScreenDriver &) = delete;

    // Says the loop has ended and waits for the script; its exit status.
    int Finish() {
        {
            std::lock_guard<std::mutex> hold(m_);
            loopEnded_ = true;
        }
        cv_.notify_all();
        if (thread_.joinable()) thread_.join();
        return status_;
    }

private:
    std::thread thread_;
    std::mutex m_;
    std::condition_variable cv_;
    bool loopEnded_ = false;
    int status_ = -1;
};

// Starts Xvfb (1024 x 768) and openbox on it, and waits until openbox manages the screen;
// display() is empty when either did not start, and problem() says why. Both are ended with the
// object.
class VirtualScreen {
public:
    VirtualScreen() {
        int fds[2];
        if (pipe(fds) != 0) {
            problem_ = "no pipe for Xvfb";
            return;
        }
        xvfb_ = fork();
        if (xvfb_ == 0) {
            // Without -noreset the server starts afresh whenever its last client leaves, and a
            // client connecting just then (the window manager) is turned away.
            execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-noreset", "-screen", "0",
                   "1024x768x24", "-nolisten", "tcp", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes the number and a line end when it is ready; the write may come in parts.
        std::string number;
        char ch;
        while (read(fds[0], &ch, 1) == 1 && ch != '\n') number += ch;
        close(fds[0]);
        if (number.empty()) {
            problem_ = "Xvfb did not start";
            return;
        }
        std::string display = ":" + number;
        if (pipe(fds) != 0) {
            problem_ = "no pipe for openbox";
            return;
        }
        wm_ = fork();
        if (wm_ == 0) {
            setenv("DISPLAY", display.c_str(), 1);
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            // openbox runs its start-up command once it has taken the screen, as it enters its
            // event loop. A window mapped before then may be taken by it and never shown, and the
            // program that mapped it waits for ever (SDL waits to see its window shown); so the
            // screen is ready only when the command has spoken.
            execlp("openbox", "openbox", "--startup", "echo virtual-screen-ready", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        wmOut_ = fds[0];  // open while openbox runs: it may write more
        fcntl(wmOut_, F_SETFL, O_NONBLOCK);
        std::string said;
        bool gone = false;
        bool ready = WaitFor([&] {
            char buf[256];
            ssize_t n = read(wmOut_, buf, sizeof buf);
            if (n > 0) said.append(buf, static_cast<size_t>(n));
            gone = n == 0;
            return gone || said.find("virtual-screen-ready") != std::string::npos;
        });
        if (gone) {
            problem_ = "openbox ended as it started";
        } else if (!ready) {
            problem_ = "openbox did not take the screen within " + std::to_string(kPatience.count()) + " s";
        } else {
            display_ = display;
        }
    }
    ~VirtualScreen() {
        for (pid_t pid : {wm_, xvfb_}) {
            if (pid > 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
        }
        if (wmOut_ >= 0) close(wmOut_);
    }
    VirtualScreen(const VirtualScreen &) = delete;
    VirtualScreen &operator=(const VirtualScreen &) = delete;

    const std::string &display() const { return display_; }
    const std::string &problem() const { return problem_; }

    // The windows the window manager has on the screen (id, desktop, place, size, host, title),
    // one a line, for failure messages.
    std::string Windows() const {
        std::string text;
        if (RunCommand("DISPLAY=" + display_ + " wmctrl -lG", &text) != 0) text += "(wmctrl could not list them)\n";
        return text.empty() ? "(none)\n" : text;
    }

    // Runs this program's tests matching filter on the screen, with the engine on the SDL
    // display at scale 1 and the extra environment given ("NAME=value ...", may be empty), killed
    // after `seconds`; the exit status of std::system. With output, what the session printed on
    // both streams is kept there.
    int RunSession(const std::string &filter, const std::string &environment, std::string *output = nullptr,
                   int seconds = 60) const {
        char self[4096] = {};
        if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return -1;
        std::string command = "DISPLAY=" + display_ + " RTE_DISPLAY=sdl RTE_SCALE=1 " + environment +
                              " timeout -s KILL " + std::to_string(seconds) + " '" + self + "' --gtest_filter='" +
                              filter + "'";
        if (output == nullptr) return std::system((command + " >/dev/null 2>&1").c_str());
        return RunCommand(command, output);
    }

    // What a session that failed leaves to read: its status in words, the windows on the screen
    // now, and what it printed.
    std::string Report(int status, const std::string &output) const {
        return "session: " + DescribeStatus(status) + "\nwindows on the screen:\n" + Windows() +
               "session output:\n" + output;
    }

private:
    pid_t xvfb_ = -1, wm_ = -1;
    int wmOut_ = -1;
    std::string display_, problem_;
};

}  // namespace rte::testing

#endif
