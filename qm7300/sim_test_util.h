// qm7300/sim_test_util.h - for tests: points QM7300_SIM at a freshly written description file
// for the life of one object, and back to the default devices afterwards.
#ifndef QM7300_SIM_TEST_UTIL_H
#define QM7300_SIM_TEST_UTIL_H

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace qm7300::testing {

class ScopedSimFile {
public:
    explicit ScopedSimFile(const std::string &text)
    {
        static int serial = 0;
        // A new name each time, so the library sees a changed variable and reads it afresh.
        path_ = "qm7300_sim_" + std::to_string(getpid()) + "_" + std::to_string(++serial) + ".txt";
        std::ofstream(path_) << text;
        setenv("QM7300_SIM", path_.c_str(), 1);
    }
    ~ScopedSimFile()
    {
        unsetenv("QM7300_SIM");
        std::remove(path_.c_str());
    }
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

}  // namespace qm7300::testing

#endif
