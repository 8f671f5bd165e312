// qm7300/QM7300.cpp - the six QM_ calls on simulated devices.
//
// One process-wide state, guarded by one mutex: the current description of the devices (from
// QM7300_SIM or the default), each device's two output latches, and the open handles. The
// description is (re)read on the first call and whenever QM7300_SIM's value changes; a re-read
// starts the latches and handles afresh, since the devices they belonged to may be gone.
#include "qm7300/QM7300.h"

#include "qm7300/sim_config.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>

namespace {

using qm7300::SimConfig;
using qm7300::SimDevice;

struct SimState {
    bool loaded = false;
    bool hadVariable = false;   // QM7300_SIM was set (non-empty) at the last load
    std::string variable;       // its value then
    SimConfig config;
    std::vector<unsigned char> latch16, latch17;  // per device, persist across open/close
    std::map<int, size_t> handles;                // open handle -> device index
    int lastHandle = 0;
};

std::mutex g_mutex;
SimState g_state;  // guarded by g_mutex

// Writes a formatted, null-terminated text into a caller's buffer of size bytes, cut to fit.
void PutText(char *buffer, size_t size, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
void PutText(char *buffer, size_t size, const char *format, ...)
{
    if (buffer == nullptr)
        return;
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, size, format, args);
    va_end(args);
}

void PutError(char *errorText, const char *format, ...) __attribute__((format(printf, 2, 3)));
void PutError(char *errorText, const char *format, ...)
{
    if (errorText == nullptr)
        return;
    va_list args;
    va_start(args, format);
    vsnprintf(errorText, QM_ERROR_TEXT_SIZE, format, args);
    va_end(args);
}

// Makes g_state describe what QM7300_SIM currently says. Caller holds g_mutex.
void EnsureLoaded()
{
    const char *env = getenv("QM7300_SIM");
    bool hasVariable = env != nullptr && env[0] != '\0';
    if (g_state.loaded && hasVariable == g_state.hadVariable &&
        (!hasVariable || g_state.variable == env))
        return;

    // Everything that allocates is built first, so a failure leaves the old state whole.
    SimConfig config = hasVariable ? qm7300::LoadSimConfig(env) : qm7300::DefaultSimConfig();
    std::vector<unsigned char> latch16(config.devices.size(), 0), latch17(latch16);
    std::string variable = hasVariable ? env : "";
    if (!config.error.empty())
        fprintf(stderr, "qm7300: %s\n", config.error.c_str());
    g_state.config = std::move(config);
    g_state.latch16.swap(latch16);
    g_state.latch17.swap(latch17);
    g_state.variable.swap(variable);
    g_state.handles.clear();
    g_state.hadVariable = hasVariable;
    g_state.loaded = true;
}

// Looks up an open handle; on failure writes the error text and returns false.
bool FindDevice(int handle, size_t *index, char *errorText)
{
    auto it = g_state.handles.find(handle);
    if (it == g_state.handles.end()) {
        PutError(errorText, "Handle %d is not an open QM7300 device; open the device first.",
                 handle);
        return false;
    }
    *index = it->second;
    return true;
}

bool IsPort(int port) { return port == 0 || port == 1 || port == 16 || port == 17; }

// Whether the device has the port; otherwise the error text says which ports it has.
bool HasPort(const SimDevice &device, int port, char *errorText)
{
    if (IsPort(port))
        return true;
    PutError(errorText, "Device %s has no port %d; its ports are 0, 1, 16 and 17.", device.name.c_str(), port);
    return false;
}

// Runs body under the lock with the description loaded; turns an exhausted heap into a status.
template <typename Body>
int Locked(char *errorText, Body body)
{
    try {
        std::lock_guard<std::mutex> lock(g_mutex);
        EnsureLoaded();
        if (!g_state.config.error.empty()) {
            PutError(errorText, "%s", g_state.config.error.c_str());
            return QM_ERR_CONFIG;
        }
        return body();
    } catch (const std::bad_alloc &) {
        PutError(errorText, "The QM7300 library ran out of memory.");
        return QM_ERR_MEMORY;
    }
}

}  // namespace

