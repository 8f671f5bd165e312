// qm7300/modbus_peers_testing.h - for tests: the peers a Modbus/TCP client or server is tested
// against, all on loopback and on ports the system chooses.
//   PeerProcess    a program (the pymodbus module, qm7300-sim) that prints "listening on
//                  HOST:PORT" once it listens; stopped with SIGTERM
//   SilentServer   accepts connections and reads what comes, never answering
//   RefusingPort() a port nothing listens on
//   FullPort       a port that listens but whose queue is full: connecting to it waits
#ifndef QM7300_MODBUS_PEERS_TESTING_H
#define QM7300_MODBUS_PEERS_TESTING_H

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace qm7300::testing {

// Binds a loopback socket to a free port; returns it (listening when listening is true).
inline int BindLoopback(bool listening, int *port)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    struct sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || bind(fd, (struct sockaddr *)&address, size) != 0 ||
        (listening && listen(fd, 16) != 0) ||
        getsockname(fd, (struct sockaddr *)&address, &size) != 0) {
        perror("loopback socket");
        abort();
    }
    *port = ntohs(address.sin_port);
    return fd;
}

// A loopback port that refuses connections: bound a moment, never listened on.
inline int RefusingPort()
{
    int port;
    close(BindLoopback(false, &port));
    return port;
}

// A loopback port that listens but takes no more connections: its queue of connections not yet
// accepted holds one (listen's backlog of 0) and a filler is in it, so the kernel drops new
// connection requests and a client's connect waits until the client gives up.
class FullPort {
public:
    FullPort() : listen_(BindLoopback(false, &port_)), filler_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        struct sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons((uint16_t)port_);
        struct pollfd queued = {listen_, POLLIN, 0};  // readable once a connection waits in the queue
        if (listen(listen_, 0) != 0 || connect(filler_, (struct sockaddr *)&address, sizeof address) != 0 ||
            poll(&queued, 1, 60000) != 1) {
            perror("filling a listening queue");
            abort();
        }
    }
    ~FullPort()
    {
        close(filler_);
        close(listen_);
    }
    FullPort(const FullPort &) = delete;
    FullPort &operator=(const FullPort &) = delete;

    int port() const { return port_; }

private:
    int port_;
    int listen_, filler_;
};

class PeerProcess {
public:
    // Starts argv[0] with its arguments and waits up to a minute for its line "listening on
    // HOST:PORT" on standard output. Its standard error goes to a file, for output().
    explicit PeerProcess(const std::vector<std::string> &argv)
    {
        char pattern[] = "/tmp/qm7300_peer_XXXXXX";
        int errFd = mkstemp(pattern);
        errPath_ = pattern;
        int out[2];
        if (errFd < 0 || pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, errFd, 2);
        std::vector<std::string> args = argv;
        std::vector<char *> cargs;
        for (std::string &a : args)
            cargs.push_back(a.data());
        cargs.push_back(nullptr);
        if (posix_spawn(&pid_, cargs[0], &actions, nullptr, cargs.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(errFd);
        out_ = out[0];
        // The line, or the end of its output, or a minute: whichever comes first.
        static const std::regex kListening("listening on (\\S+):([0-9]+)");
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        std::smatch match;
        while (pid_ > 0 && !std::regex_search(stdout_, match, kListening)) {
            int left = (int)std::chrono::duration_cast<std::chrono::milliseconds>(
                           deadline - std::chrono::steady_clock::now()).count();
            struct pollfd p = {out_, POLLIN, 0};
            char chunk[512];
            ssize_t n;
            if (left <= 0 || poll(&p, 1, left) <= 0 || (n = read(out_, chunk, sizeof chunk)) <= 0)
                break;
            stdout_.append(chunk, (size_t)n);
        }
        if (std::regex_search(stdout_, match, kListening))
            port_ = std::stoi(match[2]);
    }
    ~PeerProcess() { Stop(); }
    PeerProcess(const PeerProcess &) = delete;
    PeerProcess &operator=(const PeerProcess &) = delete;

    int port() const { return port_; }  // 0 when it never said it listens
    // What it printed: its standard output so far and its standard error, for failure messages.
    std::string output() const
    {
        return "standard output:\n" + stdout_ + "\nstandard error:\n" +
               (pid_ > 0 ? ReadErrors() : stderr_);
    }
    // Sends SIGTERM (or signal) and waits for the end: the exit status, or 128 + the signal.
    int Stop(int signal = SIGTERM)
    {
        if (pid_ > 0) {
            kill(pid_, signal);
            int status = 0;
            waitpid(pid_, &status, 0);
            exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            pid_ = -1;
        }
        if (out_ >= 0)
            close(out_);
        out_ = -1;
        if (!errPath_.empty()) {
            stderr_ = ReadErrors();
            unlink(errPath_.c_str());
            errPath_.clear();
        }
        return exit_;
    }

private:
    std::string ReadErrors() const
    {
        std::ifstream err(errPath_);
        std::stringstream text;
        text << err.rdbuf();
        return text.str();
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int port_ = 0;
    int exit_ = -1;
    std::string stdout_, stderr_, errPath_;
};

#ifdef QM7300_MODBUS_PEER
// The pymodbus module of modbus_module_peer.py, through the system's interpreter.
inline std::vector<std::string> PymodbusModule(const std::vector<std::string> &options = {})
{
    std::vector<std::string> argv = {"/usr/bin/python3", QM7300_MODBUS_PEER};
    argv.insert(argv.end(), options.begin(), options.end());
    return argv;
}
#endif

class SilentServer {
public:
    SilentServer() : listen_(BindLoopback(true, &port_)), stop_(eventfd(0, EFD_CLOEXEC))
    {
        thread_ = std::thread([this] { Serve(); });
    }
    ~SilentServer() { Close(); }

    int port() const { return port_; }
    // Waits until some client has sent a request: true, or false after a minute.
    bool WaitForRequest()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return heard_.wait_for(lock, std::chrono::seconds(60), [this] { return requests_ > 0; });
    }
    // Closes every connection and stops listening: clients see their connections end.
    void Close()
    {
        if (!thread_.joinable())
            return;
        uint64_t one = 1;
        if (write(stop_, &one, sizeof one) != sizeof one)
            abort();
        thread_.join();
        close(stop_);
    }

private:
    // Allocates nothing, so tests of allocation failures may run beside it.
    void Serve()
    {
        struct pollfd fds[64] = {{stop_, POLLIN, 0}, {listen_, POLLIN, 0}};
        for (int i = 2; i < 64; i++)
            fds[i] = {-1, POLLIN, 0};
        while (poll(fds, 64, -1) >= 0 && fds[0].revents == 0) {
            if (fds[1].revents != 0) {
                int fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC), i = 2;
                while (i < 64 && fds[i].fd >= 0)
                    i++;
                if (i < 64)
                    fds[i].fd = fd;
                else
                    close(fd);
            }
            for (int i = 2; i < 64; i++) {
                char buffer[300];
                if (fds[i].fd < 0 || fds[i].revents == 0)
                    continue;
                if (read(fds[i].fd, buffer, sizeof buffer) <= 0) {
                    close(fds[i].fd);  // the client left
                    fds[i].fd = -1;
                    continue;
                }
                std::lock_guard<std::mutex> lock(mutex_);
                requests_++;
                heard_.notify_all();
            }
        }
        for (int i = 1; i < 64; i++)
            if (fds[i].fd >= 0)
                close(fds[i].fd);
    }

    int port_;
    int listen_, stop_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable heard_;
    int requests_ = 0;  // guarded by mutex_
};

}  // namespace qm7300::testing

#endif
