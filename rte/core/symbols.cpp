// rte/core/symbols.cpp - the program's symbol table: handed to the engine at start-up, read when
// LoadPanel binds the callback names of a panel file.
#include <cstring>
#include <mutex>

#include "rte/core/errors.h"
#include "rte/engine.h"
#include "rte/ui.h"

namespace {

std::mutex g_lock;                        // guards the table
const RteSymbol *g_symbols = nullptr;
int g_symbolCount = 0;

}  // namespace

extern "C" int RteSetSymbolTable(const RteSymbol *symbols, int count) {
    if (count < 0) return rte::internal::Fail("RteSetSymbolTable", UIE_BAD_VALUE);
    if (symbols == nullptr && count > 0) return rte::internal::Fail("RteSetSymbolTable", UIE_NULL_POINTER);
    std::lock_guard<std::mutex> hold(g_lock);
    g_symbols = symbols;
    g_symbolCount = count;
    return 0;
}

extern "C" void *RteFindSymbol(const char *name, int *isFunction) {
    if (name == nullptr) return nullptr;
    std::lock_guard<std::mutex> hold(g_lock);
    for (int i = 0; i < g_symbolCount; ++i) {
        const RteSymbol &s = g_symbols[i];
        if (s.name != nullptr && s.address != nullptr && std::strcmp(s.name, name) == 0) {
            if (isFunction != nullptr) *isFunction = s.isFunction;
            return s.address;
        }
    }
    return nullptr;
}
