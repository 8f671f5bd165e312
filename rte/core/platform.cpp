// rte/core/platform.cpp - the platform code (see rte/system.h).
#include "rte/system.h"

extern "C" int GetCurrentPlatform(void) { return RTE_PLATFORM_LINUX; }
