// qm7300/sim_server/sim_server.h - qm7300-sim's server: listens on one address and serves each
// client connection on a thread of its own, up to a bound, until it is told to stop.
#ifndef QM7300_SIM_SERVER_SIM_SERVER_H
#define QM7300_SIM_SERVER_SIM_SERVER_H

#include "qm7300/sim_server/sim_units.h"

#include <memory>
#include <string>

namespace qm7300 {

class SimServer {
public:
    // Listens on host:port (port 0: any free one) for the simulated devices of file, serving
    // at most maxClients at once. On failure returns null with *error set to one sentence.
    static std::unique_ptr<SimServer> Listen(const DevicesFile &file, const std::string &host,
                                             int port, int maxClients, std::string *error);
    ~SimServer();  // stops, and waits for every client's thread
    SimServer(const SimServer &) = delete;
    SimServer &operator=(const SimServer &) = delete;

    // The address it listens on, with the port the system chose: "127.0.0.1:40123".
    const std::string &Address() const { return address_; }
    const SimUnits &Units() const { return units_; }

    // Serves until Stop; then closes every connection and returns.
    void Run();
    // Makes Run return; from any thread, and from a signal handler.
    void Stop();

private:
    SimServer(const DevicesFile &file, int maxClients);

    SimUnits units_;
    const int maxClients_;
    int listenFd_ = -1;
    int stopFd_ = -1;  // an eventfd: readable once Stop was called
    std::string address_;
};

}  // namespace qm7300

#endif
