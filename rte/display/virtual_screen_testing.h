// rte/display/virtual_screen_testing.h - a virtual screen for the display's tests (test-only):
// Xvfb with the openbox window manager, and this test program run again as a child session on
// it.
#ifndef RTE_DISPLAY_VIRTUAL_SCREEN_TESTING_H
#define RTE_DISPLAY_VIRTUAL_SCREEN_TESTING_H

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace rte::testing {

inline bool ToolInstalled(const char *tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Starts Xvfb (1024 x 768) and openbox on it; display() is empty when Xvfb did not start. Both
// are ended with the object.
class VirtualScreen {
public:
    VirtualScreen() {
        int fds[2];
        if (pipe(fds) != 0) return;
        xvfb_ = fork();
        if (xvfb_ == 0) {
            execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char number[16] = {};
        ssize_t got = read(fds[0], number, sizeof number - 1);
        close(fds[0]);
        if (got <= 0) return;
        display_ = ":" + std::string(number, number + std::strcspn(number, "\n"));
        wm_ = fork();
        if (wm_ == 0) {
            setenv("DISPLAY", display_.c_str(), 1);
            execlp("openbox", "openbox", static_cast<char *>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    ~VirtualScreen() {
        for (pid_t pid : {wm_, xvfb_}) {
            if (pid > 0) {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
            }
        }
    }
    const std::string &display() const { return display_; }

    // Runs this program's tests matching filter on the screen, with the engine on the SDL
    // display at scale 1 and the extra environment given; the exit status of std::system.
    int RunSession(const std::string &filter, const std::string &environment) const {
        char self[4096] = {};
        if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return -1;
        std::string command = "DISPLAY=" + display_ + " RTE_DISPLAY=sdl RTE_SCALE=1 " + environment +
                              " timeout -s KILL 60 '" + self + "' --gtest_filter='" + filter + "' >/dev/null 2>&1";
        return std::system(command.c_str());
    }

private:
    pid_t xvfb_ = -1, wm_ = -1;
    std::string display_;
};

}  // namespace rte::testing

#endif
