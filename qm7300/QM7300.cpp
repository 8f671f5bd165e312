// qm7300/QM7300.cpp - the QM_ calls: simulated devices, and modules on the network.
//
// One process-wide table state, guarded by one mutex: the current description of the devices
// (from the devices file or the default), each simulated device's output latches, each network
// device's connection object, and the open handles. The description is (re)read on the first
// call and whenever QM7300_DEVICES or QM7300_SIM changes; a re-read starts the latches and
// handles afresh, since the devices they belonged to may be gone.
//
// The table lock is held only to look things up and for the simulated devices' few bytes. A
// call on a network device takes the device out of the table (a shared reference, so a re-read
// cannot pull it away mid-call), lets go of the table lock, and then talks to the module under
// the device's own lock: a silent module delays calls on itself alone.
#include "qm7300/QM7300.h"

#include "qm7300/devices_file.h"
#include "qm7300/modbus_device.h"
#include "qm7300/sim_device.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

namespace {

using qm7300::DeviceSpec;
using qm7300::DevicesFile;
using qm7300::ModbusDevice;
using qm7300::SimLatches;

struct State {
    bool loaded = false;
    std::string key;  // the variables' values at the last load
    DevicesFile file;
    // Per device of file.devices, by index: its latches (simulated), its connection (network).
    std::vector<SimLatches> latches;
    std::vector<std::shared_ptr<ModbusDevice>> network;
    std::map<int, size_t> handles;  // open handle -> device index
    int lastHandle = 0;
    unsigned generation = 0;  // counts loads: an open begun under an older one is void
};

std::mutex g_mutex;
State g_state;  // guarded by g_mutex

// The calling thread's last failure, for QM_GetLastError.
thread_local struct {
    int status;
    char text[QM_ERROR_TEXT_SIZE];
} t_lastError;

// Records a failure: its text goes into errorText (when not NULL) and the thread's last error,
// cut to QM_ERROR_TEXT_SIZE bytes. Returns status.
int Fail(char *errorText, int status, const char *format, ...) __attribute__((format(printf, 3, 4)));
int Fail(char *errorText, int status, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(t_lastError.text, sizeof t_lastError.text, format, args);
    va_end(args);
    t_lastError.status = status;
    if (errorText != nullptr)
        memcpy(errorText, t_lastError.text, strlen(t_lastError.text) + 1);
    return status;
}

// Makes g_state describe what the environment currently names. Caller holds g_mutex.
void EnsureLoaded()
{
    qm7300::DevicesChoice choice = qm7300::ChooseDevicesFile();
    if (g_state.loaded && choice.key == g_state.key)
        return;

    // Everything that allocates is built first, so a failure leaves the old state whole.
    DevicesFile file = qm7300::LoadChosenDevices(choice);
    std::vector<SimLatches> latches(file.devices.size());
    std::vector<std::shared_ptr<ModbusDevice>> network(file.devices.size());
    for (size_t i = 0; i < file.devices.size(); i++)
        if (file.devices[i].isNetwork)
            network[i] = std::make_shared<ModbusDevice>(file.devices[i]);
    if (!file.error.empty())
        fprintf(stderr, "qm7300: %s\n", file.error.c_str());
    g_state.file = std::move(file);
    g_state.latches.swap(latches);
    g_state.network.swap(network);
    g_state.key.swap(choice.key);
    g_state.handles.clear();
    g_state.generation++;
    g_state.loaded = true;
}

// Looks up an open handle; on failure records the error and returns false.
bool FindDevice(int handle, size_t *index, char *errorText)
{
    auto it = g_state.handles.find(handle);
    if (it == g_state.handles.end()) {
        Fail(errorText, QM_ERR_HANDLE, "Handle %d is not an open QM7300 device; open the device first.",
             handle);
        return false;
    }
    *index = it->second;
    return true;
}

bool IsPort(int port) { return port == 0 || port == 1 || port == 16 || port == 17; }

// Whether the device has the port; otherwise the error text says which ports it has.
bool HasPort(const DeviceSpec &device, int port, char *errorText)
{
    if (IsPort(port))
        return true;
    Fail(errorText, QM_ERR_PORT, "Device %s has no port %d; its ports are 0, 1, 16 and 17.",
         device.name.c_str(), port);
    return false;
}

// Runs body under the table lock with the description loaded; turns an exhausted heap into a
// status.
template <typename Body>
int Locked(char *errorText, Body body)
{
    try {
        std::lock_guard<std::mutex> lock(g_mutex);
        EnsureLoaded();
        if (!g_state.file.error.empty())
            return Fail(errorText, QM_ERR_CONFIG, "%s", g_state.file.error.c_str());
        return body();
    } catch (const std::bad_alloc &) {
        return Fail(errorText, QM_ERR_MEMORY, "The QM7300 library ran out of memory.");
    }
}

// Gives a new handle to device index. Caller holds g_mutex; may throw bad_alloc.
int NewHandle(size_t index)
{
    // Next free handle above the last one given, wrapping before INT_MAX; never 0.
    int h = g_state.lastHandle;
    do {
        h = (h >= INT_MAX - 1) ? 1 : h + 1;
    } while (g_state.handles.count(h) != 0);
    g_state.handles[h] = index;
    g_state.lastHandle = h;
    return h;
}

}  // namespace

