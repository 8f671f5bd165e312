// rte/main/rte_main.cpp - the start-up code of programs that have a WinMain (library rte_main).
//
// main() takes the program's instance handle (the load address of the executable, found with
// dladdr; 64-bit pointer), builds the command line after the program name from argv (Linux has
// no single command-line string), uses show state 10 (the default: a POSIX process has no
// start-up window information), starts the engine and opens its display (exit code -1 when
// either cannot: a program with a WinMain is a panel program, so it checks for a screen before
// it starts), hands the engine the symbol table generated for the program, calls WinMain, runs
// the exit clean-ups newest first and closes the engine, and returns WinMain's result. It uses
// only the engine's public functions: programs link it beside the shipped library.
#include <dlfcn.h>

#include <string>
#include <vector>

#include "rte/engine.h"
#include "rte/main/startup_cmdline.h"

extern "C" int WinMain(void *hInstance, void *hPrevInstance, char *lpszCmdLine, int nCmdShow);
extern "C" const RteSymbol RteProgramSymbols[];
extern "C" const int RteProgramSymbolCount;

namespace {

constexpr int kDefaultShowState = 10;

void Anchor() {}

void *InstanceHandle() {
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(&Anchor), &info) != 0 && info.dli_fbase != nullptr) return info.dli_fbase;
    return reinterpret_cast<void *>(&Anchor);
}

}  // namespace

int main(int argc, char **argv) {
    void *instance = InstanceHandle();
    std::string full = rte::internal::JoinCommandLine(argc, argv);
    std::string rest = rte::internal::SkipProgramName(full.c_str());
    std::vector<char> cmdLine(rest.begin(), rest.end());
    cmdLine.push_back('\0');
    if (InitRTEEx(instance, nullptr, nullptr) == 0 || RteOpenDisplay() < 0) return -1;
    RteSetSymbolTable(RteProgramSymbols, RteProgramSymbolCount);
    int result = WinMain(instance, nullptr, cmdLine.data(), kDefaultShowState);
    CloseRTE();  // runs the exit clean-ups, newest first
    return result;
}
