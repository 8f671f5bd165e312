// app/panel_callbacks_testing.h - for tests of the panel in-process: the five callbacks under
// their link names (the header's read, write and close would clash with <unistd.h>, which the
// test framework includes) and the symbol table that binds the panel file's names to them.
#ifndef APP_PANEL_CALLBACKS_TESTING_H
#define APP_PANEL_CALLBACKS_TESTING_H

#include "rte/engine.h"

extern "C" {
int QM7300_Test_close(int, int, int, void *, int, int);
int QM7300_Test_read(int, int, int, void *, int, int);
int QM7300_Test_write(int, int, int, void *, int, int);
int list(int, int, int, void *, int, int);
int swversion(int, int, int, void *, int, int);
}

inline const RteSymbol kPanelSymbols[] = {
    {"close", (void *)QM7300_Test_close, 1}, {"list", (void *)list, 1},
    {"read", (void *)QM7300_Test_read, 1},   {"write", (void *)QM7300_Test_write, 1},
    {"swversion", (void *)swversion, 1},
};
inline const int kPanelSymbolCount = 5;

#endif
