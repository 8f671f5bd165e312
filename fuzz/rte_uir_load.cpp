// Fuzz target: LoadPanel on arbitrary panel resource files must return a handle or a negative
// code, never crash or leak.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "rte/engine.h"
#include "rte/ui.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string path = "/tmp/fuzz_rte_uir_load_" + std::to_string(getpid()) + ".uir";
    FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    for (int id = 1; id <= 2; ++id) {
        int panel = LoadPanel(0, path.c_str(), id);
        if (panel > 0) DiscardPanel(panel);
    }
    return 0;
}
