// Tests of the QM7300 calls on modules on the network: against a pymodbus module
// (modbus_module_peer.py, whose tables the expectations below follow), a server that accepts and
// never answers, a port that refuses connections and one that never completes them.
#include "qm7300/QM7300.h"

#include "qm7300/devices_file_testing.h"
#include "qm7300/modbus_peers_testing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using qm7300::testing::PeerProcess;
using qm7300::testing::PymodbusModule;
using qm7300::testing::ScopedDevicesFile;

// A device at 127.0.0.1:port with the lines that refine it.
std::string Device(const std::string &name, int port, const std::string &lines = "")
{
    return "device " + name + "\n  modbus 127.0.0.1:" + std::to_string(port) + "\n" + lines;
}

std::string At(int port) { return " at 127.0.0.1:" + std::to_string(port) + " failed: "; }

// Opens the device for one call and closes it again, as the panel does: the value read, or -1
// with the error text in *error.
int ReadOnce(const char *device, int port, std::string *error = nullptr)
{
    int h = 0;
    unsigned char value = 0;
    char err[QM_ERROR_TEXT_SIZE] = "";
    int status = QM_OpenDIO(device, &h);
    if (status == QM_OK)
        status = QM_ReadPort(h, port, &value, err);
    else
        QM_GetLastError(err);
    QM_CloseDIO(h);
    if (error != nullptr)
        *error = err;
    return status == QM_OK ? value : -1;
}

bool WriteOnce(const char *device, int port, int value)
{
    int h = 0;
    char err[QM_ERROR_TEXT_SIZE];
    bool ok = QM_OpenDIO(device, &h) == QM_OK && QM_WritePort(h, port, (unsigned char)value, err) == QM_OK;
    QM_CloseDIO(h);
    return ok;
}

TEST(ModbusModule, PortsMapOntoTheModulesTablesLowestAddressFirst)
{
    PeerProcess module(PymodbusModule());
    int p = module.port();
    ASSERT_GT(p, 0) << module.output();
    ScopedDevicesFile rack(Device("plain", p) +
                           Device("offset", p, "inputs discrete 16\noutputs coils 8\n") +
                           Device("words", p, "inputs registers 1\noutputs registers 2\n") +
                           Device("second", p, "unit 2\n") +
                           Device("far", p, "inputs discrete 100\n") +
                           Device("nobody", p, "unit 3\ntimeout 300\n") + "device local\n");
    int count = 0;
    char list[QM_LIST_TEXT_SIZE];
    ASSERT_EQ(QM_ListDIO(&count, list, nullptr), QM_OK);
    EXPECT_STREQ(list, "plain,offset,words,second,far,nobody,local");

    struct Read {
        const char *device;
        int port, value;
    } inputs[] = {
        {"plain", 0, 0x2D},  {"plain", 1, 0xB4},  {"offset", 0, 0x81}, {"offset", 1, 0x7E},
        {"words", 0, 0xAB},  {"words", 1, 0xFF},  {"second", 0, 0x0F}, {"second", 1, 0xF0},
    };
    for (const Read &r : inputs)
        EXPECT_EQ(ReadOnce(r.device, r.port), r.value) << r.device << " port " << r.port;

    // Writes read back; "offset"'s port 16 is coils 8-15, which are "plain"'s port 17.
    ASSERT_TRUE(WriteOnce("plain", 16, 170));
    ASSERT_TRUE(WriteOnce("plain", 17, 85));
    EXPECT_EQ(ReadOnce("plain", 16), 170);
    EXPECT_EQ(ReadOnce("plain", 17), 85);
    ASSERT_TRUE(WriteOnce("offset", 16, 0x3C));
    EXPECT_EQ(ReadOnce("plain", 17), 0x3C);
    ASSERT_TRUE(WriteOnce("words", 16, 200));
    ASSERT_TRUE(WriteOnce("words", 17, 7));
    EXPECT_EQ(ReadOnce("words", 16), 200);
    EXPECT_EQ(ReadOnce("words", 17), 7);

    // The revision, cut to the version buffer.
    int h = 0;
    char version[QM_VERSION_SIZE], err[QM_ERROR_TEXT_SIZE];
    ASSERT_EQ(QM_OpenDIO("plain", &h), QM_OK);
    ASSERT_EQ(QM_GetVer(h, version, err), QM_OK) << err;
    EXPECT_STREQ(version, "4.2.17-be");
    QM_CloseDIO(h);

    // An exception answer, and a unit the module drops, each in one sentence.
    std::string error;
    EXPECT_EQ(ReadOnce("far", 0, &error), -1);
    EXPECT_EQ(error, "Reading port 0 of device far" + At(p) + "Modbus exception 2 (illegal data address).");
    EXPECT_EQ(ReadOnce("nobody", 1, &error), -1);
    EXPECT_EQ(error, "Reading port 1 of device nobody" + At(p) + "no answer within 300 ms.");
    EXPECT_EQ(ReadOnce("plain", 0), 0x2D) << "the other devices are served on";
}

