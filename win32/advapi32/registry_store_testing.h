// win32/advapi32/registry_store_testing.h - knobs of the registry store for tests (C++).
#ifndef WIN32_ADVAPI32_REGISTRY_STORE_TESTING_H
#define WIN32_ADVAPI32_REGISTRY_STORE_TESTING_H

namespace win32::registry::testing {

// How long a call waits for another writer before failing (milliseconds; default 5000).
void SetBusyLimit(int milliseconds);

// Closes the calling thread's connection (the next call opens the store again).
void CloseThreadConnection();

}  // namespace win32::registry::testing

#endif
