// Tray icons in real desktop panels on a virtual screen (Xvfb with openbox) with a private
// session bus: Xfce's panel (xfce4-panel with its status tray, configured from
// tray_icons_panel_screen_test.xml) and trayer, a legacy XEmbed tray, without any watcher. The
// program in the tray is this test program run again as a console program whose only face is
// its icon (TrayConsoleSession), or the tray_utility example; xdotool works the icon and the
// panel's menu as an operator would, and the screen's pixels and windows show what the operator
// would see. The tests are skipped when the tools are not installed.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "rte/display/virtual_screen_testing.h"
#include "rte/rte.h"
#include "toolbox/toolbox.h"

namespace {

// ---- the console program in the tray: run as the child of the tests below ----

int ConsoleEvents(int, int event, int data) {
    const char *name = event == EVENT_LEFT_CLICK ? "LEFT_CLICK" : event == EVENT_LEFT_MOUSE_UP ? "LEFT_MOUSE_UP"
                     : event == EVENT_LEFT_DOUBLE_CLICK ? "LEFT_DOUBLE_CLICK" : event == EVENT_RIGHT_CLICK ? "RIGHT_CLICK"
                     : event == EVENT_RIGHT_MOUSE_UP ? "RIGHT_MOUSE_UP" : event == EVENT_TRAY_MENU_ITEM ? "MENU" : "OTHER";
    if (event == EVENT_TRAY_MENU_ITEM) {
        std::printf("tray: MENU %d\n", data);
        if (data == 4) QuitUserInterface(0);
    } else {
        std::printf("tray: %s\n", name);
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace

TEST(TrayConsoleSession, RunsUntilQuitFromItsMenu) {
    if (std::getenv("TRAY_SESSION") == nullptr) GTEST_SKIP() << "runs as the child of the panel tests";
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    int icon = 0, item = 0;
    ASSERT_EQ(InstallSysTrayIcon(TRAY_UTILITY_ICO, "Console tray", ConsoleEvents, &icon), 0);
    ASSERT_EQ(AttachTrayIconMenu(icon), 0);
    for (const char *label : {"Show", "Count", static_cast<const char *>(nullptr), "Quit"}) {
        ASSERT_EQ(InsertTrayIconMenuItem(icon, label, &item), 0);
    }
    std::printf("tray: READY\n");
    std::fflush(stdout);
    RunUserInterface();
    EXPECT_EQ(RemoveSysTrayIcon(icon), 0);
    CloseRTE();
}

namespace {

using Clock = std::chrono::steady_clock;

// Polls done() every 100 ms until it holds or seconds have passed.
bool Eventually(const std::function<bool()> &done, double seconds = 30) {
    auto end = Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    while (!done()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

// A program the tests run, with its output (both streams) collected line by line as it comes.
class Program {
public:
    Program(const std::vector<std::string> &argv, const std::vector<std::string> &environment, const std::string &dir = "") {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], 1);
            dup2(fds[1], 2);
            close(fds[0]);
            close(fds[1]);
            for (const std::string &e : environment) putenv(const_cast<char *>(e.c_str()));
            if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
            std::vector<char *> args;
            for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
            args.push_back(nullptr);
            execvp(args[0], args.data());
            _exit(127);
        }
        close(fds[1]);
        reader_ = std::thread([this, fd = fds[0]] {
            std::string line;
            char ch;
            while (read(fd, &ch, 1) == 1) {
                if (ch != '\n') {
                    line += ch;
                    continue;
                }
                std::lock_guard<std::mutex> hold(lock_);
                output_ += line + "\n";
                if (line.rfind("tray: ", 0) == 0) lines_.push_back(line.substr(6));
                line.clear();
                changed_.notify_all();
            }
            close(fd);
        });
    }
    ~Program() {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (reader_.joinable()) reader_.join();
    }
    // The next n lines the program reported ("tray: ..." without the prefix), waiting up to
    // seconds for them; fewer when the time ran out.
    std::vector<std::string> Next(size_t n, double seconds = 30) {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait_for(hold, std::chrono::milliseconds(static_cast<int>(seconds * 1000)),
                          [&] { return lines_.size() >= taken_ + n; });
        size_t end = std::min(lines_.size(), taken_ + n);
        std::vector<std::string> next(lines_.begin() + static_cast<long>(taken_), lines_.begin() + static_cast<long>(end));
        taken_ = end;
        return next;
    }
    // The exit status once the program ended (waiting up to seconds), -1 when it still runs.
    int Wait(double seconds = 30) {
        Eventually([&] {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return status_ >= 0;
        }, seconds);
        return status_;
    }
    int pid() const { return pid_; }
    std::string Output() {
        std::lock_guard<std::mutex> hold(lock_);
        return output_;
    }

private:
    pid_t pid_ = -1;
    int status_ = -1;
    std::thread reader_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::string output_;
    std::vector<std::string> lines_;
    size_t taken_ = 0;
};

int IgnoreXErrors(Display *, XErrorEvent *) { return 0; }  // a window gone while it is looked at

// A desktop on a virtual screen: Xvfb with openbox, a private session bus with private XDG
// folders, and on demand Xfce's panel or trayer. Everything ends with the object.
class Desktop {
public:
    Desktop() : home_(std::filesystem::temp_directory_path() / ("tray_panel_" + std::to_string(getpid()))) {
        if (screen_.display().empty()) return;
        std::filesystem::path channel = home_ / "config/xfce4/xfconf/xfce-perchannel-xml";
        std::filesystem::create_directories(channel);
        std::filesystem::create_directories(home_ / "runtime");
        std::filesystem::permissions(home_ / "runtime", std::filesystem::perms::owner_all);
        std::filesystem::copy_file(TRAY_PANEL_CONFIG, channel / "xfce4-panel.xml");
        environment_ = {"DISPLAY=" + screen_.display(), "HOME=" + home_.string(),
                        "XDG_CONFIG_HOME=" + (home_ / "config").string(), "XDG_CONFIG_DIRS=" + (home_ / "none").string(),
                        "XDG_DATA_HOME=" + (home_ / "data").string(), "XDG_CACHE_HOME=" + (home_ / "cache").string(),
                        "XDG_RUNTIME_DIR=" + (home_ / "runtime").string(), "NO_AT_BRIDGE=1", "GTK_A11Y=none"};
        // The bus starts with the desktop's environment, which the services it starts (xfconfd) get.
        std::string command = "env";
        for (const std::string &e : environment_) command += " '" + e + "'";
        FILE *out = popen((command + " dbus-daemon --session --fork --print-address=1 --print-pid=1").c_str(), "r");
        char line[512] = {0};
        if (out != nullptr && std::fgets(line, sizeof line, out) != nullptr) bus_ = line;
        if (out != nullptr && std::fgets(line, sizeof line, out) != nullptr) busPid_ = std::atoi(line);
        if (out != nullptr) pclose(out);
        while (!bus_.empty() && (bus_.back() == '\n' || bus_.back() == '\r')) bus_.pop_back();
        environment_.push_back("DBUS_SESSION_BUS_ADDRESS=" + bus_);
        x_ = XOpenDisplay(screen_.display().c_str());
        XSetErrorHandler(IgnoreXErrors);
    }
    ~Desktop() {
        panel_.reset();
        trayer_.reset();
        if (busPid_ > 0) kill(busPid_, SIGTERM);  // the services it started end with it
        if (x_ != nullptr) XCloseDisplay(x_);
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }
    bool Ready() const { return x_ != nullptr && !bus_.empty(); }
    const std::vector<std::string> &Environment() const { return environment_; }

    // Xfce's panel; true once its watcher is on the bus (or, stopping, gone from it).
    bool StartPanel() {
        panel_ = std::make_unique<Program>(std::vector<std::string>{"xfce4-panel"}, environment_);
        return Eventually([&] { return BusHas("org.kde.StatusNotifierWatcher"); });
    }
    bool StopPanel() {
        if (panel_ != nullptr) kill(panel_->pid(), SIGTERM);
        bool gone = Eventually([&] { return !BusHas("org.kde.StatusNotifierWatcher"); });
        if (panel_ != nullptr) panel_->Wait();
        panel_.reset();
        return gone;
    }
    std::string PanelOutput() { return panel_ != nullptr ? panel_->Output() : ""; }
    // trayer along the screen's bottom edge; true once it owns the legacy tray's selection.
    bool StartTrayer() {
        trayer_ = std::make_unique<Program>(
            std::vector<std::string>{"trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request",
                                     "--height", "32", "--SetDockType", "true", "--SetPartialStrut", "true"},
            environment_);
        Atom selection = XInternAtom(x_, "_NET_SYSTEM_TRAY_S0", False);
        return Eventually([&] { return XGetSelectionOwner(x_, selection) != None; });
    }

    // The box of the pixels of the icon's tile colour in a strip of the screen (count 0: none).
    struct Box {
        int count = 0, left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
        int x() const { return (left + right) / 2; }
        int y() const { return (top + bottom) / 2; }
    };
    Box IconIn(int top, int height) {
        Box box;
        XImage *image = XGetImage(x_, DefaultRootWindow(x_), 0, top, 1024, static_cast<unsigned>(height), AllPlanes, ZPixmap);
        if (image == nullptr) return box;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < 1024; ++x) {
                unsigned long p = XGetPixel(image, x, y);
                int r = static_cast<int>((p >> 16) & 0xFF), g = static_cast<int>((p >> 8) & 0xFF), b = static_cast<int>(p & 0xFF);
                if (std::abs(r - 0x1F) > 16 || std::abs(g - 0x8A) > 16 || std::abs(b - 0x70) > 16) continue;
                ++box.count;
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, top + y);
                box.bottom = std::max(box.bottom, top + y);
            }
        }
        XDestroyImage(image);
        return box;
    }
    // Waits for the icon to show in (true) or leave (false) a strip; its box.
    Box AwaitIcon(int top, int height, bool shown = true) {
        Box box;
        Eventually([&] {
            box = IconIn(top, height);
            return (box.count >= 12) == shown;
        });
        return box;
    }

