// rte/waiting_testing.h - waiting in screen and peer tests (test-only).
//
// A test that talks to another program (a virtual screen, a desktop panel, a browser, a Modbus
// peer, a child session of itself) waits on the event it needs, never for a time that assumes a
// fast machine: the machine may be busy with other builds and tests, and the programs run under
// the sanitizers. Each wait has a generous deadline (kPatience); only what is safe to repeat is
// repeated; a wait that runs out fails saying what it saw.
#ifndef RTE_WAITING_TESTING_H
#define RTE_WAITING_TESTING_H

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <thread>

namespace rte::testing {

// How long a test waits for something it needs before it fails: far beyond what any step takes
// on a loaded machine, so that reaching it means the step will never come.
inline constexpr std::chrono::seconds kPatience{60};

// Calls ready() every `every` until it returns true or `patience` has passed; whether it did.
template <class Ready>
bool WaitFor(Ready &&ready, std::chrono::milliseconds patience = kPatience,
             std::chrono::milliseconds every = std::chrono::milliseconds(20)) {
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(every);
    }
    return true;
}

// Runs a shell command line to its end; its exit status (as std::system gives it), with what it
// printed on both streams added to *text.
inline int RunCommand(const std::string &command, std::string *text) {
    FILE *out = popen((command + " 2>&1").c_str(), "r");
    if (out == nullptr) return -1;
    char buf[512];
    while (std::fgets(buf, sizeof buf, out)) *text += buf;
    return pclose(out);
}

// An exit status of std::system, pclose or waitpid in words, for failure messages.
inline std::string DescribeStatus(int status) {
    if (status == -1) return "not started";
    if (WIFSIGNALED(status)) return "ended by signal " + std::to_string(WTERMSIG(status));
    if (!WIFEXITED(status)) return "status " + std::to_string(status);
    int code = WEXITSTATUS(status);
    // timeout -s KILL reports a child it had to kill as 128 + 9.
    if (code == 128 + SIGKILL) return "killed at its deadline (exit code 137)";
    return "exit code " + std::to_string(code);
}

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

}  // namespace rte::testing

#endif