extern "C" int QM_ListDIO(int *count, char *listText, char *errorText)
{
    if (count == nullptr || listText == nullptr)
        return Fail(errorText, QM_ERR_ARGUMENT, "QM_ListDIO needs a count and a list buffer.");
    // The second buffer is QM_LIST_TEXT_SIZE bytes, like the error texts of the other calls.
    return Locked(errorText, [&] {
        const DevicesFile &file = g_state.file;
        if (file.failList)
            return Fail(errorText, QM_ERR_DEVICE,
                        "Listing the QM7300 devices failed: the device bus did not answer.");
        std::string text = qm7300::DeviceListText(file);
        *count = file.hasListCount ? file.listCount : (int)file.devices.size();
        snprintf(listText, QM_LIST_TEXT_SIZE, "%s", text.c_str());
        if (errorText != nullptr)
            errorText[0] = '\0';
        return QM_OK;
    });
}

extern "C" int QM_OpenDIO(const char *name, int *handle)
{
    if (name == nullptr || handle == nullptr)
        return Fail(nullptr, QM_ERR_ARGUMENT, "QM_OpenDIO needs a device name and a place for the handle.");
    std::shared_ptr<ModbusDevice> network;
    size_t index = 0;
    unsigned generation = 0;
    int status = Locked(nullptr, [&] {
        const std::vector<DeviceSpec> &devices = g_state.file.devices;
        while (index < devices.size() && devices[index].name != name)
            index++;
        if (index == devices.size())
            return Fail(nullptr, QM_ERR_NO_DEVICE, "There is no QM7300 device named \"%s\".", name);
        if (devices[index].failOpen)
            return Fail(nullptr, QM_ERR_DEVICE, "Opening device %s failed: the device did not answer.",
                        name);
        network = g_state.network[index];
        generation = g_state.generation;
        if (network == nullptr)
            *handle = NewHandle(index);
        return QM_OK;
    });
    if (status != QM_OK || network == nullptr)
        return status;

    // Connecting may take up to the device's time-out: without the table lock.
    char why[QM_ERROR_TEXT_SIZE];
    status = network->Open(why);
    if (status != QM_OK)
        return Fail(nullptr, status, "%s", why);
    status = Locked(nullptr, [&] {
        if (g_state.generation != generation)
            return Fail(nullptr, QM_ERR_NO_DEVICE,
                        "The devices file changed while device %s was being opened.", name);
        *handle = NewHandle(index);
        return QM_OK;
    });
    if (status != QM_OK)
        network->Close();
    return status;
}

