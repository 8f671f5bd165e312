// The web display in a real browser: this program's engine serves its panels on a free port of
// this machine, and headless Chromium (web_browser_testing.h) looks at them and works them with
// the pointer and the keyboard, as an operator elsewhere would. The checks read the panels'
// values after the event loop ends, and compare the pixels of the page's canvases with the
// renderer's own.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "rte/display/web_browser_testing.h"
#include "rte/display/web_display.h"
#include "rte/rte.h"
#include "rte/testing.h"

namespace {

namespace rt = rte::testing;

const auto &Url = rt::WebUrl;
const auto &Do = rt::Drive;
std::string N(int v) { return std::to_string(v); }

// A panel of an entry, a numeric, a second entry and a button, shown.
struct Form {
    int panel, name, count, note, go;
    explicit Form(const char *title, int top = 60, int left = 40) {
        panel = NewPanel(0, title, top, left, 200, 320);
        name = NewCtrl(panel, CTRL_STRING, "Name", 30, 20);
        count = NewCtrl(panel, CTRL_NUMERIC, "Count", 80, 20);
        note = NewCtrl(panel, CTRL_STRING, "Note", 130, 20);
        go = NewCtrl(panel, CTRL_COMMAND_BUTTON, "Go", 80, 200);
        SetCtrlVal(panel, name, "xyz");
        SetCtrlVal(panel, note, "old");
        DisplayPanel(panel);
    }
    ~Form() { DiscardPanel(panel); }
    // A point inside a control, in the panel.
    std::vector<std::string> At(int control, int dx = 6, int dy = 6) const {
        int top = 0, left = 0;
        GetCtrlAttribute(panel, control, ATTR_TOP, &top);
        GetCtrlAttribute(panel, control, ATTR_LEFT, &left);
        return {N(panel), N(left + dx), N(top + dy)};
    }
    void Click(const std::string &viewer, int control, const char *button = "left", const char *count = "1") const {
        std::vector<std::string> at = At(control);
        Do({"click", viewer, at[0], at[1], at[2], button, count});
    }
};

std::vector<int> g_events;
int RecordEvent(int, int, int event, void *, int, int) {
    if (event == EVENT_LEFT_CLICK || event == EVENT_LEFT_DOUBLE_CLICK || event == EVENT_RIGHT_CLICK || event == EVENT_COMMIT) {
        g_events.push_back(event);
    }
    return 0;
}

TEST(WebDisplay, TheCanvasHoldsThePixelsTheRendererDraws) {
    ASSERT_NE(Url(), "");
    Form form("Pixels");
    SetCtrlVal(form.panel, form.note, "grün und blau");
    SetCtrlVal(form.panel, form.count, 42.0);
    std::string canvas;
    rt::RunWhileDriving([&] {
        Do({"open", "a", Url()});
        canvas = Do({"pixels", "a", N(form.panel)});
        Do({"close", "a"});
    });
    EXPECT_EQ(canvas.substr(0, 8), "320 200 ");
    EXPECT_EQ(rt::PixelsApart(canvas, rt::RendererPixels(form.panel, true)), 0);
    EXPECT_STREQ(RteDisplayDriver(), "web");
}

TEST(WebDisplay, PointerKeysAndTextGoThroughTheOneOperatorInputPath) {
    ASSERT_NE(Url(), "");
    Form form("Keys");
    g_events.clear();
    InstallCtrlCallback(form.panel, form.name, RecordEvent, nullptr);
    InstallCtrlCallback(form.panel, form.count, RecordEvent, nullptr);
    rt::RunWhileDriving([&] {
        Do({"open", "a", Url()});
        form.Click("a", form.name, "left", "2");  // a double click selects the whole text
        form.Click("a", form.name, "right");
        Do({"type", "a", "ab"});
        Do({"type", "a", "é€"});  // no key makes these: the browser's text input sends them
        Do({"key", "a", "Home"});
        Do({"type", "a", "<"});
        form.Click("a", form.note);
        Do({"key", "a", "Control+a"});
        Do({"type", "a", "new"});
        Do({"key", "a", "Shift+Tab"});
        Do({"type", "a", "42"});
        Do({"key", "a", "Enter"});
        Do({"sync", "a"});
        Do({"close", "a"});
    });
    EXPECT_EQ(rt::ValueText(form.panel, form.name), "<abé€");
    EXPECT_EQ(rt::ValueText(form.panel, form.note), "new");
    EXPECT_EQ(rt::ValueText(form.panel, form.count), "42");
    EXPECT_EQ(g_events, (std::vector<int>{EVENT_LEFT_CLICK, EVENT_LEFT_DOUBLE_CLICK, EVENT_RIGHT_CLICK, EVENT_COMMIT}));
}

std::vector<int> g_chosen;
void OpenMenu(void *) {
    const RteMenuItem items[] = {{"Alpha", 1, 0, 0, 0, 0}, {"Beta", 2, 0, 0, 1, 0},
                                 {nullptr, 0, 1, 0, 0, 0}, {"Gamma", 3, 0, 0, 0, 1}};
    g_chosen.push_back(RteTrackPopupMenu(items, 4, 300, 200, 0));
}

TEST(WebDisplay, APopupMenuIsWorkedWithTheKeysAndThePointer) {
    ASSERT_NE(Url(), "");
    Form form("Menu");
    g_chosen.clear();
    unsigned loop = CurrThreadId();
    // Each way of answering, on a menu opened for it.
    auto answer = [loop](const std::vector<std::vector<std::string>> &input) {
        PostDeferredCallToThread(OpenMenu, nullptr, loop);
        Do({"wait", "a", "document.getElementById('menu') !== null", "60"});
        for (const auto &command : input) Do(command);
        Do({"wait", "a", "document.getElementById('menu') === null", "60"});
    };
    rt::RunWhileDriving([&] {
        Do({"open", "a", Url()});
        // Down marks Alpha, the second passes the dimmed Beta and the separator: Gamma.
        answer({{"key", "a", "ArrowDown"}, {"key", "a", "ArrowDown"}, {"key", "a", "Enter"}});
        // The menu's corner is at (300, 200) of the screen, which is the page's desk.
        answer({{"mouse", "a", "move", "0", "330", "214"}, {"click", "a", "0", "330", "214"}});
        answer({{"key", "a", "Escape"}});
        answer({{"click", "a", "0", "100", "400"}});  // beside the menu
        Do({"close", "a"});
    });
    EXPECT_EQ(g_chosen, (std::vector<int>{3, 1, 0, 0}));
}

std::string g_dropped;
int ReadDrop(int, int event, void *, int, int) {
    if (event != EVENT_DROP) return 0;
    for (int i = 0; i < RteGetDroppedFileCount(); ++i) {
        std::ifstream in(RteGetDroppedFile(i));
        std::stringstream text;
        text << in.rdbuf();
        std::string path = RteGetDroppedFile(i);
        g_dropped += path.substr(path.rfind('/') + 1) + ": " + text.str() + "\n";
    }
    return 0;
}

TEST(WebDisplay, AFileDroppedOnAPanelArrivesAsTheDropEvent) {
    ASSERT_NE(Url(), "");
    Form form("Drop");
    g_dropped.clear();
    InstallPanelCallback(form.panel, ReadDrop, nullptr);
    rt::RunWhileDriving([&] {
        Do({"open", "a", Url()});
        Do({"drop", "a", N(form.panel), "150", "170", "notes.txt", "dropped in a browser"});
        Do({"sync", "a"});
        Do({"close", "a"});
    });
    EXPECT_EQ(g_dropped, "notes.txt: dropped in a browser\n");
}

TEST(WebDisplay, WithoutTheTokenOrFromAnotherOriginNothingIsServed) {
    ASSERT_NE(Url(), "");
    int port = rt::PortOf(Url());
    std::string host = "Host: 127.0.0.1:" + N(port) + "\r\n", cookie = "Cookie: rte_token_" + N(port) + "=" + rt::kWebToken + "\r\n";
    std::string upgrade = "GET /ws HTTP/1.1\r\n" + host + "Upgrade: websocket\r\nConnection: Upgrade\r\n"
                          "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n";
    struct Case {
        std::string request, answer;
    } cases[] = {
        {"GET / HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 403"},
        {"GET /?token=test-token-0123456789abcdeF HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 403"},
        {"GET /panels.js HTTP/1.1\r\n" + host + "\r\n", "HTTP/1.1 403"},
        {"GET /panels.js HTTP/1.1\r\n" + host + "Cookie: rte_token_" + N(port) + "=wrong\r\n\r\n", "HTTP/1.1 403"},
        {"GET /panels.js HTTP/1.1\r\n" + host + cookie + "\r\n", "HTTP/1.1 200"},
        {"GET /../../etc/passwd HTTP/1.1\r\n" + host + cookie + "\r\n", "HTTP/1.1 404"},
        {"POST / HTTP/1.1\r\n" + host + cookie + "Content-Length: 0\r\n\r\n", "HTTP/1.1 405"},
        {upgrade + "Origin: http://127.0.0.1:" + N(port) + "\r\n\r\n", ""},
        {upgrade + cookie + "Origin: http://evil.example\r\n\r\n", ""},
        {upgrade + cookie + "Origin: http://127.0.0.1:" + N(port) + "\r\n\r\n", "HTTP/1.1 101"},
    };
    for (const Case &c : cases) {
        std::string answer = rt::RawRequest(port, c.request);
        EXPECT_EQ(answer.substr(0, c.answer.size()), c.answer) << c.request << "\nanswered:\n" << answer;
        if (c.answer.empty()) {
            EXPECT_EQ(answer, "") << c.request;
        }
    }
    std::string first = rt::RawRequest(port, "GET /?token=" + std::string(rt::kWebToken) + " HTTP/1.1\r\n" + host + "\r\n");
    EXPECT_NE(first.find("\r\nSet-Cookie: rte_token_" + N(port) + "=" + rt::kWebToken + "; Path=/; HttpOnly; SameSite=Strict\r\n"),
              std::string::npos) << first;
    EXPECT_NE(first.find("\r\nLocation: /\r\n"), std::string::npos) << first;

    // In a browser: a wrong token shows no page and no frame; a page of another origin gets no socket.
    Form form("Closed");
    std::string wrong = "http://127.0.0.1:" + N(port) + "/?token=not-the-token-at-all";
    std::string other = "http://localhost:" + N(port) + "/";
    std::string status, frames, socket;
    rt::RunWhileDriving([&] {
        status = Do({"goto", "x", wrong});
        frames = Do({"eval", "x", "typeof window.rteStats + ' ' + document.querySelectorAll('canvas').length"});
        Do({"open", "y", Url()});
        Do({"goto", "y", other});
        socket = Do({"eval", "y", "new Promise((done) => { const s = new WebSocket('ws://127.0.0.1:" + N(port) +
                                      "/ws'); s.onopen = () => done('open'); s.onerror = () => done('refused'); })"});
        Do({"close", "x"});
        Do({"close", "y"});
    });
    EXPECT_EQ(status, "403");
    EXPECT_EQ(frames, "\"undefined 0\"");
    EXPECT_EQ(socket, "\"refused\"");
}

TEST(WebDisplay, TwoViewersSeeEachOthersChangesAndOneComingBackSeesTheCurrentState) {
    ASSERT_NE(Url(), "");
    Form form("Shared");
    std::string a1, b1, a2, b2, a3, b3;
    // One viewer types into a control; then what each of them shows. The typist syncs first:
    // once its keys are drawn, the other's ping is answered after the frames they made, which
    // come to it on the same connection before the answer.
    auto typeAndLook = [&](const std::string &who, int control, const char *text, std::string *a, std::string *b) {
        const std::string other = who == "a" ? "b" : "a";
        form.Click(who, control, "left", "2");
        Do({"type", who, text});
        Do({"sync", who});
        Do({"sync", other});
        *a = Do({"pixels", "a", N(form.panel)});
        *b = Do({"pixels", "b", N(form.panel)});
    };
    rt::RunWhileDriving([&] {
        Do({"open", "a", Url()});
        Do({"open", "b", Url()});
        typeAndLook("a", form.name, "from a", &a1, &b1);
        typeAndLook("b", form.note, "from b", &a2, &b2);
        // b sends a message beyond the bound: the program drops its connection, and b comes
        // back by itself to the current state, which a changes meanwhile.
        Do({"insert", "b", std::string(20000, 'x')});
        form.Click("a", form.count, "left", "2");
        Do({"type", "a", "7"});
        Do({"key", "a", "Enter"});
        Do({"sync", "a"});
        Do({"wait", "b", "window.rteStats.connected && window.rteStats.connections === 2", "60"});
        Do({"sync", "b"});
        a3 = Do({"pixels", "a", N(form.panel)});
        b3 = Do({"pixels", "b", N(form.panel)});
        Do({"close", "a"});
        Do({"close", "b"});
    });
    EXPECT_EQ(rt::ValueText(form.panel, form.name), "from a");
    EXPECT_EQ(rt::ValueText(form.panel, form.note), "from b");
    EXPECT_EQ(rt::ValueText(form.panel, form.count), "7");
    EXPECT_EQ(rt::PixelsApart(a1, b1), 0);
    EXPECT_EQ(rt::PixelsApart(a2, b2), 0);
    EXPECT_GT(rt::PixelsApart(a1, a2), 0);
    EXPECT_EQ(rt::PixelsApart(a3, b3), 0);
    EXPECT_EQ(rt::PixelsApart(b3, rt::RendererPixels(form.panel, true)), 0);
}

int g_ticks = 0;
int Tick(int panel, int, int event, void *, int, int) {
    if (event == EVENT_TIMER_TICK) {
        ++g_ticks;
        SetPanelAttribute(panel, ATTR_TITLE, "Idle");  // changes nothing a viewer sees
    }
    return 0;
}

TEST(WebDisplay, NothingIsSentWhileNothingChanges) {
    ASSERT_NE(Url(), "");
    Form form("Idle");
    int timer = NewCtrl(form.panel, CTRL_TIMER, "", 0, 0);
    SetCtrlAttribute(form.panel, timer, ATTR_INTERVAL, 0.05);
    InstallCtrlCallback(form.panel, timer, Tick, nullptr);
    g_ticks = 0;
    std::string before, after;
    uint64_t sentBefore = 0, sentAfter = 0;
    rt::RunWhileDriving([&] {
        Do({"open", "a", Url()});
        before = Do({"eval", "a", "window.rteStats.bytes"});
        sentBefore = rte::internal::web::BytesSent();
        Do({"eval", "a", "new Promise((done) => setTimeout(done, 1500))"});
        after = Do({"eval", "a", "window.rteStats.bytes"});
        sentAfter = rte::internal::web::BytesSent();
        Do({"close", "a"});
    });
    EXPECT_GT(g_ticks, 5);
    EXPECT_EQ(before, after);
    EXPECT_EQ(sentBefore, sentAfter);
}

int g_behindCommits = 0;
int CountCommit(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT) ++g_behindCommits;
    return 0;
}
int Dismiss(int panel, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT) RemovePopup(0);
    (void)panel;
    return 0;
}
int g_messageAnswered = -1;
void ShowMessage(void *) { g_messageAnswered = MessagePopup("Notice", "Seen in the browser"); }

