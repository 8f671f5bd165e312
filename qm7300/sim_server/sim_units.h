// qm7300/sim_server/sim_units.h - the simulated devices qm7300-sim serves, as Modbus units, and
// the serving of one client connection.
//
// Units 1, 2, ... are the simulated devices of the description in file order (devices on the
// network are left out). Discrete inputs 0-15 are ports 0 and 1, coils 0-15 ports 16 and 17,
// bit 0 of a port at its lowest address; the device's loopback, fixed inputs and faults apply
// (a failing port answers exception 4, a device that fails to open exception 11, for every
// request). Read Device Identification gives the device's version as its revision; registers
// are not served (exception 1). Requests go to libmodbus's answering code against a table
// refreshed from the device; what this file does itself is the framing, the checks of a
// request's shape and the identification.
#ifndef QM7300_SIM_SERVER_SIM_UNITS_H
#define QM7300_SIM_SERVER_SIM_UNITS_H

#include "qm7300/devices_file.h"
#include "qm7300/sim_device.h"

#include <mutex>
#include <string>
#include <vector>

typedef struct _modbus modbus_t;
typedef struct _modbus_mapping_t modbus_mapping_t;

namespace qm7300 {

class SimUnits {
public:
    // The simulated devices of file; throws bad_alloc when a table cannot be made.
    explicit SimUnits(const DevicesFile &file);
    ~SimUnits();
    SimUnits(const SimUnits &) = delete;
    SimUnits &operator=(const SimUnits &) = delete;

    int Count() const { return (int)units_.size(); }
    const std::string &Name(int unit) const { return units_[unit - 1].entry.name; }

    // Answers one request frame on context's socket. False when the answer could not be sent,
    // or the frame is no request (its function code is one of an exception answer).
    bool Answer(modbus_t *context, const unsigned char *frame, int length);

private:
    struct Unit {
        DeviceSpec entry;
        SimLatches latches;
        modbus_mapping_t *table = nullptr;  // 16 coils and 16 discrete inputs
    };
    // Refreshes the unit's table from the device, lets libmodbus answer, and takes back what a
    // write changed. Caller holds mutex_.
    bool Reply(Unit &unit, modbus_t *context, const unsigned char *frame, int length);

    std::mutex mutex_;  // guards the units' latches and tables
    std::vector<Unit> units_;
};

// Serves one client connection on fd until the client closes it, sends what is not Modbus/TCP
// (or a frame it does not finish within restMs), or stopFd becomes readable. The caller closes fd.
void ServeConnection(int fd, SimUnits &units, int stopFd, int restMs);

}  // namespace qm7300

#endif