// A module restarted between two calls is reached again on the same handle; one that is down
// refuses; one without device identification says so.
TEST(ModbusModule, ARestartedModuleIsReachedAgainAndAMissingIdentificationSaysSo)
{
    auto module = std::make_unique<PeerProcess>(PymodbusModule({"--no-identification"}));
    int p = module->port();
    ASSERT_GT(p, 0) << module->output();
    ScopedDevicesFile rack(Device("rig", p));
    int h = 0;
    unsigned char value = 0;
    char err[QM_ERROR_TEXT_SIZE] = "", version[QM_VERSION_SIZE] = "old";
    ASSERT_EQ(QM_OpenDIO("rig", &h), QM_OK);
    ASSERT_EQ(QM_WritePort(h, 16, 99, err), QM_OK) << err;
    EXPECT_EQ(QM_GetVer(h, version, err), QM_ERR_DEVICE);
    EXPECT_EQ(std::string(err), "Reading the version of device rig" + At(p) +
                                    "the module has no device identification (Modbus exception 1 "
                                    "(illegal function)).");
    EXPECT_STREQ(version, "old");

    // Restarted: the module forgot its coils, the connection is opened again.
    module.reset();
    module = std::make_unique<PeerProcess>(PymodbusModule({"--no-identification", "--port", std::to_string(p)}));
    ASSERT_EQ(module->port(), p) << module->output();
    ASSERT_EQ(QM_ReadPort(h, 16, &value, err), QM_OK) << err;
    EXPECT_EQ(value, 0);

    // Down: the dropped connection is opened once more, and refused.
    module->Stop();
    value = 42;
    EXPECT_EQ(QM_ReadPort(h, 0, &value, err), QM_ERR_DEVICE);
    EXPECT_EQ(std::string(err), "Reading port 0 of device rig" + At(p) + "connection refused.");
    EXPECT_EQ(value, 42);

    // Back: the next call connects.
    module.reset();
    module = std::make_unique<PeerProcess>(PymodbusModule({"--port", std::to_string(p)}));
    ASSERT_EQ(module->port(), p) << module->output();
    ASSERT_EQ(QM_ReadPort(h, 0, &value, err), QM_OK) << err;
    EXPECT_EQ(value, 0x2D);
    EXPECT_EQ(QM_CloseDIO(h), QM_OK);
}

TEST(ModbusDevice, RefusedAndSilentPeersFailInOneSentence)
{
    int shut = qm7300::testing::RefusingPort();
    qm7300::testing::SilentServer silent;
    qm7300::testing::FullPort full;
    ScopedDevicesFile rack(Device("shut", shut) + Device("full", full.port(), "timeout 200\n") +
                           Device("mute", silent.port(), "timeout 200\n") +
                           "device nameless\n  modbus no-such-host.invalid\n");
    int h = -1;
    char err[QM_ERROR_TEXT_SIZE];
    EXPECT_EQ(QM_OpenDIO("shut", &h), QM_ERR_DEVICE);
    EXPECT_EQ(h, -1);
    EXPECT_EQ(QM_GetLastError(err), QM_ERR_DEVICE);
    EXPECT_EQ(std::string(err), "Connecting to device shut" + At(shut) + "connection refused.");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(QM_OpenDIO("full", &h), QM_ERR_DEVICE);  // the connecting is bounded by the time-out
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_EQ(h, -1);
    QM_GetLastError(err);
    EXPECT_EQ(std::string(err), "Connecting to device full" + At(full.port()) + "no answer within 200 ms.");
    EXPECT_EQ(QM_OpenDIO("nameless", &h), QM_ERR_DEVICE);
    QM_GetLastError(err);
    EXPECT_EQ(std::string(err).rfind("Connecting to device nameless at no-such-host.invalid:502 "
                                     "failed: the host name is not known (", 0), 0u) << err;

    ASSERT_EQ(QM_OpenDIO("mute", &h), QM_OK);  // it accepts
    unsigned char value = 42;
    char version[QM_VERSION_SIZE] = "old";
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(QM_ReadPort(h, 16, &value, err), QM_ERR_DEVICE);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_EQ(std::string(err), "Reading port 16 of device mute" + At(silent.port()) + "no answer within 200 ms.");
    EXPECT_EQ(QM_GetVer(h, version, err), QM_ERR_DEVICE);
    EXPECT_EQ(std::string(err), "Reading the version of device mute" + At(silent.port()) + "no answer within 200 ms.");
    EXPECT_EQ(value, 42);
    EXPECT_STREQ(version, "old");
    EXPECT_EQ(QM_WritePort(h, 1, 3, err), QM_ERR_PORT);  // the port checks come first, as ever
    EXPECT_EQ(QM_CloseDIO(h), QM_OK);
}

}  // namespace