    // The mapped windows of a type (_NET_WM_WINDOW_TYPE_<type>) among the screen's top windows,
    // as "x,y wxh" each (their ids into ids when given).
    std::vector<std::string> Windows(const char *type, std::vector<Window> *ids = nullptr) {
        std::vector<std::string> found;
        Atom property = XInternAtom(x_, "_NET_WM_WINDOW_TYPE", False);
        Atom wanted = XInternAtom(x_, (std::string("_NET_WM_WINDOW_TYPE_") + type).c_str(), False);
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(x_, DefaultRootWindow(x_), &root, &parent, &children, &count)) return found;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (!XGetWindowAttributes(x_, children[i], &a) || a.map_state != IsViewable) continue;
            Atom actual;
            int format;
            unsigned long n = 0, after;
            unsigned char *data = nullptr;
            if (XGetWindowProperty(x_, children[i], property, 0, 8, False, XA_ATOM, &actual, &format, &n, &after, &data) ==
                    Success && data != nullptr) {
                for (unsigned long k = 0; k < n; ++k) {
                    if (reinterpret_cast<Atom *>(data)[k] == wanted) {
                        if (ids != nullptr) ids->push_back(children[i]);
                        found.push_back(std::to_string(a.x) + "," + std::to_string(a.y) + " " + std::to_string(a.width) +
                                        "x" + std::to_string(a.height));
                    }
                }
                XFree(data);
            }
        }
        if (children != nullptr) XFree(children);
        return found;
    }
    // Whether a window of the type has the keyboard.
    bool HasKeyboard(const char *type) {
        std::vector<Window> ids;
        Windows(type, &ids);
        Window focus = None;
        int revert = 0;
        XGetInputFocus(x_, &focus, &revert);
        return std::find(ids.begin(), ids.end(), focus) != ids.end();
    }
    bool AwaitWindow(const char *type, bool shown = true) {
        return Eventually([&] { return Windows(type).empty() != shown; });
    }
    // The first mapped window of a type: its left, top, width and height.
    bool WindowBox(const char *type, int *left, int *top, int *width, int *height) {
        auto found = Windows(type);
        return !found.empty() && std::sscanf(found[0].c_str(), "%d,%d %dx%d", left, top, width, height) == 4;
    }

    // Runs xdotool with the given arguments on this screen; what it printed.
    std::string Xdotool(const std::string &arguments) {
        return Run("DISPLAY=" + screen_.display() + " xdotool " + arguments + " 2>/dev/null");
    }
    // The bus names of the items the watcher holds.
    bool BusHas(const std::string &name) {
        std::string command = "DBUS_SESSION_BUS_ADDRESS='" + bus_ +
                              "' dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus "
                              "org.freedesktop.DBus.NameHasOwner string:" + name + " 2>/dev/null";
        return Run(command).find("boolean true") != std::string::npos;
    }
    // A property of an item, as the host reads it.
    std::string ItemProperty(const std::string &service, const char *name) {
        return Run("DBUS_SESSION_BUS_ADDRESS='" + bus_ + "' dbus-send --session --print-reply --dest=" + service +
                   " /StatusNotifierItem org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierItem string:" +
                   name + " 2>&1");
    }

