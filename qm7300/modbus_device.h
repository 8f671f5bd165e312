// qm7300/modbus_device.h - one QM7300 module on the network, reached over Modbus/TCP with
// libmodbus: its connection, shared by every handle open on it, and the port and version calls.
//
// Each device has its own lock, held for the whole of a call on it (a time-out included) and
// never together with the library's table lock, so a silent module delays only calls on itself.
// Failures write one sentence naming the device, its host and the cause into why
// (QM_ERROR_TEXT_SIZE bytes) and return QM_ERR_DEVICE.
#ifndef QM7300_MODBUS_DEVICE_H
#define QM7300_MODBUS_DEVICE_H

#include "qm7300/devices_file.h"

#include <cstdint>
#include <mutex>
#include <string>

typedef struct _modbus modbus_t;

namespace qm7300 {

class ModbusDevice {
public:
    explicit ModbusDevice(const DeviceSpec &entry);
    ~ModbusDevice();
    ModbusDevice(const ModbusDevice &) = delete;
    ModbusDevice &operator=(const ModbusDevice &) = delete;

    // A handle is opened on the device: connects unless another handle already has.
    int Open(char *why);
    // A handle is closed: the last one disconnects.
    void Close();

    // Port 0 or 1 from the inputs, 16 or 17 read back from the outputs.
    int Read(int port, unsigned char *value, char *why);
    // Port 16 or 17.
    int Write(int port, unsigned char value, char *why);
    // The module's revision (identification object 2), cut to 9 characters, into version
    // (10 bytes).
    int Version(char *version, char *why);

private:
    // Runs request (0, or -1 with errno set as libmodbus sets it) under the device's lock,
    // connecting first when needed and once more when it finds the connection dropped. On
    // failure writes "WHAT NAME at HOST failed: CAUSE." into why.
    template <typename Request>
    int Call(const char *what, char *why, bool identification, Request request);
    int Connect();     // 0, or -1 with errno set
    void Disconnect(); // keeps errno
    int AskRevision(std::string *revision);

    const std::string name_;
    const ModbusSpec spec_;
    const std::string endpoint_;  // "host:port", as texts name it

    std::mutex mutex_;          // one call at a time on this device; guards what follows
    modbus_t *context_ = nullptr;  // connected while not null
    int users_ = 0;             // handles open on the device
    uint16_t transaction_ = 0;  // of our own identification requests
};

}  // namespace qm7300

#endif
