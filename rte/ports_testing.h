// rte/ports_testing.h - watching port I/O from tests (C++).
//
// While a recorder is set, every RteInp and RteOutp call appends what it did, in order, whatever
// the ports' mode. Set it on one thread at a time.
#ifndef RTE_PORTS_TESTING_H
#define RTE_PORTS_TESTING_H

#include <vector>

namespace rte::testing {

struct PortAccess {
    bool write;   // RteOutp (true) or RteInp (false)
    int port;
    int value;    // the byte written, or the result read
    bool operator==(const PortAccess &) const = default;
};

// Starts recording into *log (null stops).
void RecordPortAccess(std::vector<PortAccess> *log);

}  // namespace rte::testing

#endif
