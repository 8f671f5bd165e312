// The web display's server under load from several viewers at once: each connects its
// WebSocket, asks for a pong while the main thread queues frames for all of them and answers
// what they sent, and the server stops cleanly with whoever is still there. Run under
// ThreadSanitizer, it checks the locking between civetweb's threads, the senders and the pump.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "rte/display/web_display.h"

namespace {

using namespace rte::internal::web;

const char kToken[] = "0123456789abcdef";

// A viewer on a socket of its own: the handshake, then "ping 1" in a masked frame (a mask of
// zeros), then reading until a text frame holding "pong" comes.
bool ViewerGetsItsPong(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string host = "127.0.0.1:" + std::to_string(port);
    std::string hello = "GET /ws HTTP/1.1\r\nHost: " + host + "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\nOrigin: http://" + host +
                        "\r\nCookie: rte_token_" + std::to_string(port) + "=" + kToken + "\r\n\r\n";
    std::string ping = std::string("\x81\x86\0\0\0\0", 6) + "ping 1";
    std::string seen;
    bool ok = connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 && send(fd, hello.data(), hello.size(), 0) > 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool pinged = false;
    while (ok && seen.find("pong") == std::string::npos && std::chrono::steady_clock::now() < end) {
        if (!pinged && seen.find("\r\n\r\n") != std::string::npos) {
            ok = seen.rfind("HTTP/1.1 101", 0) == 0 && send(fd, ping.data(), ping.size(), 0) > 0;
            pinged = true;
        }
        pollfd p{fd, POLLIN, 0};
        char buf[4096];
        ssize_t n = poll(&p, 1, 1000) > 0 ? recv(fd, buf, sizeof buf, 0) : 0;
        if (n > 0) seen.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return ok && seen.find("pong") != std::string::npos;
}

TEST(WebServerThreads, ViewersConnectAndAreAnsweredWhileFramesGoToAll) {
    Settings s;
    s.host = "127.0.0.1";
    s.port = 0;
    s.token = kToken;
    std::string url, error;
    ASSERT_TRUE(StartServer(s, &url, &error)) << error;
    int port = std::atoi(url.c_str() + url.rfind(':') + 1);
    constexpr int kViewers = 6;
    std::atomic<int> answered{0};
    std::vector<std::thread> viewers;
    for (int i = 0; i < kViewers; ++i) {
        viewers.emplace_back([&] {
            if (ViewerGetsItsPong(port)) ++answered;
        });
    }
    // The main thread's part, as the pump does it.
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (answered.load() < kViewers && std::chrono::steady_clock::now() < end) {
        for (const ViewerRef &v : Viewers(true)) Send(v, false, "{\"t\":\"layout\"}");
        SendToAll(true, "F frame");
        ApplyQueuedInput();
        AnswerPings();
        WaitForInput(0.01);
    }
    for (std::thread &t : viewers) t.join();
    EXPECT_EQ(answered.load(), kViewers);
    EXPECT_GT(BytesSent(), 0u);
    StopServer("{\"t\":\"ended\"}");
}

}  // namespace