extern "C" int QM_ListDIO(int *count, char *listText, char *errorText)
{
    if (count == nullptr || listText == nullptr) {
        PutText(errorText, QM_LIST_TEXT_SIZE, "QM_ListDIO needs a count and a list buffer.");
        return QM_ERR_ARGUMENT;
    }
    // The second buffer is QM_LIST_TEXT_SIZE bytes, like the error texts of the other calls.
    return Locked(errorText, [&] {
        const SimConfig &config = g_state.config;
        if (config.failList) {
            PutError(errorText, "Listing the QM7300 devices failed: the device bus did not answer.");
            return QM_ERR_DEVICE;
        }
        std::string text = qm7300::SimListText(config);
        *count = config.hasListCount ? config.listCount : (int)config.devices.size();
        PutText(listText, QM_LIST_TEXT_SIZE, "%s", text.c_str());
        PutText(errorText, QM_LIST_TEXT_SIZE, "%s", "");
        return QM_OK;
    });
}

extern "C" int QM_OpenDIO(const char *name, int *handle)
{
    if (name == nullptr || handle == nullptr)
        return QM_ERR_ARGUMENT;
    return Locked(nullptr, [&] {
        const std::vector<SimDevice> &devices = g_state.config.devices;
        size_t index = 0;
        while (index < devices.size() && devices[index].name != name)
            index++;
        if (index == devices.size())
            return QM_ERR_NO_DEVICE;
        if (devices[index].failOpen)
            return QM_ERR_DEVICE;
        // Next free handle above the last one given, wrapping before INT_MAX; never 0.
        int h = g_state.lastHandle;
        do {
            h = (h >= INT_MAX - 1) ? 1 : h + 1;
        } while (g_state.handles.count(h) != 0);
        g_state.handles[h] = index;
        g_state.lastHandle = h;
        *handle = h;
        return QM_OK;
    });
}

extern "C" int QM_CloseDIO(int handle)
{
    if (handle == 0)
        return QM_OK;
    std::lock_guard<std::mutex> lock(g_mutex);
    // No load here: closing must work whatever the description says, and erase cannot throw.
    return g_state.handles.erase(handle) != 0 ? QM_OK : QM_ERR_HANDLE;
}

extern "C" int QM_ReadPort(int handle, int port, unsigned char *value, char *errorText)
{
    if (value == nullptr) {
        PutError(errorText, "QM_ReadPort needs a place to store the value of port %d.", port);
        return QM_ERR_ARGUMENT;
    }
    return Locked(errorText, [&] {
        size_t index;
        if (!FindDevice(handle, &index, errorText))
            return QM_ERR_HANDLE;
        const SimDevice &device = g_state.config.devices[index];
        if (!HasPort(device, port, errorText))
            return QM_ERR_PORT;
        auto fault = device.failRead.find(port);
        if (fault != device.failRead.end()) {
            PutError(errorText, "%s", fault->second.c_str());
            return QM_ERR_DEVICE;
        }
        switch (port) {
        case 0:
        case 1:
            *value = device.hasInput[port] ? device.input[port]
                     : port == 0          ? g_state.latch16[index]
                                          : g_state.latch17[index];
            break;
        case 16: *value = g_state.latch16[index]; break;
        default: *value = g_state.latch17[index]; break;
        }
        return QM_OK;
    });
}

extern "C" int QM_WritePort(int handle, int port, unsigned char value, char *errorText)
{
    return Locked(errorText, [&] {
        size_t index;
        if (!FindDevice(handle, &index, errorText))
            return QM_ERR_HANDLE;
        const SimDevice &device = g_state.config.devices[index];
        if (port == 0 || port == 1) {
            PutError(errorText, "Port %d of device %s is an input and cannot be written.", port,
                     device.name.c_str());
            return QM_ERR_PORT;
        }
        if (!HasPort(device, port, errorText))
            return QM_ERR_PORT;
        auto fault = device.failWrite.find(port);
        if (fault != device.failWrite.end()) {
            PutError(errorText, "%s", fault->second.c_str());
            return QM_ERR_DEVICE;
        }
        (port == 16 ? g_state.latch16 : g_state.latch17)[index] = value;
        return QM_OK;
    });
}

extern "C" int QM_GetVer(int handle, char *version, char *errorText)
{
    if (version == nullptr) {
        PutError(errorText, "QM_GetVer needs a buffer for the version text.");
        return QM_ERR_ARGUMENT;
    }
    return Locked(errorText, [&] {
        size_t index;
        if (!FindDevice(handle, &index, errorText))
            return QM_ERR_HANDLE;
        const SimDevice &device = g_state.config.devices[index];
        if (device.failVersion) {
            PutError(errorText, "Reading the version of device %s failed: the device did not answer.",
                     device.name.c_str());
            return QM_ERR_DEVICE;
        }
        PutText(version, QM_VERSION_SIZE, "%s", device.version.c_str());
        return QM_OK;
    });
}
