// rte/core/ports.cpp - RteInp and RteOutp over real I/O ports or the in-memory emulation (see
// rte/ports.h).
#include "rte/ports.h"
#include "rte/core/speaker_internal.h"
#include "rte/ports_testing.h"

#include <errno.h>
#include <sys/io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

enum class Mode { kUnchosen, kHardware, kEmulated, kRefused };

std::mutex g_lock;
Mode g_mode = Mode::kUnchosen;
std::vector<unsigned char> g_ports;        // the emulated port space, 0xFF until written
std::vector<unsigned char> g_permitted;    // hardware: ports ioperm has granted
std::vector<rte::testing::PortAccess> *g_log = nullptr;  // tests: what was done

int Logged(bool write, int port, int value, int result) {
    if (g_log != nullptr) g_log->push_back({write, port, write ? value & 0xFF : result});
    return result;
}

bool Permit(int port) {
    if (g_permitted.empty()) g_permitted.assign(0x10000, 0);
    if (g_permitted[port] != 0) return true;
    if (ioperm(static_cast<unsigned long>(port), 1, 1) != 0) return false;
    g_permitted[port] = 1;
    return true;
}

// Chooses the mode on the first call. Called with g_lock held.
Mode ChosenMode() {
    if (g_mode != Mode::kUnchosen) return g_mode;
    const char *wanted = std::getenv("RTE_PORTS");
    if (wanted != nullptr && std::strcmp(wanted, "emulated") == 0) {
        g_mode = Mode::kEmulated;
    } else if (wanted != nullptr && std::strcmp(wanted, "hardware") == 0) {
        g_mode = Mode::kHardware;
        if (!Permit(0x80)) {
            int error = errno;
            std::fprintf(stderr,
                         "rte: RTE_PORTS=hardware, but this process may not do port I/O "
                         "(ioperm: %s); run it with CAP_SYS_RAWIO (as root) or use "
                         "RTE_PORTS=emulated\n",
                         std::strerror(error));
            g_mode = Mode::kRefused;
        }
    } else {
        // Unset (or unknown): real ports where this process is permitted.
        g_mode = Permit(0x80) ? Mode::kHardware : Mode::kEmulated;
    }
    if (g_mode == Mode::kEmulated) g_ports.assign(0x10000, 0xFF);
    return g_mode;
}

}  // namespace

namespace {

int Inp(int port) {
    switch (ChosenMode()) {
        case Mode::kHardware:
            return Permit(port) ? inb(static_cast<unsigned short>(port)) : -1;
        case Mode::kEmulated:
            if (rte::internal::SpeakerOwnsPort(port)) return rte::internal::SpeakerPortRead(port);
            return g_ports[port];
        default:
            return -1;
    }
}

int Outp(int port, int value) {
    switch (ChosenMode()) {
        case Mode::kHardware:
            if (!Permit(port)) return -1;
            outb(static_cast<unsigned char>(value), static_cast<unsigned short>(port));
            return 0;
        case Mode::kEmulated:
            if (rte::internal::SpeakerOwnsPort(port)) {
                rte::internal::SpeakerPortWrite(port, value & 0xFF);
            } else {
                g_ports[port] = static_cast<unsigned char>(value);
            }
            return 0;
        default:
            return -1;
    }
}

}  // namespace

namespace rte::testing {
void RecordPortAccess(std::vector<PortAccess> *log) {
    std::lock_guard<std::mutex> hold(g_lock);
    g_log = log;
}
}  // namespace rte::testing

extern "C" int RteInp(int port) {
    if (port < 0 || port > 0xFFFF) return -1;
    std::lock_guard<std::mutex> hold(g_lock);
    return Logged(false, port, 0, Inp(port));
}

extern "C" int RteOutp(int port, int value) {
    if (port < 0 || port > 0xFFFF) return -1;
    std::lock_guard<std::mutex> hold(g_lock);
    return Logged(true, port, value, Outp(port, value));
}

extern "C" int RtePortsEmulated(void) {
    std::lock_guard<std::mutex> hold(g_lock);
    return ChosenMode() == Mode::kEmulated ? 1 : 0;
}
