// Tests of the QM7300 calls on the simulated devices: the default loopback pair, and devices
// and faults described through devices files (QM7300_DEVICES, or its older name QM7300_SIM).
#include "qm7300/QM7300.h"

#include "qm7300/devices_file_testing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using qm7300::testing::ScopedDevicesFile;

TEST(QM7300, DefaultDevicesAreListedAndLoopBackTheirOutputs)
{
    int count = 0;
    char list[QM_LIST_TEXT_SIZE], second[QM_LIST_TEXT_SIZE] = "x";
    ASSERT_EQ(QM_ListDIO(&count, list, second), QM_OK);
    EXPECT_EQ(count, 2);
    EXPECT_STREQ(list, "QM7300-0,QM7300-1");
    EXPECT_STREQ(second, "");

    int h = 0;
    char err[QM_ERROR_TEXT_SIZE] = "";
    ASSERT_EQ(QM_OpenDIO("QM7300-1", &h), QM_OK);
    ASSERT_GT(h, 0);
    ASSERT_EQ(QM_WritePort(h, 16, 0xA5, err), QM_OK);
    ASSERT_EQ(QM_WritePort(h, 17, 7, err), QM_OK);
    ASSERT_EQ(QM_CloseDIO(h), QM_OK);

    // The latches outlive the handle: a later open reads them back on 0/1 and 16/17.
    ASSERT_EQ(QM_OpenDIO("QM7300-1", &h), QM_OK);
    unsigned char v[4];
    const int ports[4] = {0, 1, 16, 17};
    for (int i = 0; i < 4; i++)
        ASSERT_EQ(QM_ReadPort(h, ports[i], &v[i], err), QM_OK) << ports[i];
    EXPECT_EQ(v[0], 0xA5);
    EXPECT_EQ(v[1], 7);
    EXPECT_EQ(v[2], 0xA5);
    EXPECT_EQ(v[3], 7);
    char version[QM_VERSION_SIZE];
    ASSERT_EQ(QM_GetVer(h, version, err), QM_OK);
    EXPECT_STREQ(version, "1.0.0");
    EXPECT_EQ(QM_CloseDIO(h), QM_OK);
    EXPECT_EQ(QM_CloseDIO(h), QM_ERR_HANDLE);  // twice: refused, harmless
    EXPECT_EQ(QM_CloseDIO(0), QM_OK);
}

TEST(QM7300, BadHandlesPortsAndNamesAreRefusedWithClearTexts)
{
    char err[QM_ERROR_TEXT_SIZE] = "";
    unsigned char value = 99;
    int h = -5;
    EXPECT_EQ(QM_OpenDIO("QM7300-9", &h), QM_ERR_NO_DEVICE);
    EXPECT_EQ(h, -5);
    EXPECT_EQ(QM_OpenDIO(nullptr, &h), QM_ERR_ARGUMENT);

    EXPECT_EQ(QM_ReadPort(0, 0, &value, err), QM_ERR_HANDLE);
    EXPECT_STREQ(err, "Handle 0 is not an open QM7300 device; open the device first.");
    EXPECT_EQ(value, 99);

    ASSERT_EQ(QM_OpenDIO("QM7300-0", &h), QM_OK);
    EXPECT_EQ(QM_ReadPort(h, 2, &value, err), QM_ERR_PORT);
    EXPECT_STREQ(err, "Device QM7300-0 has no port 2; its ports are 0, 1, 16 and 17.");
    EXPECT_EQ(QM_WritePort(h, 1, 3, err), QM_ERR_PORT);
    EXPECT_STREQ(err, "Port 1 of device QM7300-0 is an input and cannot be written.");
    EXPECT_EQ(QM_WritePort(h, 18, 3, err), QM_ERR_PORT);
    EXPECT_EQ(QM_ReadPort(h, 0, nullptr, err), QM_ERR_ARGUMENT);
    EXPECT_EQ(QM_GetVer(h, nullptr, err), QM_ERR_ARGUMENT);
    EXPECT_EQ(QM_ReadPort(h, 17, &value, nullptr), QM_OK);  // no error buffer needed on success
    EXPECT_EQ(QM_CloseDIO(h), QM_OK);
}