extern "C" int QM_CloseDIO(int handle)
{
    if (handle == 0)
        return QM_OK;
    std::shared_ptr<ModbusDevice> network;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        // No load here: closing must work whatever the description says, and erase cannot throw.
        auto it = g_state.handles.find(handle);
        if (it == g_state.handles.end())
            return Fail(nullptr, QM_ERR_HANDLE, "Handle %d is not an open QM7300 device.", handle);
        network = g_state.network[it->second];
        g_state.handles.erase(it);
    }
    if (network != nullptr)
        network->Close();
    return QM_OK;
}

extern "C" int QM_ReadPort(int handle, int port, unsigned char *value, char *errorText)
{
    if (value == nullptr)
        return Fail(errorText, QM_ERR_ARGUMENT,
                    "QM_ReadPort needs a place to store the value of port %d.", port);
    std::shared_ptr<ModbusDevice> network;
    int status = Locked(errorText, [&] {
        size_t index;
        if (!FindDevice(handle, &index, errorText))
            return QM_ERR_HANDLE;
        const DeviceSpec &device = g_state.file.devices[index];
        if (!HasPort(device, port, errorText))
            return QM_ERR_PORT;
        if ((network = g_state.network[index]) != nullptr)
            return QM_OK;
        if (const std::string *fault = qm7300::SimRead(device, g_state.latches[index], port, value))
            return Fail(errorText, QM_ERR_DEVICE, "%s", fault->c_str());
        return QM_OK;
    });
    if (status != QM_OK || network == nullptr)
        return status;
    char why[QM_ERROR_TEXT_SIZE];
    status = network->Read(port, value, why);
    return status == QM_OK ? QM_OK : Fail(errorText, status, "%s", why);
}

extern "C" int QM_WritePort(int handle, int port, unsigned char value, char *errorText)
{
    std::shared_ptr<ModbusDevice> network;
    int status = Locked(errorText, [&] {
        size_t index;
        if (!FindDevice(handle, &index, errorText))
            return QM_ERR_HANDLE;
        const DeviceSpec &device = g_state.file.devices[index];
        if (port == 0 || port == 1)
            return Fail(errorText, QM_ERR_PORT, "Port %d of device %s is an input and cannot be written.",
                        port, device.name.c_str());
        if (!HasPort(device, port, errorText))
            return QM_ERR_PORT;
        if ((network = g_state.network[index]) != nullptr)
            return QM_OK;
        if (const std::string *fault = qm7300::SimWrite(device, g_state.latches[index], port, value))
            return Fail(errorText, QM_ERR_DEVICE, "%s", fault->c_str());
        return QM_OK;
    });
    if (status != QM_OK || network == nullptr)
        return status;
    char why[QM_ERROR_TEXT_SIZE];
    status = network->Write(port, value, why);
    return status == QM_OK ? QM_OK : Fail(errorText, status, "%s", why);
}

extern "C" int QM_GetVer(int handle, char *version, char *errorText)
{
    if (version == nullptr)
        return Fail(errorText, QM_ERR_ARGUMENT, "QM_GetVer needs a buffer for the version text.");
    std::shared_ptr<ModbusDevice> network;
    int status = Locked(errorText, [&] {
        size_t index;
        if (!FindDevice(handle, &index, errorText))
            return QM_ERR_HANDLE;
        const DeviceSpec &device = g_state.file.devices[index];
        if ((network = g_state.network[index]) != nullptr)
            return QM_OK;
        if (device.failVersion)
            return Fail(errorText, QM_ERR_DEVICE,
                        "Reading the version of device %s failed: the device did not answer.",
                        device.name.c_str());
        snprintf(version, QM_VERSION_SIZE, "%s", device.version.c_str());
        return QM_OK;
    });
    if (status != QM_OK || network == nullptr)
        return status;
    char why[QM_ERROR_TEXT_SIZE];
    status = network->Version(version, why);
    return status == QM_OK ? QM_OK : Fail(errorText, status, "%s", why);
}

extern "C" int QM_GetLastError(char *errorText)
{
    if (errorText != nullptr)
        memcpy(errorText, t_lastError.text, strlen(t_lastError.text) + 1);
    return t_lastError.status;
}
