// qm7300/sim_server/sim_server.cpp - listening, and a thread per client (see sim_server.h).
//
// Run waits in poll on the listening socket and the stop eventfd; each client's thread waits on
// its socket and the same eventfd, so one Stop reaches them all. A client beyond the bound is
// accepted and closed at once: it sees a clean close rather than a connection left hanging.
#include "qm7300/sim_server/sim_server.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <list>
#include <thread>

namespace qm7300 {

namespace {

constexpr int kRestOfFrameMs = 1000;  // a client that starts a frame finishes it within this
constexpr int kSendTimeoutS = 5;      // a client that stops reading is dropped after this

// The numeric "host:port" of a bound socket.
std::string BoundAddress(int fd)
{
    struct sockaddr_storage address;
    socklen_t size = sizeof address;
    char host[NI_MAXHOST], port[NI_MAXSERV];
    if (getsockname(fd, (struct sockaddr *)&address, &size) != 0 ||
        getnameinfo((struct sockaddr *)&address, size, host, sizeof host, port, sizeof port,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return "?";
    return Endpoint(host, atoi(port));
}

// A listening socket on host:port, or -1 with *error set.
int ListenOn(const std::string &host, int port, std::string *error)
{
    struct addrinfo hints = {}, *found = nullptr;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    std::string service = std::to_string(port);
    int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0) {
        *error = "cannot listen on " + Endpoint(host, port) + ": " + gai_strerror(rc) + ".";
        return -1;
    }
    int fd = -1, failure = 0;
    for (struct addrinfo *a = found; a != nullptr && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        int on = 1;
        if (fd >= 0 && (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
                        bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, 64) != 0)) {
            failure = errno;
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    if (fd < 0)
        *error = "cannot listen on " + Endpoint(host, port) + ": " + strerror(failure) + ".";
    return fd;
}

// Closes a client's connection so that it reads a clean end after what it was sent: a close
// with unread bytes waiting would reset the connection instead, and could lose the answers
// before it. What the client still sends is read and dropped, for a second at most.
void CloseCleanly(int fd, int stopFd)
{
    shutdown(fd, SHUT_WR);
    for (int waited = 0; waited < kRestOfFrameMs; waited += 100) {
        struct pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        char buffer[512];
        if (poll(fds, 2, 100) < 0 || fds[1].revents != 0)
            break;
        if (fds[0].revents != 0 && recv(fd, buffer, sizeof buffer, 0) <= 0)
            break;
    }
    close(fd);
}

// One client's thread, and whether it has finished (so Run may join it).
struct Client {
    std::thread thread;
    std::atomic<bool> done{false};
};

}  // namespace

SimServer::SimServer(const DevicesFile &file, int maxClients) : units_(file), maxClients_(maxClients)
{
}

std::unique_ptr<SimServer> SimServer::Listen(const DevicesFile &file, const std::string &host,
                                             int port, int maxClients, std::string *error)
{
    std::unique_ptr<SimServer> server(new SimServer(file, maxClients));
    if (server->units_.Count() == 0) {
        *error = "there is no simulated device to serve.";
        return nullptr;
    }
    server->stopFd_ = eventfd(0, EFD_CLOEXEC);
    if (server->stopFd_ < 0) {
        *error = std::string("cannot make an event: ") + strerror(errno) + ".";
        return nullptr;
    }
    server->listenFd_ = ListenOn(host, port, error);
    if (server->listenFd_ < 0)
        return nullptr;
    server->address_ = BoundAddress(server->listenFd_);
    return server;
}

SimServer::~SimServer()
{
    if (listenFd_ >= 0)
        close(listenFd_);
    if (stopFd_ >= 0)
        close(stopFd_);
}

void SimServer::Stop()
{
    uint64_t one = 1;
    ssize_t written = write(stopFd_, &one, sizeof one);
    (void)written;  // an eventfd only refuses at its limit, when it is readable anyway
}

void SimServer::Run()
{
    std::list<Client> clients;
    for (;;) {
        struct pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        if (fds[1].revents != 0)
            break;
        if (fds[0].revents == 0)
            continue;
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE) {
                // Out of descriptors: wait for a client to leave (or a stop) instead of spinning.
                struct pollfd stop = {stopFd_, POLLIN, 0};
                poll(&stop, 1, 1000);
            }
            continue;
        }
        for (auto it = clients.begin(); it != clients.end();) {
            if (it->done) {
                it->thread.join();
                it = clients.erase(it);
            } else {
                ++it;
            }
        }
        if ((int)clients.size() >= maxClients_) {
            fprintf(stderr, "qm7300-sim: refused a client: %d are connected already\n", maxClients_);
            close(fd);
            continue;
        }
        int on = 1;
        struct timeval sendTimeout = {kSendTimeoutS, 0};
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
        try {
            Client &client = clients.emplace_back();
            try {
                client.thread = std::thread([this, fd, &client] {
                    ServeConnection(fd, units_, stopFd_, kRestOfFrameMs);
                    CloseCleanly(fd, stopFd_);
                    client.done = true;
                });
            } catch (...) {
                clients.pop_back();
                throw;
            }
        } catch (const std::exception &e) {
            fprintf(stderr, "qm7300-sim: cannot serve a client: %s\n", e.what());
            close(fd);
        }
    }
    for (Client &c : clients)
        c.thread.join();
}

}  // namespace qm7300
