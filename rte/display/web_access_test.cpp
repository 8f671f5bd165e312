// The web display's rules without a browser: where it listens and what it refuses to start on,
// how tokens, cookies and origins are read and compared, which keys the engine knows, what a
// viewer may send, which rectangles of a picture changed, HTTPS with a certificate, and what a
// viewer that falls behind still gets.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "rte/display/web_display.h"
#include "rte/ui.h"

namespace {

using namespace rte::internal::web;

TEST(WebAccess, ListenAddresses) {
    struct Case {
        const char *text, *host;
        int port;
        bool loopback;
    } good[] = {
        {"", "127.0.0.1", 8730, true},         {"9000", "127.0.0.1", 9000, true},
        {"127.0.0.1:0", "127.0.0.1", 0, true}, {"localhost:80", "127.0.0.1", 80, true},
        {"*:8730", "0.0.0.0", 8730, false},    {"10.1.2.3:8080", "10.1.2.3", 8080, false},
    };
    for (const Case &c : good) {
        Settings s;
        std::string error;
        ASSERT_TRUE(ParseListen(c.text, &s, &error)) << c.text << ": " << error;
        EXPECT_EQ(s.host, c.host) << c.text;
        EXPECT_EQ(s.port, c.port) << c.text;
        EXPECT_EQ(s.loopback, c.loopback) << c.text;
    }
    for (const char *bad : {"station:80", "1.2.3:80", "256.0.0.1:80", "127.0.0.1:70000", "127.0.0.1:", "[::1]:80", "x"}) {
        Settings s;
        std::string error;
        EXPECT_FALSE(ParseListen(bad, &s, &error)) << bad;
        EXPECT_NE(error.find("RTE_WEB_LISTEN="), std::string::npos) << bad;
    }
}

TEST(WebAccess, SettingsThatCannotBeUsedAreRefusedWithTheReason) {
    struct Case {
        const char *token, *cert, *key, *says;
    } cases[] = {
        {"short", "", "", "RTE_WEB_TOKEN must be 16 to 128"},
        {"spaces are not allowed here", "", "", "RTE_WEB_TOKEN must be 16 to 128"},
        {"", "cert.pem", "", "HTTPS needs both"},
    };
    for (const Case &c : cases) {
        setenv("RTE_WEB_TOKEN", c.token, 1);
        setenv("RTE_WEB_CERT", c.cert, 1);
        setenv("RTE_WEB_KEY", c.key, 1);
        Settings s;
        std::string error;
        EXPECT_FALSE(ReadSettings(&s, &error)) << c.says;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    for (const char *name : {"RTE_WEB_TOKEN", "RTE_WEB_CERT", "RTE_WEB_KEY"}) unsetenv(name);
    Settings a, b;
    std::string error;
    ASSERT_TRUE(ReadSettings(&a, &error));
    ASSERT_TRUE(ReadSettings(&b, &error));
    EXPECT_EQ(a.token.size(), 32u);  // 128 bits in hexadecimal, new each time
    EXPECT_NE(a.token, b.token);
}

TEST(WebAccess, TokensCookiesQueriesAndOrigins) {
    EXPECT_TRUE(SameToken("0123456789abcdef", "0123456789abcdef"));
    for (const char *other : {"", "0123456789abcde", "0123456789abcdef0", "1123456789abcdef", "0123456789abcdeF"}) {
        EXPECT_FALSE(SameToken(other, "0123456789abcdef")) << other;
    }
    EXPECT_FALSE(SameToken("", ""));  // no token lets nobody in
    EXPECT_EQ(CookieName(8730), "rte_token_8730");
    EXPECT_EQ(CookieValue("a=1; rte_token_8730=secret; b=2", "rte_token_8730"), "secret");
    EXPECT_EQ(CookieValue("rte_token_87301=other", "rte_token_8730"), "");
    EXPECT_EQ(CookieValue(nullptr, "rte_token_8730"), "");
    EXPECT_EQ(QueryValue("x=1&token=abc", "token"), "abc");
    EXPECT_EQ(QueryValue("tokens=abc", "token"), "");
    EXPECT_TRUE(OriginAllowed("http://127.0.0.1:8730", "127.0.0.1:8730", false));
    EXPECT_TRUE(OriginAllowed("https://station:8730", "station:8730", true));
    EXPECT_TRUE(OriginAllowed(nullptr, "127.0.0.1:8730", false));  // no browser
    EXPECT_FALSE(OriginAllowed("http://evil.example", "127.0.0.1:8730", false));
    EXPECT_FALSE(OriginAllowed("http://station:8730", "station:8730", true));
    EXPECT_FALSE(OriginAllowed("http://127.0.0.1:8731", "127.0.0.1:8730", false));
}

TEST(WebAccess, KeysAsTheBrowserNamesThem) {
    struct Case {
        const char *key;
        int modifiers, code;
    } cases[] = {
        {"Tab", 1, VAL_TAB_VKEY | VAL_SHIFT_MODIFIER},  {"Enter", 0, VAL_ENTER_VKEY},
        {"ArrowDown", 4, VAL_DOWN_ARROW_VKEY | VAL_ALT_MODIFIER}, {"F4", 0, VAL_F4_VKEY},
        {"F12", 0, VAL_F12_VKEY},                       {"A", 3, 'a' | VAL_SHIFT_MODIFIER | VAL_MENUKEY_MODIFIER},
        {" ", 0, ' '},                                   {"é", 0, 0},
        {"F13", 0, 0},                                   {"Shift", 1, 0},
    };
    for (const Case &c : cases) EXPECT_EQ(KeyCodeOf(c.key, c.modifiers), c.code) << c.key;
}

TEST(WebAccess, AViewerThatBreaksTheRulesIsRefused) {
    auto viewer = std::make_shared<Viewer>();
    for (const char *bad : {"bogus 1", "move 1 2", "move x 2 3 0", "down 1 2 3 0 9", "key 9 0 a", "text ", "focus 0",
                            "answer -1", "drop 1 2 3", "drop 1 2 3\nfile -1 a", "drop 1 2 3\nfile 10 ..",
                            "drop 1 2 3\nfile 1 a\nfile 1 a", "drop 1 2 3\nfile 99999999 big"}) {
        EXPECT_FALSE(TakeViewerMessage(viewer, bad)) << bad;
    }
    EXPECT_FALSE(TakeUploadChunk(viewer, "no drop announced"));
    ASSERT_TRUE(TakeViewerMessage(viewer, "drop 1 2 3\nfile 3 a.txt"));
    EXPECT_FALSE(TakeUploadChunk(viewer, "more than three"));
    AbandonUpload(*viewer);
    RemoveUploads();
}

TEST(WebAccess, OnlyTheChangedRectanglesAreFound) {
    Picture before{64, 40, std::vector<uint32_t>(64 * 40, 0xFFFFFFFF)}, after = before;
    EXPECT_TRUE(ChangedRects(before, after).empty());
    after.pixels[5 * 64 + 3] = 0xFF000000;   // one pixel at (3, 5)
    for (int y = 30; y < 34; ++y) {
        for (int x = 40; x < 60; ++x) after.pixels[static_cast<size_t>(y) * 64 + x] = 0xFF336699;
    }
    std::vector<Rect> rects = ChangedRects(before, after);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ((std::vector<int>{rects[0].x, rects[0].y, rects[0].width, rects[0].height}), (std::vector<int>{3, 5, 1, 1}));
    EXPECT_EQ((std::vector<int>{rects[1].x, rects[1].y, rects[1].width, rects[1].height}), (std::vector<int>{40, 30, 20, 4}));
    std::string frame = FrameMessage(7, after, rects[1]);
    EXPECT_EQ(frame.substr(0, 13), std::string("F\x07\0\0\0\x28\0\0\0\x1e\0\0\0", 13));
    EXPECT_EQ(frame.substr(13, 4), "\x89PNG");
}

// A port of this machine that something else listens on, while the object lives.
struct TakenPort {
    int fd = socket(AF_INET, SOCK_STREAM, 0), port = 0;
    TakenPort() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        listen(fd, 1);
        getsockname(fd, reinterpret_cast<sockaddr *>(&a), &size);
        port = ntohs(a.sin_port);
    }
    ~TakenPort() { close(fd); }
};

TEST(WebServer, StartsOnlyWhereItCanAndSpeaksHttpsWithACertificate) {
    TakenPort taken;
    Settings s;
    s.host = "127.0.0.1";
    s.port = taken.port;
    s.token = "0123456789abcdef";
    std::string url, error;
    EXPECT_FALSE(StartServer(s, &url, &error));
    EXPECT_NE(error.find("cannot listen on 127.0.0.1:" + std::to_string(taken.port)), std::string::npos) << error;

    s.port = 0;
    s.cert = "no-such-certificate.pem";
    s.key = "no-such-key.pem";
    EXPECT_FALSE(StartServer(s, &url, &error));
    EXPECT_TRUE(error.find("RTE_WEB_CERT=no-such-certificate.pem") != std::string::npos ||
                error.find("cannot serve HTTPS here") != std::string::npos) << error;

    std::string folder = ::testing::TempDir() + "web_tls_" + std::to_string(getpid());
    std::string make = "mkdir -p " + folder + " && openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -keyout " +
                       folder + "/key.pem -out " + folder + "/cert.pem >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0) << "openssl is not installed (scripts/setup installs it)";
    s.cert = folder + "/cert.pem";
    s.key = folder + "/key.pem";
    if (!StartServer(s, &url, &error)) {
        // The civetweb of Debian 12 cannot load OpenSSL 3: HTTPS is refused, saying so.
        EXPECT_NE(error.find("cannot serve HTTPS here"), std::string::npos) << error;
        std::system(("rm -rf " + folder).c_str());
        return;
    }
    EXPECT_EQ(url.rfind("https://127.0.0.1:", 0), 0u) << url;
    std::string base = url.substr(0, url.find("/?"));
    FILE *curl = popen(("curl -sk -o /dev/null -w '%{http_code} ' " + base + "/ " + url + " 2>&1").c_str(), "r");
    char answer[64] = {};
    ASSERT_NE(curl, nullptr);
    EXPECT_NE(std::fgets(answer, sizeof answer, curl), nullptr);
    pclose(curl);
    EXPECT_STREQ(answer, "403 303 ");  // no token; the token
    StopServer("{}");
    std::system(("rm -rf " + folder).c_str());
}

// A viewer too far behind loses the frames and lists of windows waiting for it (the whole
// picture is sent to it afresh), not the answers to its pings, which its page waits for.
TEST(WebServer, AViewerThatFallsBehindKeepsItsAnswers) {
    ViewerRef viewer = std::make_shared<Viewer>();
    viewer->needsPicture = false;
    Send(viewer, false, "{\"t\":\"layout\",\"windows\":[]}");
    Send(viewer, true, std::string(1000, 'F'));
    Send(viewer, false, "{\"t\":\"pong\",\"n\":1}");
    Send(viewer, true, std::string(kMaxQueuedBytes, 'F'));  // too much
    EXPECT_TRUE(viewer->needsPicture.load());
    ASSERT_EQ(viewer->queue.size(), 1u);
    EXPECT_EQ(viewer->queue.front().second, "{\"t\":\"pong\",\"n\":1}");
    EXPECT_EQ(viewer->queued, viewer->queue.front().second.size());
}

}  // namespace
