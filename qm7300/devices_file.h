// qm7300/devices_file.h - the description of the devices, simulated and on the network, and how
// it is read from the devices file (the language is documented in QM7300.h). Internal to the
// library and to qm7300-sim.
#ifndef QM7300_DEVICES_FILE_H
#define QM7300_DEVICES_FILE_H

#include <map>
#include <string>
#include <vector>

namespace qm7300 {

// How a network device is reached and how its four ports map onto the module's tables. Port 0
// is the first 8 bits (or the low 8 bits of the first register) at inputAddress, port 1 the
// next; ports 16 and 17 likewise at outputAddress. Bit 0 of a port is its lowest address.
struct ModbusSpec {
    std::string host;  // a name, an IPv4 address, or an IPv6 address without its brackets
    int port = 502;
    int unit = 1;
    bool inputRegisters = false;   // discrete inputs unless set
    int inputAddress = 0;
    bool outputRegisters = false;  // coils unless set
    int outputAddress = 0;
    int timeoutMs = 1000;  // for connecting and for each answer
};

struct DeviceSpec {
    std::string name;
    bool isNetwork = false;  // a "modbus" line: the fields of modbus apply, the rest do not
    ModbusSpec modbus;
    // A simulated device:
    bool hasInput[2] = {false, false};  // ports 0 and 1 have a fixed value
    unsigned char input[2] = {0, 0};
    std::string version = "1.0.0";
    bool failOpen = false;
    bool failVersion = false;
    std::map<int, std::string> failRead;   // port -> error text
    std::map<int, std::string> failWrite;  // port -> error text
};

struct DevicesFile {
    std::vector<DeviceSpec> devices;
    bool hasListRaw = false;
    std::string listRaw;
    bool hasListCount = false;
    int listCount = 0;
    bool failList = false;
    // Non-empty when the description could not be read: every call then fails with this text.
    std::string error;
};

// The devices offered without a devices file: "QM7300-0" and "QM7300-1" in loopback.
DevicesFile DefaultDevices();

// Parses a description; origin names it in error texts ("QM7300_DEVICES file rig.txt"). Never
// throws but bad_alloc.
DevicesFile ParseDevicesFile(const std::string &text, const std::string &origin);

// Reads and parses the file at path; an unreadable file gives a description with error set.
DevicesFile LoadDevicesFile(const std::string &path, const std::string &variable);

// The device list text QM_ListDIO reports: "list raw" if given, else the names joined by ','.
std::string DeviceListText(const DevicesFile &file);

// "HOST:PORT" of a network device, an IPv6 address in brackets: how error texts name it.
std::string Endpoint(const std::string &host, int port);

// Splits "HOST[:PORT]" ("[IPV6][:PORT]") into host and port (defaultPort when omitted, else
// lowestPort to 65535); on a bad address sets *why and returns false. Used for "modbus" lines
// and qm7300-sim's --listen.
bool ParseEndpoint(const std::string &text, int defaultPort, int lowestPort, std::string *host,
                   int *port, std::string *why);

// What the environment asks for: QM7300_DEVICES, or its older name QM7300_SIM. Unset or empty,
// the default devices. Both set to different files is an error naming both.
struct DevicesChoice {
    std::string key;       // both variables' values: when it changes, the choice is made again
    std::string variable;  // the variable whose file is used; empty for the default devices
    std::string path;
    std::string error;
};
DevicesChoice ChooseDevicesFile();

// The description the choice names (the default devices, the file, or the choice's error).
DevicesFile LoadChosenDevices(const DevicesChoice &choice);

}  // namespace qm7300

#endif
