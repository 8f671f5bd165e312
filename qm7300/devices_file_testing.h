// qm7300/devices_file_testing.h - for tests: points QM7300_DEVICES (or its older name
// QM7300_SIM) at a freshly written devices file for the life of one object, and back to the
// default devices afterwards.
#ifndef QM7300_DEVICES_FILE_TESTING_H
#define QM7300_DEVICES_FILE_TESTING_H

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace qm7300::testing {

class ScopedDevicesFile {
public:
    explicit ScopedDevicesFile(const std::string &text, const char *variable = "QM7300_DEVICES")
        : variable_(variable)
    {
        static int serial = 0;
        // A new name each time, so the library sees a changed variable and reads it afresh.
        path_ = "qm7300_devices_" + std::to_string(getpid()) + "_" + std::to_string(++serial) +
                ".txt";
        std::ofstream(path_) << text;
        setenv(variable_, path_.c_str(), 1);
    }
    ~ScopedDevicesFile()
    {
        unsetenv(variable_);
        std::remove(path_.c_str());
    }
    const std::string &path() const { return path_; }

private:
    const char *variable_;
    std::string path_;
};

}  // namespace qm7300::testing

#endif