private:
    static std::string Run(const std::string &command) {
        std::string out;
        FILE *p = popen(command.c_str(), "r");
        char buf[512];
        while (p != nullptr && std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
        if (p != nullptr) pclose(p);
        return out;
    }

    rte::testing::VirtualScreen screen_;
    std::filesystem::path home_;
    std::vector<std::string> environment_;
    std::string bus_;
    int busPid_ = 0;
    Display *x_ = nullptr;
    std::unique_ptr<Program> panel_, trayer_;
};

using Lines = std::vector<std::string>;
constexpr int kPanelTop = 0, kPanelHeight = 36;    // Xfce's panel along the top
constexpr int kTrayerTop = 730, kTrayerHeight = 38;  // trayer along the bottom

// This program again, as the console program in the tray.
std::unique_ptr<Program> StartConsoleProgram(const Desktop &desktop) {
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return nullptr;
    std::vector<std::string> environment = desktop.Environment();
    for (const char *e : {"TRAY_SESSION=1", "RTE_DISPLAY=sdl", "RTE_SCALE=1"}) environment.push_back(e);
    return std::make_unique<Program>(std::vector<std::string>{self, "--gtest_filter=TrayConsoleSession.*"}, environment);
}

// Right-clicks the icon, waits for the panel's menu and chooses with the keys.
void ChooseFromPanelMenu(Desktop &desktop, const Desktop::Box &icon, const std::string &keys) {
    desktop.Xdotool("mousemove " + std::to_string(icon.x()) + " " + std::to_string(icon.y()) + " click 3");
    ASSERT_TRUE(desktop.AwaitWindow("POPUP_MENU")) << "the panel's menu did not open";
    desktop.Xdotool("key " + keys);
    desktop.AwaitWindow("POPUP_MENU", false);
}