TEST(QM7300, SimFileDescribesDevicesInputsVersionsAndFaults)
{
    ScopedDevicesFile sim(  // through the older name
        "# two devices\n"
        "device Bench A   # a name with a blank\n"
        "  input 0 200\n"
        "  version \"2.1 #7\"\n"
        "  fail read 17 Port 17 of Bench A is stuck. \r\n"
        "  fail write 16 \"Port 16 \\\"write\\\" failed\"\n"
        "device Broken\n"
        "  fail open\n"
        "device Quiet\n"
        "  fail version\n"
        "list count 5\n",
        "QM7300_SIM");
    int count = 0;
    char list[QM_LIST_TEXT_SIZE], err[QM_ERROR_TEXT_SIZE] = "";
    ASSERT_EQ(QM_ListDIO(&count, list, err), QM_OK);
    EXPECT_EQ(count, 5);
    EXPECT_STREQ(list, "Bench A,Broken,Quiet");

    int h = 0;
    EXPECT_EQ(QM_OpenDIO("Broken", &h), QM_ERR_DEVICE);
    EXPECT_EQ(h, 0);
    ASSERT_EQ(QM_OpenDIO("Bench A", &h), QM_OK);
    unsigned char value = 0;
    ASSERT_EQ(QM_WritePort(h, 17, 9, err), QM_OK);
    ASSERT_EQ(QM_ReadPort(h, 0, &value, err), QM_OK);
    EXPECT_EQ(value, 200);  // fixed input, no loopback
    ASSERT_EQ(QM_ReadPort(h, 1, &value, err), QM_OK);
    EXPECT_EQ(value, 9);    // port 1 still loops back
    EXPECT_EQ(QM_ReadPort(h, 17, &value, err), QM_ERR_DEVICE);
    EXPECT_STREQ(err, "Port 17 of Bench A is stuck. ");  // verbatim, less the CR of a CRLF line
    EXPECT_EQ(QM_WritePort(h, 16, 1, err), QM_ERR_DEVICE);
    EXPECT_STREQ(err, "Port 16 \"write\" failed");
    char version[QM_VERSION_SIZE];
    ASSERT_EQ(QM_GetVer(h, version, err), QM_OK);
    EXPECT_STREQ(version, "2.1 #7");
    QM_CloseDIO(h);

    ASSERT_EQ(QM_OpenDIO("Quiet", &h), QM_OK);
    strcpy(version, "old");
    EXPECT_EQ(QM_GetVer(h, version, err), QM_ERR_DEVICE);
    EXPECT_STREQ(version, "old");
    EXPECT_STREQ(err, "Reading the version of device Quiet failed: the device did not answer.");
    QM_CloseDIO(h);
}

TEST(QM7300, BadSimFileMakesEveryCallFailNamingFileAndLine)
{
    const char *bad[][2] = {
        {"device X\n  frobnicate 3\n", "line 2: unknown directive \"frobnicate\""},
        {"input 0 1\n", "line 1: \"input\" must follow a \"device\" line"},
        {"device X\ninput 2 1\n", "line 2: \"input\" needs an input port (0 or 1)"},
        {"device X\nversion 1234567890\n", "line 2: version text \"1234567890\" is longer"},
        {"device X\nfail write 0 oops\n", "line 2: \"fail write\" needs an output port"},
        {"list raw \"abc\n", "line 1: quoted text has no closing quote"},
        {"device X\ndevice X\n", "line 2: device \"X\" is described twice"},
        {"list count many\n", "line 1: \"list count\" needs a whole number"},
        {"device X\nunit 3\n", "line 2: \"unit\" must follow a \"modbus\" line"},
        {"device X\nmodbus 192.0.2.7:70000\n", "line 2: port \"70000\" is out of range (1-65535)"},
        {"device X\nmodbus [::1]:0\n", "line 2: port \"0\" is out of range (1-65535)"},
        {"device X\nmodbus 2001:db8::7\n", "line 2: an IPv6 address is written in brackets"},
        {"device X\nmodbus [2001:db8::g]\n", "line 2: \"2001:db8::g\" is not an IPv6 address"},
        {"device X\nmodbus 192.0.2.300\n", "line 2: \"192.0.2.300\" is not a host name or an IP"},
        {"device X\nmodbus plc_7.lan\n", "line 2: \"plc_7.lan\" is not a host name or an IP"},
        {"device X\nmodbus 10.0.0.1\nunit 256\n", "line 3: \"unit\" needs a unit identifier from 0 to 247, or 255"},
        {"device X\nmodbus 10.0.0.1\nunit 250\n", "line 3: \"unit\" needs a unit identifier from 0 to 247, or 255"},
        {"device X\nmodbus 10.0.0.1\ninputs coils 0\n", "line 3: \"inputs\" needs \"discrete\""},
        {"device X\nmodbus 10.0.0.1\noutputs coils 65521\n", "line 3: \"outputs\" needs \"coils\""},
        {"device X\nmodbus 10.0.0.1\ntimeout 0\n", "line 3: \"timeout\" needs milliseconds"},
        {"device X\nmodbus 10.0.0.1\nmodbus 10.0.0.2\n", "line 3: device \"X\" has two \"modbus\" lines"},
        {"device X\nmodbus 10.0.0.1\ninput 0 1\n", "line 3: \"input\" describes a simulated device, but \"X\" is on the network"},
        {"device X\nversion 2\nmodbus 10.0.0.1\n", "line 3: \"modbus\" must come before the lines of a simulated device"},
        {"device X\nmodbus 10.0.0.1 502\n", "line 2: unexpected text after \"modbus\""},
    };
    for (auto &c : bad) {
        ScopedDevicesFile sim(c[0]);
        int count = 0, h = 0;
        char list[QM_LIST_TEXT_SIZE], err[QM_ERROR_TEXT_SIZE] = "";
        EXPECT_EQ(QM_ListDIO(&count, list, err), QM_ERR_CONFIG) << c[0];
        std::string text = err;
        EXPECT_NE(text.find("QM7300_DEVICES file " + sim.path() + ", " + c[1]), std::string::npos)
            << text;
        EXPECT_EQ(QM_OpenDIO("X", &h), QM_ERR_CONFIG);
        EXPECT_EQ(QM_ReadPort(1, 0, nullptr, err), QM_ERR_ARGUMENT);
        unsigned char v;
        EXPECT_EQ(QM_ReadPort(1, 0, &v, err), QM_ERR_CONFIG);
    }
    setenv("QM7300_SIM", "/nonexistent/qm7300.sim", 1);
    char err[QM_ERROR_TEXT_SIZE], version[QM_VERSION_SIZE];
    EXPECT_EQ(QM_GetVer(1, version, err), QM_ERR_CONFIG);
    EXPECT_STREQ(err, "QM7300_SIM file /nonexistent/qm7300.sim cannot be read: No such file or directory.");
    unsetenv("QM7300_SIM");
}

