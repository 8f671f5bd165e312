// qm7300/sim_config.h - the description of the simulated devices and how it is read from a
// QM7300_SIM file (the directive language is documented in QM7300.h). Internal to the library.
#ifndef QM7300_SIM_CONFIG_H
#define QM7300_SIM_CONFIG_H

#include <map>
#include <string>
#include <vector>

namespace qm7300 {

struct SimDevice {
    std::string name;
    bool hasInput[2] = {false, false};  // ports 0 and 1 have a fixed value
    unsigned char input[2] = {0, 0};
    std::string version = "1.0.0";
    bool failOpen = false;
    bool failVersion = false;
    std::map<int, std::string> failRead;   // port -> error text
    std::map<int, std::string> failWrite;  // port -> error text
};

struct SimConfig {
    std::vector<SimDevice> devices;
    bool hasListRaw = false;
    std::string listRaw;
    bool hasListCount = false;
    int listCount = 0;
    bool failList = false;
    // Non-empty when the description could not be read: every call then fails with this text.
    std::string error;
};

// The devices offered without a QM7300_SIM file: "QM7300-0" and "QM7300-1" in loopback.
SimConfig DefaultSimConfig();

// Parses a description; fileName only serves the error texts. Never throws but bad_alloc.
SimConfig ParseSimConfig(const std::string &text, const std::string &fileName);

// Reads and parses the file at path; an unreadable file gives a config with error set.
SimConfig LoadSimConfig(const std::string &path);

// The device list text QM_ListDIO reports: "list raw" if given, else the names joined by ','.
std::string SimListText(const SimConfig &config);

}  // namespace qm7300

#endif