const char *MissingTool() {
    return rte::testing::MissingTool({"Xvfb", "openbox", "xdotool", "dbus-daemon", "dbus-send", "xfce4-panel", "trayer"});
}

TEST(TrayIconsInXfcesPanel, ShowWorkAndComeBackWithThePanel) {
    if (const char *tool = MissingTool()) GTEST_SKIP() << tool << " is not installed";
    Desktop desktop;
    ASSERT_TRUE(desktop.Ready()) << "no virtual screen or no session bus";

    // A program started before the panel gets its icon when the panel starts.
    auto program = StartConsoleProgram(desktop);
    ASSERT_EQ(program->Next(1), Lines{"READY"}) << program->Output();
    ASSERT_TRUE(desktop.StartPanel()) << "the panel's watcher did not appear:\n" << desktop.PanelOutput();
    Desktop::Box icon = desktop.AwaitIcon(kPanelTop, kPanelHeight);
    ASSERT_GE(icon.count, 12) << "no icon in the panel\n" << program->Output();
    std::string at = std::to_string(icon.x()) + " " + std::to_string(icon.y());

    // The tool tip on hover; a click; a double click.
    desktop.Xdotool("mousemove " + at);
    EXPECT_TRUE(desktop.AwaitWindow("TOOLTIP")) << "no tool tip";
    desktop.Xdotool("click 1");
    EXPECT_EQ(program->Next(2), (Lines{"LEFT_CLICK", "LEFT_MOUSE_UP"}));
    desktop.Xdotool("sleep 0.6 click --repeat 2 --delay 60 1");  // no pair with the click before
    EXPECT_EQ(program->Next(4), (Lines{"LEFT_CLICK", "LEFT_MOUSE_UP", "LEFT_DOUBLE_CLICK", "LEFT_MOUSE_UP"}));

    // The program's menu in the panel's own menu: its right click first, then the choice.
    ChooseFromPanelMenu(desktop, icon, "Down Down Return");
    EXPECT_EQ(program->Next(3), (Lines{"RIGHT_CLICK", "RIGHT_MOUSE_UP", "MENU 2"}));

    // The panel killed and started again: the icon comes back and still works.
    ASSERT_TRUE(desktop.StopPanel());
    EXPECT_EQ(desktop.AwaitIcon(kPanelTop, kPanelHeight, false).count, 0);
    ASSERT_TRUE(desktop.StartPanel()) << desktop.PanelOutput();
    icon = desktop.AwaitIcon(kPanelTop, kPanelHeight);
    ASSERT_GE(icon.count, 12) << "the icon did not come back\n" << program->Output();
    desktop.Xdotool("mousemove " + std::to_string(icon.x()) + " " + std::to_string(icon.y()) + " click 1");
    EXPECT_EQ(program->Next(2), (Lines{"LEFT_CLICK", "LEFT_MOUSE_UP"}));

    // Quit from the panel's menu ends the program, and the icon leaves.
    ChooseFromPanelMenu(desktop, icon, "Up Return");
    EXPECT_EQ(program->Next(3), (Lines{"RIGHT_CLICK", "RIGHT_MOUSE_UP", "MENU 4"}));
    EXPECT_EQ(program->Wait(), 0) << program->Output();
    EXPECT_EQ(desktop.AwaitIcon(kPanelTop, kPanelHeight, false).count, 0);
    EXPECT_EQ(program->Output().find("X Error"), std::string::npos) << program->Output();

#ifdef TRAY_UTILITY_PROGRAM
    // The tray utility end to end: count clicks (its tool tip says so), show its panel, quit.
    std::string utility = TRAY_UTILITY_PROGRAM;
    std::vector<std::string> environment = desktop.Environment();
    environment.push_back("RTE_DISPLAY=sdl");
    Program example({utility}, environment, std::filesystem::path(utility).parent_path().string());
    icon = desktop.AwaitIcon(kPanelTop, kPanelHeight);
    ASSERT_GE(icon.count, 12) << example.Output();
    ChooseFromPanelMenu(desktop, icon, "Down Down Return");
    std::string service = "org.kde.StatusNotifierItem-" + std::to_string(example.pid()) + "-1";
    EXPECT_TRUE(Eventually([&] {
        return desktop.ItemProperty(service, "ToolTip").find("Tray utility (counting)") != std::string::npos;
    })) << desktop.ItemProperty(service, "ToolTip");
    ChooseFromPanelMenu(desktop, icon, "Down Return");
    EXPECT_TRUE(Eventually([&] { return !desktop.Xdotool("search --onlyvisible --name '^Tray utility$'").empty(); }))
        << "the utility's panel did not show";
    ChooseFromPanelMenu(desktop, icon, "Up Return");
    EXPECT_EQ(example.Wait(), 0) << example.Output();
    EXPECT_EQ(desktop.AwaitIcon(kPanelTop, kPanelHeight, false).count, 0);
#endif
}

