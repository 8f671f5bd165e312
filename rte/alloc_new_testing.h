// rte/alloc_new_testing.h - lets the allocation fault injector (rte/alloc_testing.h) fail the
// global operator new too, for tests of code that allocates through C++ containers (C++).
//
// While a ScopedNewFaults is alive, every operator new of the process counts as an allocation
// of the injector, exactly as RteMalloc does, and throws std::bad_alloc when the injector picks
// it. Keep the scope tight around the call under test, so that the test's own strings and
// containers stay out of the count:
//
//     rte::testing::ForEachAllocationFailure([&](bool injected) {
//         int panel;
//         {
//             rte::testing::ScopedNewFaults faults;
//             panel = NewPanel(0, "A panel title longer than a short string", 0, 0, 10, 10);
//         }
//         EXPECT_EQ(panel < 0, injected);
//         if (panel > 0) DiscardPanel(panel);
//     });
//
// The replacement operator new lives in the test program rte_test (rte/core/alloc_new_fault_test.cpp),
// never in a library; only tests linked into that program may use this header. Scopes nest.
#ifndef RTE_ALLOC_NEW_TESTING_H
#define RTE_ALLOC_NEW_TESTING_H

namespace rte::testing {

class ScopedNewFaults {
public:
    ScopedNewFaults();
    ~ScopedNewFaults();
    ScopedNewFaults(const ScopedNewFaults &) = delete;
    ScopedNewFaults &operator=(const ScopedNewFaults &) = delete;
};

}  // namespace rte::testing

#endif
