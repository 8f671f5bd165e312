// qm7300/sim_device.cpp - the behaviour of a simulated device's ports (see sim_device.h).
#include "qm7300/sim_device.h"

namespace qm7300 {

const std::string *SimRead(const DeviceSpec &device, const SimLatches &latches, int port,
                           unsigned char *value)
{
    auto fault = device.failRead.find(port);
    if (fault != device.failRead.end())
        return &fault->second;
    if (port >= 16)
        *value = latches.out[port - 16];
    else
        *value = device.hasInput[port] ? device.input[port] : latches.out[port];
    return nullptr;
}

const std::string *SimWrite(const DeviceSpec &device, SimLatches &latches, int port,
                            unsigned char value)
{
    auto fault = device.failWrite.find(port);
    if (fault != device.failWrite.end())
        return &fault->second;
    latches.out[port - 16] = value;
    return nullptr;
}

}  // namespace qm7300
