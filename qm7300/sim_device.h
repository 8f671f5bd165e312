// qm7300/sim_device.h - what a simulated device does: its output latches, the loopback of its
// inputs, and the faults its description gives it. Used by the library's calls and by
// qm7300-sim; the caller serialises calls on one device's latches.
#ifndef QM7300_SIM_DEVICE_H
#define QM7300_SIM_DEVICE_H

#include "qm7300/devices_file.h"

namespace qm7300 {

// The last values written to ports 16 and 17; they outlive handles, as a device's outputs do.
struct SimLatches {
    unsigned char out[2] = {0, 0};
};

// Reads port 0, 1, 16 or 17 into *value: a fixed input, else the loopback of 0 <- 16 and
// 1 <- 17; 16 and 17 read their latches. Returns the fault's message for a port described as
// failing (and leaves *value), else nullptr.
const std::string *SimRead(const DeviceSpec &device, const SimLatches &latches, int port,
                           unsigned char *value);

// Writes output port 16 or 17. Returns the fault's message for a port described as failing
// (and writes nothing), else nullptr.
const std::string *SimWrite(const DeviceSpec &device, SimLatches &latches, int port,
                            unsigned char value);

}  // namespace qm7300

#endif