// Network devices are listed with the simulated ones, in file order, without a connection. The
// two names of the variable may both be set when they name one file.
TEST(QM7300, NetworkDevicesAreListedAndBothVariablesMustNameOneFile)
{
    ScopedDevicesFile devices(
        "device bench\n"
        "device rack-A\n"
        "  modbus 192.0.2.7:1502   # a module\n"
        "  unit 0\n"
        "  inputs registers 65534\n"
        "  outputs coils 65520\n"
        "  timeout 250\n"
        "device rack-B\n  modbus [2001:db8::7]\n  unit 255\n"
        "device plc\n  modbus plc-7.example\n");
    int count = 0;
    char list[QM_LIST_TEXT_SIZE], err[QM_ERROR_TEXT_SIZE] = "";
    ASSERT_EQ(QM_ListDIO(&count, list, err), QM_OK) << err;
    EXPECT_EQ(count, 4);
    EXPECT_STREQ(list, "bench,rack-A,rack-B,plc");

    // The same file under both names: its text, or another path to it.
    for (const std::string &same : {devices.path(), "./" + devices.path()}) {
        setenv("QM7300_SIM", same.c_str(), 1);
        EXPECT_EQ(QM_ListDIO(&count, list, err), QM_OK) << same;
    }
    ScopedDevicesFile other("device other\n", "QM7300_SIM");
    EXPECT_EQ(QM_ListDIO(&count, list, err), QM_ERR_CONFIG);
    EXPECT_EQ(std::string(err), "QM7300_DEVICES (" + devices.path() + ") and QM7300_SIM (" +
                                    other.path() + ") name different devices files; set only "
                                    "QM7300_DEVICES, the newer name.");
    int h = 7;
    EXPECT_EQ(QM_OpenDIO("bench", &h), QM_ERR_CONFIG);
    EXPECT_EQ(h, 7);
    char last[QM_ERROR_TEXT_SIZE];
    EXPECT_EQ(QM_GetLastError(last), QM_ERR_CONFIG);  // the one way to learn why an open failed
    EXPECT_STREQ(last, err);
}

TEST(QM7300, ErrorTextsAreCutToTheBuffer)
{
    std::string message(3000, 'm');
    ScopedDevicesFile sim("device D\nfail read 0 " + message + "\n");
    int h = 0;
    ASSERT_EQ(QM_OpenDIO("D", &h), QM_OK);
    // A guard byte past the 1024 that the call may use must stay untouched.
    char err[QM_ERROR_TEXT_SIZE + 1];
    err[QM_ERROR_TEXT_SIZE] = '#';
    unsigned char v;
    EXPECT_EQ(QM_ReadPort(h, 0, &v, err), QM_ERR_DEVICE);
    EXPECT_EQ(strlen(err), (size_t)QM_ERROR_TEXT_SIZE - 1);
    EXPECT_EQ(err[QM_ERROR_TEXT_SIZE], '#');
    QM_CloseDIO(h);
}

}  // namespace
