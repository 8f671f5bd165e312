// qm7300/sim_server/main.cpp - qm7300-sim: serves simulated QM7300 devices to any Modbus/TCP
// client (man qm7300-sim).
#include "qm7300/sim_server/sim_server.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

qm7300::SimServer *g_server;  // for the signal handler

void OnSignal(int) { g_server->Stop(); }

int Usage(const char *why)
{
    fprintf(stderr,
            "qm7300-sim: %s\n"
            "usage: qm7300-sim [--listen ADDRESS:PORT] [--clients N] [DEVICES-FILE]\n",
            why);
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string listen = "127.0.0.1:1502", path;
    long clients = 16;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if ((arg == "--listen" || arg == "--clients") && i + 1 == argc)
            return Usage((arg + " needs a value").c_str());
        if (arg == "--listen") {
            listen = argv[++i];
        } else if (arg == "--clients") {
            char *end;
            clients = strtol(argv[++i], &end, 10);
            if (*end != '\0' || clients < 1 || clients > 1000)
                return Usage("--clients needs a number from 1 to 1000");
        } else if (arg == "--help" || arg == "-h") {
            printf("usage: qm7300-sim [--listen ADDRESS:PORT] [--clients N] [DEVICES-FILE]\n");
            return 0;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Usage(("unknown option " + arg).c_str());
        } else if (!path.empty()) {
            return Usage("give one devices file");
        } else {
            path = arg;
        }
    }
    std::string host, why;
    int port;
    if (!qm7300::ParseEndpoint(listen, 1502, 0, &host, &port, &why))
        return Usage(("--listen " + listen + ": " + why).c_str());

    // The file given, else the one the environment names, as the library does, else the two
    // default devices.
    qm7300::DevicesFile file;
    if (!path.empty()) {
        file = qm7300::LoadDevicesFile(path, "devices");
    } else {
        file = qm7300::LoadChosenDevices(qm7300::ChooseDevicesFile());
    }
    if (!file.error.empty()) {
        fprintf(stderr, "qm7300-sim: %s\n", file.error.c_str());
        return 1;
    }
    std::unique_ptr<qm7300::SimServer> server;
    try {
        server = qm7300::SimServer::Listen(file, host, port, (int)clients, &why);
    } catch (const std::bad_alloc &) {
        why = "out of memory.";
    }
    if (server == nullptr) {
        fprintf(stderr, "qm7300-sim: %s\n", why.c_str());
        return 1;
    }
    g_server = server.get();
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    const qm7300::SimUnits &units = server->Units();
    if (units.Count() == 1)
        printf("qm7300-sim: listening on %s, unit 1:", server->Address().c_str());
    else
        printf("qm7300-sim: listening on %s, units 1-%d:", server->Address().c_str(), units.Count());
    for (int unit = 1; unit <= units.Count(); unit++)
        printf(" %s%s", units.Name(unit).c_str(), unit < units.Count() ? "," : "\n");
    fflush(stdout);
    server->Run();
    return 0;
}
