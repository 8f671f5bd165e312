// A real drop on the SDL display of a virtual screen: the test plays a file manager's side of
// the X drag-and-drop protocol (XDND) with Xlib against the panel's window, which no Debian tool
// does by itself, and the panel's callback gets the files as EVENT_DROP. The session runs in a
// child process (this program again, filtered to DropSession); the test is skipped when Xvfb or
// openbox is not installed.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "rte/display/screen_image_testing.h"
#include "rte/display/virtual_screen_testing.h"
#include "rte/rte.h"

namespace {

std::string g_out;

int DropTarget(int, int event, void *, int, int) {
    if (event != EVENT_DROP) return 0;
    std::ofstream out(g_out);
    for (int i = 0; i < RteGetDroppedFileCount(); ++i) out << RteGetDroppedFile(i) << "\n";
    QuitUserInterface(0);
    return 0;
}

// X errors are counted, not fatal: a window found by its name may be replaced (the screen
// display re-creates it, the window manager reparents it) before the next request reaches it,
// and Xlib's own handler would end the whole test program from the dragging thread.
int g_xErrors = 0;
int CountXError(Display *, XErrorEvent *) {
    ++g_xErrors;
    return 0;
}

void SendClient(Display *d, Window to, Atom type, long l0, long l1, long l2, long l3, long l4) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.display = d;
    e.xclient.window = to;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    long data[5] = {l0, l1, l2, l3, l4};
    for (int i = 0; i < 5; ++i) e.xclient.data.l[i] = data[i];
    XSendEvent(d, to, False, NoEventMask, &e);
    XFlush(d);
}

// Drags text/uri-list onto the window named `name` of the display as a file manager does.
// Returns what went wrong, or "" when the target finished the drop.
std::string DropWithXdnd(const std::string &display, const char *name, const std::string &uris) {
    Display *d = XOpenDisplay(display.c_str());
    if (d == nullptr) return "cannot open the display";
    XErrorHandler previousHandler = XSetErrorHandler(CountXError);
    Window target = 0;
    for (int i = 0; i < 100 && target == 0; ++i) {
        target = rte::testing::FindNamedWindow(d, DefaultRootWindow(d), name);
        if (target == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::string why;
    if (target == 0) why = "the panel's window did not appear";
    Atom aware = XInternAtom(d, "XdndAware", False), enter = XInternAtom(d, "XdndEnter", False),
         position = XInternAtom(d, "XdndPosition", False), status = XInternAtom(d, "XdndStatus", False),
         drop = XInternAtom(d, "XdndDrop", False), finished = XInternAtom(d, "XdndFinished", False),
         selection = XInternAtom(d, "XdndSelection", False), copy = XInternAtom(d, "XdndActionCopy", False),
         uriList = XInternAtom(d, "text/uri-list", False);
    Window source = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    if (why.empty()) {
        // The window says it takes drops; the pointer goes over it.
        for (int i = 0; i < 50; ++i) {
            Atom type;
            int format;
            unsigned long items = 0, after;
            unsigned char *data = nullptr;
            g_xErrors = 0;
            XGetWindowProperty(d, target, aware, 0, 1, False, AnyPropertyType, &type, &format, &items, &after, &data);
            XSync(d, False);
            if (data) XFree(data);
            if (items > 0 && g_xErrors == 0) break;
            if (g_xErrors > 0) target = rte::testing::FindNamedWindow(d, DefaultRootWindow(d), name);  // it was replaced
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        int x = 0, y = 0;
        Window child;
        XTranslateCoordinates(d, target, DefaultRootWindow(d), 40, 40, &x, &y, &child);
        XWarpPointer(d, None, DefaultRootWindow(d), 0, 0, 0, 0, x, y);
        XSetSelectionOwner(d, selection, source, CurrentTime);
        SendClient(d, target, enter, static_cast<long>(source), 5L << 24, static_cast<long>(uriList), 0, 0);
        SendClient(d, target, position, static_cast<long>(source), 0, (static_cast<long>(x) << 16) | y, CurrentTime,
                   static_cast<long>(copy));
    }
    bool accepted = false, done = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (why.empty() && !done && std::chrono::steady_clock::now() < deadline) {
        if (!XPending(d)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == ClientMessage && e.xclient.message_type == status && !accepted) {
            accepted = true;
            if (!(e.xclient.data.l[1] & 1)) why = "the window refused the drop";
            else SendClient(d, target, drop, static_cast<long>(source), 0, CurrentTime, 0, 0);
        } else if (e.type == SelectionRequest) {
            // The target asks for the files: they go into its property.
            XSelectionRequestEvent &r = e.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = r.requestor;
            reply.xselection.selection = r.selection;
            reply.xselection.target = r.target;
            reply.xselection.time = r.time;
            reply.xselection.property = None;
            if (r.target == uriList) {
                XChangeProperty(d, r.requestor, r.property, uriList, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char *>(uris.data()), static_cast<int>(uris.size()));
                reply.xselection.property = r.property;
            }
            XSendEvent(d, r.requestor, False, NoEventMask, &reply);
            XFlush(d);
        } else if (e.type == ClientMessage && e.xclient.message_type == finished) {
            done = true;
        }
    }
    if (why.empty() && !done) why = accepted ? "the drop was not finished" : "the window never answered";
    XDestroyWindow(d, source);
    XCloseDisplay(d);
    XSetErrorHandler(previousHandler);
    return why;
}

}  // namespace

// One session, run only as the child of the test below: shows a panel on the screen and waits
// for files dropped on it, which it writes to RTE_DROP_OUT.
TEST(DropSession, TakesTheDrop) {
    const char *out = std::getenv("RTE_DROP_OUT");
    if (out == nullptr) GTEST_SKIP() << "runs as the child of the screen drop test";
    g_out = out;
    ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
    int panel = NewPanel(0, "Drop Test", 100, 100, 150, 200);
    InstallPanelCallback(panel, DropTarget, nullptr);
    ASSERT_EQ(DisplayPanel(panel), 0);
    EXPECT_EQ(RunUserInterface(), 0);
    DiscardPanel(panel);
    CloseRTE();
}

TEST(ScreenDrop, FilesDraggedFromAFileManagerArrive) {
    if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox"})) {
        GTEST_SKIP() << tool << " is not installed";
    }
    rte::testing::VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << "Xvfb did not start";
    std::string result = "drop_screen_" + std::to_string(getpid()) + ".out";
    int status = -1;
    std::thread session([&] { status = screen.RunSession("DropSession.*", "RTE_DROP_OUT='" + result + "'"); });
    std::string why =
        DropWithXdnd(screen.display(), "Drop Test", "file:///tmp/first%20file.txt\r\nfile:///tmp/second.txt\r\n");
    session.join();
    EXPECT_EQ(why, "");
    EXPECT_EQ(status, 0);
    std::ifstream in(result);
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "/tmp/first file.txt");
    EXPECT_EQ(second, "/tmp/second.txt");
    std::remove(result.c_str());
}
