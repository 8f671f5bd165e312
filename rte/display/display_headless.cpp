// rte/display/display_headless.cpp - the headless display: panels exist only in memory, popups
// print "POPUP <title>: <message>" on stderr and are answered with their default button at once.
#include <cstdio>

#include "rte/display/display.h"

namespace rte::internal {
namespace {

bool Start(std::string *) { return true; }
void Popup(const char *title, const char *message) {
    std::fflush(stdout);  // keep the order of script output and popups on a shared terminal
    std::fprintf(stderr, "POPUP %s: %s\n", title, message);
    std::fflush(stderr);
}
void Stop() {}

const DisplayBackend kHeadless = {"headless", Start, nullptr, nullptr, Popup, Stop, nullptr, nullptr};

}  // namespace

const DisplayBackend &HeadlessDisplay() { return kHeadless; }

}  // namespace rte::internal
