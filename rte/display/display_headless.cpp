// rte/display/display_headless.cpp - the headless display: panels exist only in memory, popups print
// "POPUP <title>: <message>" on stderr and are answered with their default button at once.
#include <atomic>
#include <cstdio>

#include "rte/display/display.h"
#include "rte/ui.h"
#include "rte/model/ui_model.h"

namespace rte::internal {
namespace {

bool Start(std::string *) { return true; }
void Shown(int) {}
void Hidden(int) {}
void Popup(const char *title, const char *message) {
    std::fflush(stdout);  // keep the order of script output and popups on a shared terminal
    std::fprintf(stderr, "POPUP %s: %s\n", title, message);
    std::fflush(stderr);
}
void Stop() {}

const DisplayBackend kHeadless = {"headless", Start, Shown, Hidden, Popup, Stop, nullptr, nullptr};
std::atomic<const DisplayBackend *> g_display{&kHeadless};

}  // namespace

const DisplayBackend &HeadlessDisplay() { return kHeadless; }
const DisplayBackend &Display() { return *g_display.load(); }
void UseDisplay(const DisplayBackend &backend) { g_display.store(&backend); }

}  // namespace rte::internal

extern "C" int MessagePopup(const char *title, const char *message) {
    if (title == nullptr || message == nullptr) return rte::internal::Fail("MessagePopup", UIE_NULL_POINTER);
    rte::internal::Display().messagePopup(title, message);
    return 0;
}
