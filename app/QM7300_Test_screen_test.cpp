// Tests of the test panel on a real screen: the program's panel and callbacks run on the SDL
// display under a virtual X server (Xvfb) with a window manager (openbox), driven by synthetic
// mouse clicks and key strokes (xdotool) and closed through the window manager (wmctrl).
//
// The screen session runs in a child process (this test program again, filtered to
// ScreenSession), because the display is chosen once per process and the other tests of this
// program use the headless one. The test is skipped when those tools are not installed.
#include "qm7300/QM7300.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern "C" {
int QM7300_Test_close(int, int, int, void *, int, int);
int QM7300_Test_read(int, int, int, void *, int, int);
int QM7300_Test_write(int, int, int, void *, int, int);
int list(int, int, int, void *, int, int);
int swversion(int, int, int, void *, int, int);
}

namespace {

namespace rt = rte::testing;

const RteSymbol kScreenSymbols[] = {
    {"close", (void *)QM7300_Test_close, 1}, {"list", (void *)list, 1},
    {"read", (void *)QM7300_Test_read, 1},   {"write", (void *)QM7300_Test_write, 1},
    {"swversion", (void *)swversion, 1},
};

bool Installed(const char *tool) {
    std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

int g_closeEvents = 0;
int CountClose(int, int event, void *, int, int) {
    if (event == EVENT_CLOSE) ++g_closeEvents;
    return 0;
}

// "x y" of a control's centre (or of a point inside it), in window coordinates.
std::string At(int panel, const char *name, int dx = -1, int dy = -1) {
    int id = rt::FindCtrl(panel, name), top = 0, left = 0, w = 0, h = 0;
    GetCtrlAttribute(panel, id, ATTR_TOP, &top);
    GetCtrlAttribute(panel, id, ATTR_LEFT, &left);
    GetCtrlAttribute(panel, id, ATTR_WIDTH, &w);
    GetCtrlAttribute(panel, id, ATTR_HEIGHT, &h);
    return std::to_string(left + (dx < 0 ? w / 2 : dx)) + " " + std::to_string(top + (dy < 0 ? h / 2 : dy));
}

// A process started without a shell; killed and reaped by the destructor.
struct Child {
    pid_t pid = -1;
    explicit Child(const std::vector<std::string> &argv) {
        std::vector<char *> args;
        for (auto &a : argv) args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        pid = fork();
        if (pid == 0) {
            execvp(args[0], args.data());
            _exit(127);
        }
    }
    ~Child() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

}  // namespace

// The operator's session itself; runs only as the child of ScreenTest below.
TEST(ScreenSession, OperatorUsesThePanel) {
    if (std::getenv("QM7300_SCREEN_SESSION") == nullptr) GTEST_SKIP() << "runs as the child of the screen test";
    setenv("RTE_DISPLAY", "sdl", 1);
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(RteSetSymbolTable(kScreenSymbols, 5), 0);
    int panel = LoadPanel(0, "QM7300_Test.uir", 1);
    ASSERT_GT(panel, 0) << RteGetLoadPanelError();
    // Closing the window ends the program as the Quit button does.
    ASSERT_EQ(SetPanelAttribute(panel, ATTR_CLOSE_CTRL, rt::FindCtrl(panel, "PANEL_QUIT")), 0);
    ASSERT_EQ(InstallPanelCallback(panel, CountClose, nullptr), 0);
    ASSERT_EQ(DisplayPanel(panel), 0);

    // One list line down from the list's top: the first device.
    std::string script = "W=; for i in $(seq 100); do"
                         "   W=$(xdotool search --onlyvisible --name '^QM7300 Test$' 2>/dev/null | head -1);"
                         "   [ -n \"$W\" ] && break; sleep 0.1; done; [ -n \"$W\" ] || exit 1; set -e;"
                         " xdotool windowactivate --sync $W >/dev/null 2>&1 || true; sleep 0.3;"
                         " click() { xdotool mousemove --window $W $1 $2 click 1; sleep 0.4; };"
                         " click " + At(panel, "PANEL_LIST") + ";"
                         " click " + At(panel, "PANEL_DEVICES", 20, 9) + ";"
                         " click " + At(panel, "PANEL_PORT0_WRITE") + "; xdotool type --delay 30 77; sleep 0.2;"
                         " xdotool key Tab; xdotool type --delay 30 12; sleep 0.2;"
                         " click " + At(panel, "PANEL_WRITE_FOCUS") + ";"
                         " wmctrl -c 'QM7300 Test'";
    int driven = -1;
    unsigned mainThread = CurrThreadId();
    std::mutex m;
    std::condition_variable cv;
    bool loopEnded = false;
    std::thread driver([&] {
        driven = std::system(script.c_str());
        // Should the window not have closed, end the loop anyway so the failure is reported.
        std::unique_lock<std::mutex> lock(m);
        if (!cv.wait_for(lock, std::chrono::seconds(5), [&] { return loopEnded; })) {
            PostDeferredCallToThread([](void *) { QuitUserInterface(0); }, nullptr, mainThread);
        }
    });
    RunUserInterface();
    {
        std::lock_guard<std::mutex> hold(m);
        loopEnded = true;
    }
    cv.notify_all();
    driver.join();
    EXPECT_EQ(driven, 0);
    EXPECT_EQ(g_closeEvents, 1);
    int devices = rt::FindCtrl(panel, "PANEL_DEVICES");
    EXPECT_EQ(rt::ItemLabels(panel, devices), (std::vector<std::string>{"QM7300-0", "QM7300-1"}));
    EXPECT_EQ(rt::ValueText(panel, rt::FindCtrl(panel, "PANEL_PORT0_WRITE")), "77");
    EXPECT_EQ(rt::ValueText(panel, rt::FindCtrl(panel, "PANEL_PORT1_WRITE")), "12");
    EXPECT_EQ(rt::ValueText(panel, rt::FindCtrl(panel, "PANEL_STATUS")), "");
    // The values reached the device: its output latches hold them.
    int h = 0;
    unsigned char v16 = 0, v17 = 0;
    char err[QM_ERROR_TEXT_SIZE];
    ASSERT_EQ(QM_OpenDIO("QM7300-0", &h), 0);
    EXPECT_EQ(QM_ReadPort(h, 16, &v16, err), 0);
    EXPECT_EQ(QM_ReadPort(h, 17, &v17, err), 0);
    QM_CloseDIO(h);
    EXPECT_EQ(v16, 77);
    EXPECT_EQ(v17, 12);
    DiscardPanel(panel);
    CloseRTE();
}

TEST(ScreenTest, PanelWorksWithMouseKeyboardAndWindowManager) {
    for (const char *tool : {"Xvfb", "openbox", "xdotool", "wmctrl"}) {
        if (!Installed(tool)) GTEST_SKIP() << tool << " is not installed";
    }
    // A display number of our own; Xvfb reports it when ready.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    Child xvfb({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    close(fds[1]);
    char number[16] = {};
    ssize_t got = read(fds[0], number, sizeof number - 1);
    close(fds[0]);
    ASSERT_GT(got, 0) << "Xvfb did not start";
    std::string display = ":" + std::string(number, number + std::strcspn(number, "\n"));
    setenv("DISPLAY", display.c_str(), 1);
    Child wm({"openbox"});
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    setenv("QM7300_SCREEN_SESSION", "1", 1);
    std::string cmd = "timeout -s KILL 90 '" + std::string(self) + "' --gtest_filter=ScreenSession.* 2>&1";
    FILE *out = popen(cmd.c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::string text;
    char buf[512];
    while (std::fgets(buf, sizeof buf, out)) text += buf;
    int status = pclose(out);
    unsetenv("QM7300_SCREEN_SESSION");
    unsetenv("DISPLAY");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text;
    EXPECT_NE(text.find("[  PASSED  ] 1 test"), std::string::npos) << text;
}