TEST(WebDisplay, APopupIsModalAndAMessageIsAnsweredInThePage) {
    ASSERT_NE(Url(), "");
    Form form("Behind");
    g_behindCommits = 0;
    InstallCtrlCallback(form.panel, form.go, CountCommit, nullptr);
    int dialog = NewPanel(0, "Dialog", 120, 420, 100, 200);
    int ok = NewCtrl(dialog, CTRL_COMMAND_BUTTON, "OK", 40, 70);
    InstallCtrlCallback(dialog, ok, Dismiss, nullptr);
    InstallPopup(dialog);
    std::string backdrop, text;
    unsigned loop = CurrThreadId();
    rt::RunWhileDriving([&] {
        Do({"open", "a", Url()});
        backdrop = Do({"eval", "a", "document.querySelectorAll('.backdrop').length"});
        form.Click("a", form.go);  // behind the popup: nothing
        Do({"click", "a", N(dialog), "80", "50"});
        Do({"wait", "a", "document.querySelectorAll('.backdrop').length === 0", "60"});
        form.Click("a", form.go);
        Do({"sync", "a"});
        PostDeferredCallToThread(ShowMessage, nullptr, loop);
        Do({"wait", "a", "document.querySelector('.message button') !== null", "60"});
        text = Do({"eval", "a", "document.querySelector('.message p').textContent"});
        Do({"eval", "a", "document.querySelector('.message button').click()"});
        Do({"wait", "a", "document.querySelector('.message') === null", "60"});
        Do({"close", "a"});
    });
    DiscardPanel(dialog);
    EXPECT_EQ(backdrop, "1");
    EXPECT_EQ(g_behindCommits, 1);
    EXPECT_EQ(text, "\"Seen in the browser\"");
    EXPECT_EQ(g_messageAnswered, 0);
}

}  // namespace
