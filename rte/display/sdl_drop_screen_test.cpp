// A real drop on the SDL display of a virtual screen: the test plays a file manager's side of
// the X drag-and-drop protocol (XDND) with Xlib against the panel's window, which no Debian tool
// does by itself, and the panel's callback gets the files as EVENT_DROP. The session runs in a
// child process (this program again, filtered to DropSession); the test is skipped when Xvfb,
// openbox or wmctrl is not installed.
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

// Writes the files of a drop and ends the session; a close of the window (the test gave up)
// ends it too.
int DropTarget(int, int event, void *, int, int) {
    if (event == EVENT_CLOSE) QuitUserInterface(1);
    if (event != EVENT_DROP) return 0;
    std::ofstream out(g_out);
    for (int i = 0; i < RteGetDroppedFileCount(); ++i) out << RteGetDroppedFile(i) << "\n";
    QuitUserInterface(0);
    return 0;
}

// X errors are counted, not fatal: Xlib's own handler would end the whole test program, and
// an error (a window gone) is something to report.
int g_xErrors = 0;
int CountXError(Display *, XErrorEvent *) {
    ++g_xErrors;
    return 0;
}

// Whether the window is on the screen and says it takes drops (XdndAware); false too when it
// has gone.
bool TakesDrops(Display *d, Window w, Atom aware) {
    g_xErrors = 0;
    XWindowAttributes attributes{};
    bool viewable = XGetWindowAttributes(d, w, &attributes) && attributes.map_state == IsViewable;
    Atom type = None;
    int format;
    unsigned long items = 0, after;
    unsigned char *data = nullptr;
    XGetWindowProperty(d, w, aware, 0, 1, False, AnyPropertyType, &type, &format, &items, &after, &data);
    XSync(d, False);
    if (data) XFree(data);
    return viewable && items > 0 && g_xErrors == 0;
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

std::string AtomName(Display *d, Atom atom) {
    char *name = atom != None ? XGetAtomName(d, atom) : nullptr;
    std::string text = name ? name : std::to_string(atom);
    if (name) XFree(name);
    return text;
}

// Drags text/uri-list onto the window named `name` of the display as a file manager does.
// Returns what went wrong with what the source saw, or "" when the target finished the drop.
std::string DropWithXdnd(const std::string &display, const char *name, const std::string &uris) {
    Display *d = XOpenDisplay(display.c_str());
    if (d == nullptr) return "cannot open the display";
    XErrorHandler previousHandler = XSetErrorHandler(CountXError);
    Atom aware = XInternAtom(d, "XdndAware", False), enter = XInternAtom(d, "XdndEnter", False),
         position = XInternAtom(d, "XdndPosition", False), status = XInternAtom(d, "XdndStatus", False),
         drop = XInternAtom(d, "XdndDrop", False), finished = XInternAtom(d, "XdndFinished", False),
         selection = XInternAtom(d, "XdndSelection", False), copy = XInternAtom(d, "XdndActionCopy", False),
         uriList = XInternAtom(d, "text/uri-list", False);
    // The window once it is shown and takes drops: a drag reaches only such a window.
    Window target = 0;
    rte::testing::WaitFor([&] {
        target = rte::testing::FindNamedWindow(d, DefaultRootWindow(d), name);
        return target != 0 && TakesDrops(d, target, aware);
    });
    std::string why, seen;
    if (target == 0) why = "the panel's window did not appear";
    else if (!TakesDrops(d, target, aware)) why = "the panel's window was not shown taking drops";
    Window source = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    int x = 0, y = 0;
    if (why.empty()) {
        Window child;
        XTranslateCoordinates(d, target, DefaultRootWindow(d), 40, 40, &x, &y, &child);
        XWarpPointer(d, None, DefaultRootWindow(d), 0, 0, 0, 0, x, y);
        XSetSelectionOwner(d, selection, source, CurrentTime);
        SendClient(d, target, enter, static_cast<long>(source), 5L << 24, static_cast<long>(uriList), 0, 0);
    }
    // The pointer "moves" over the window once a second until the target answers, as a file
    // manager sends a position with every motion; the drop itself is sent once.
    bool accepted = false, done = false;
    auto deadline = std::chrono::steady_clock::now() + rte::testing::kPatience;
    auto nextPosition = std::chrono::steady_clock::now();
    while (why.empty() && !done && std::chrono::steady_clock::now() < deadline) {
        if (!accepted && std::chrono::steady_clock::now() >= nextPosition) {
            SendClient(d, target, position, static_cast<long>(source), 0, (static_cast<long>(x) << 16) | y, CurrentTime,
                       static_cast<long>(copy));
            seen += "sent XdndPosition; ";
            nextPosition += std::chrono::seconds(1);
        }
        if (!XPending(d)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == ClientMessage) seen += "got " + AtomName(d, e.xclient.message_type) + "; ";
        if (e.type == SelectionRequest) {
            seen += "got SelectionRequest for " + AtomName(d, e.xselectionrequest.target) + "; ";
        }
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
    if (why.empty() && !done) {
        why = accepted ? "the drop was not finished" : "the window never answered";
        if (!TakesDrops(d, target, aware)) why += " (and it is no longer on the screen taking drops)";
    }
    if (!why.empty()) {
        char window[32];
        std::snprintf(window, sizeof window, "0x%lx", target);
        why += "\ntarget window " + std::string(window) + "; the source " + (seen.empty() ? "saw nothing" : seen);
    }
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
    if (const char *tool = rte::testing::MissingTool({"Xvfb", "openbox", "wmctrl"})) {
        GTEST_SKIP() << tool << " is not installed";
    }
    rte::testing::VirtualScreen screen;
    ASSERT_FALSE(screen.display().empty()) << screen.problem();
    std::string result = "drop_screen_" + std::to_string(getpid()) + ".out";
    int status = -1;
    std::string output;
    // The session outlives both waits of the drag (the window, the handshake).
    int seconds = 3 * static_cast<int>(rte::testing::kPatience.count());
    std::thread session(
        [&] { status = screen.RunSession("DropSession.*", "RTE_DROP_OUT='" + result + "'", &output, seconds); });
    std::string why =
        DropWithXdnd(screen.display(), "Drop Test", "file:///tmp/first%20file.txt\r\nfile:///tmp/second.txt\r\n");
    std::string windows = screen.Windows();
    if (!why.empty()) std::system(("DISPLAY=" + screen.display() + " wmctrl -c 'Drop Test'").c_str());
    session.join();
    EXPECT_EQ(why, "") << "windows then:\n" << windows << screen.Report(status, output);
    EXPECT_EQ(status, 0) << screen.Report(status, output);
    std::ifstream in(result);
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "/tmp/first file.txt");
    EXPECT_EQ(second, "/tmp/second.txt");
    std::remove(result.c_str());
}