TEST(TrayIconsInALegacyTray, EmbedWithoutAWatcherAndMoveToOne) {
    if (const char *tool = MissingTool()) GTEST_SKIP() << tool << " is not installed";
    Desktop desktop;
    ASSERT_TRUE(desktop.Ready()) << "no virtual screen or no session bus";
    ASSERT_TRUE(desktop.StartTrayer()) << "trayer did not take the tray";
    auto program = StartConsoleProgram(desktop);
    ASSERT_EQ(program->Next(1), Lines{"READY"}) << program->Output();
    Desktop::Box icon = desktop.AwaitIcon(kTrayerTop, kTrayerHeight);
    ASSERT_GE(icon.count, 12) << "no icon in the tray\n" << program->Output();
    std::string at = std::to_string(icon.x()) + " " + std::to_string(icon.y());

    // Its tool tip on hover, a click, and the engine's menu on a right click, kept above the tray
    // (the button's release while the menu is open is the menu's). The menu has the keys: Escape
    // dismisses it.
    desktop.Xdotool("mousemove " + at);
    EXPECT_TRUE(desktop.AwaitWindow("TOOLTIP")) << "no tool tip";
    desktop.Xdotool("click 1");
    EXPECT_EQ(program->Next(2), (Lines{"LEFT_CLICK", "LEFT_MOUSE_UP"}));
    desktop.Xdotool("mousedown 3");
    int left = 0, top = 0, width = 0, height = 0;
    ASSERT_TRUE(desktop.AwaitWindow("POPUP_MENU")) << "no menu\n" << program->Output();
    ASSERT_TRUE(desktop.WindowBox("POPUP_MENU", &left, &top, &width, &height));
    EXPECT_LE(top + height, 768 - 32) << "the menu covers the tray";
    desktop.Xdotool("mouseup 3");
    EXPECT_TRUE(Eventually([&] { return desktop.HasKeyboard("POPUP_MENU"); })) << "the menu did not take the keys";
    desktop.Xdotool("key Escape");
    EXPECT_EQ(program->Next(2), (Lines{"RIGHT_CLICK", "MENU 0"}));

    // A watcher comes: the icon leaves the legacy tray for it, and works there.
    ASSERT_TRUE(desktop.StartPanel()) << desktop.PanelOutput();
    icon = desktop.AwaitIcon(kPanelTop, kPanelHeight);
    ASSERT_GE(icon.count, 12) << "the icon did not move to the panel\n" << program->Output();
    EXPECT_EQ(desktop.AwaitIcon(kTrayerTop, kTrayerHeight, false).count, 0);
    ChooseFromPanelMenu(desktop, icon, "Up Return");
    EXPECT_EQ(program->Next(3), (Lines{"RIGHT_CLICK", "RIGHT_MOUSE_UP", "MENU 4"}));
    EXPECT_EQ(program->Wait(), 0) << program->Output();
    EXPECT_EQ(program->Output().find("X Error"), std::string::npos) << program->Output();
}

}  // namespace
