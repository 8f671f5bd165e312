// rte/display/virtual_screen_testing.h - a virtual screen for the display's tests (test-only):
// Xvfb with the openbox window manager, and this test program run again as a child session on
// it.
#ifndef RTE_DISPLAY_VIRTUAL_SCREEN_TESTING_H
#define RTE_DISPLAY_VIRTUAL_SCREEN_TESTING_H

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <thread>

namespace rte::testing {

inline bool ToolInstalled(const char *tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The first of the tools that is not installed, or null when all are.
inline const char *MissingTool(std::initializer_list<const char *> tools) {
    for (const char *tool : tools) {
        if (!ToolInstalled(tool)) return tool;
    }
    return nullptr;
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
        // Xvfb writes the number and a line end when it is ready; the write may come in parts.
        std::string number;
        char ch;
        while (read(fds[0], &ch, 1) == 1 && ch != '\n') number += ch;
        close(fds[0]);
        if (number.empty()) return;
        display_ = ":" + number;
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
        FILE *out = popen((command + " 2>&1").c_str(), "r");
        if (out == nullptr) return -1;
        char buf[512];
        while (std::fgets(buf, sizeof buf, out)) *output += buf;
        return pclose(out);
    }

private:
    pid_t xvfb_ = -1, wm_ = -1;
    std::string display_;
};

}  // namespace rte::testing

#endif
