// The program in a real browser: QM7300_Test runs on the web display and headless Chromium
// (rte/display/web_browser_testing.h) works its panel as an operator elsewhere would: list the
// devices, choose one, write 170 and 85, read them back, show the version and quit. The page's
// canvas then holds exactly the picture of the same session played headless in this process,
// and the program ends with exit code 0, telling the page so.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "app/panel_callbacks_testing.h"
#include "rte/display/web_browser_testing.h"
#include "rte/testing.h"
#include "rte/ui.h"

namespace {

namespace rt = rte::testing;

const auto &Do = rt::Drive;

// The program on the web display: its address from the line it prints at start, and everything
// it printed on standard error, read to its end.
struct Program {
    pid_t pid = -1;
    int err = -1;
    std::string url, printed;
    Program() {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], 2);
            close(fds[0]);
            close(fds[1]);
            setenv("RTE_DISPLAY", "web", 1);
            setenv("RTE_WEB_LISTEN", "127.0.0.1:0", 1);
            setenv("RTE_WEB_TOKEN", rt::kWebToken, 1);
            execl(QM7300_TEST_PROGRAM, QM7300_TEST_PROGRAM, static_cast<char *>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        err = fds[0];
        const std::string prefix = "rte: panels at ";
        while (url.empty() && ReadSome(60000)) {
            size_t at = printed.find(prefix), end = printed.find('\n', at);
            if (at != std::string::npos && end != std::string::npos) url = printed.substr(at + prefix.size(), end - at - prefix.size());
        }
    }
    bool ReadSome(int ms) {
        pollfd p{err, POLLIN, 0};
        char buf[1024];
        ssize_t n = poll(&p, 1, ms) > 0 ? read(err, buf, sizeof buf) : 0;
        if (n > 0) printed.append(buf, static_cast<size_t>(n));
        return n > 0;
    }
    // The exit status once the program ended by itself (-1 when it did not within two minutes).
    int Wait() {
        while (ReadSome(120000)) {
        }
        int status = 0;
        for (int i = 0; i < 1200; ++i) {
            if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
};

TEST(ProgramInTheBrowser, OperatedByClicksAndKeysItShowsWhatTheHeadlessSessionShowsAndEnds) {
    // The same panel in this process, to find the controls and to play the session headless.
    ASSERT_EQ(RteSetSymbolTable(kPanelSymbols, kPanelSymbolCount), 0);
    int panel = LoadPanel(0, "QM7300_Test.uir", 1);
    ASSERT_GT(panel, 0);
    auto at = [panel](const char *name, int dx = -1, int dy = -1) {
        int id = rt::FindCtrl(panel, name), top = 0, left = 0, height = 0, width = 0;
        GetCtrlAttribute(panel, id, ATTR_TOP, &top);
        GetCtrlAttribute(panel, id, ATTR_LEFT, &left);
        GetCtrlAttribute(panel, id, ATTR_HEIGHT, &height);
        GetCtrlAttribute(panel, id, ATTR_WIDTH, &width);
        return std::vector<int>{left + (dx < 0 ? width / 2 : dx), top + (dy < 0 ? height / 2 : dy)};
    };

    Program program;
    ASSERT_NE(program.url, "") << program.printed;
    Do({"open", "a", program.url});
    std::string shown = Do({"eval", "a", "document.querySelector('canvas').dataset.panel"});
    std::string canvas = shown.size() > 2 ? shown.substr(1, shown.size() - 2) : "0";
    auto click = [&](std::vector<int> p) { Do({"click", "a", canvas, std::to_string(p[0]), std::to_string(p[1])}); };
    click(at("PANEL_LIST"));
    click(at("PANEL_DEVICES", 20, 9 + 15));  // the second line: QM7300-1
    click(at("PANEL_PORT0_WRITE"));
    Do({"type", "a", "170"});
    Do({"key", "a", "Tab"});
    Do({"type", "a", "85"});
    click(at("PANEL_WRITE_FOCUS"));
    click(at("PANEL_READ"));
    click(at("PANEL_SWVERSION"));
    Do({"sync", "a"});
    std::string seen = Do({"pixels", "a", canvas});
    click(at("PANEL_QUIT"));
    Do({"wait", "a", "window.rteStats.ended !== ''", "60"});
    std::string farewell = Do({"eval", "a", "document.getElementById('notice-text').textContent"});
    Do({"close", "a"});
    EXPECT_EQ(program.Wait(), 0) << program.printed;
    EXPECT_EQ(farewell, "\"The program QM7300_Test has ended. You can close this page.\"");

    // The session headless, through the same operator-input path.
    ASSERT_EQ(DisplayPanel(panel), 0);
    EXPECT_EQ(rt::Press(panel, rt::FindCtrl(panel, "PANEL_LIST")), 0);
    EXPECT_EQ(rt::Select(panel, rt::FindCtrl(panel, "PANEL_DEVICES"), "QM7300-1"), 0);
    EXPECT_EQ(rt::Type(panel, rt::FindCtrl(panel, "PANEL_PORT0_WRITE"), "170"), 0);
    EXPECT_EQ(rt::Type(panel, rt::FindCtrl(panel, "PANEL_PORT1_WRITE"), "85"), 0);
    for (const char *button : {"PANEL_WRITE_FOCUS", "PANEL_READ", "PANEL_SWVERSION"}) {
        EXPECT_EQ(rt::Press(panel, rt::FindCtrl(panel, button)), 0);
    }
    std::vector<std::string> values;
    for (const char *name : {"PANEL_DEVICE_COUNT", "PANEL_DEVICES", "PANEL_PORT0_READ", "PANEL_PORT1_READ",
                             "PANEL_PORT16_READ", "PANEL_PORT17_READ", "PANEL_VERSION", "PANEL_STATUS"}) {
        values.push_back(rt::ValueText(panel, rt::FindCtrl(panel, name)));
    }
    EXPECT_EQ(values, (std::vector<std::string>{"2", "QM7300-1", "170", "85", "170", "85", "1.0.0", ""}));
    EXPECT_EQ(rt::PixelsApart(seen, rt::RendererPixels(panel, true)), 0);
    DiscardPanel(panel);
}

}  // namespace
