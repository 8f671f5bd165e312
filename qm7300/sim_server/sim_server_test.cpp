// Tests of qm7300-sim, the program: mbpoll reads and writes its units; clients that send garbage
// or come beyond the bound are closed while the others are served; the device library reaches
// it as it reaches a module; it ends cleanly on SIGINT and SIGTERM, and refuses bad starts in one
// line.
#include "qm7300/QM7300.h"

#include "qm7300/devices_file_testing.h"
#include "qm7300/modbus_peers_testing.h"

#include <gtest/gtest.h>
#include <modbus/modbus.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <string>

namespace {

using qm7300::testing::PeerProcess;

// Writes a devices file in the test's folder and returns its path.
std::string DevicesFile(const std::string &name, const std::string &text)
{
    std::ofstream(name) << text;
    return name;
}

// Runs mbpoll against 127.0.0.1:port with args; returns its exit status, and in *values the
// values it printed, one character each ("[1]: \t0" lines), or its whole output on failure.
int Mbpoll(int port, const std::string &args, std::string *values)
{
    std::string command = "mbpoll -m tcp -p " + std::to_string(port) + " -1 " + args + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    std::string output;
    char line[256];
    while (pipe != nullptr && fgets(line, sizeof line, pipe) != nullptr)
        output += line;
    int status = pipe != nullptr ? pclose(pipe) : -1;
    static const std::regex kValue("\\[[0-9]+\\]:\\s+([0-9]+)");
    values->clear();
    for (std::sregex_iterator it(output.begin(), output.end(), kValue), end; it != end; ++it)
        *values += (*it)[1].str();
    if (status != 0)
        *values = output;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

PeerProcess StartSim(const std::vector<std::string> &options)
{
    std::vector<std::string> argv = {QM7300_SIM_PROGRAM, "--listen", "127.0.0.1:0"};
    argv.insert(argv.end(), options.begin(), options.end());
    return PeerProcess(argv);
}

TEST(Mbpoll, ReadsTheInputsAndCoilsOfQm7300SimAndSeesWritesLoopedBack)
{
    PeerProcess sim = StartSim({DevicesFile("mbpoll.devices",
                                            "device A\ndevice B\n  input 1 200\n  fail write 17 x\n")});
    int p = sim.port();
    ASSERT_GT(p, 0) << sim.output();
    std::string v;
    // 170 on unit 1's port 16: coils 0-7, lowest address first (mbpoll counts from 1).
    ASSERT_EQ(Mbpoll(p, "-a 1 -t 0 -r 1 127.0.0.1 0 1 0 1 0 1 0 1", &v), 0) << v;
    ASSERT_EQ(Mbpoll(p, "-a 1 -t 0 -r 1 -c 16 127.0.0.1", &v), 0) << v;
    EXPECT_EQ(v, "0101010100000000");
    ASSERT_EQ(Mbpoll(p, "-a 1 -t 1 -r 1 -c 16 127.0.0.1", &v), 0) << v;
    EXPECT_EQ(v, "0101010100000000") << "the loopback shows port 16 on port 0";
    // Unit 2: port 1 fixed at 200; its port 17 fails to be written (exception 4).
    ASSERT_EQ(Mbpoll(p, "-a 2 -t 1 -r 9 -c 8 127.0.0.1", &v), 0) << v;
    EXPECT_EQ(v, "00010011");
    EXPECT_NE(Mbpoll(p, "-a 2 -t 0 -r 9 127.0.0.1 1", &v), 0);
    EXPECT_NE(v.find("Slave device or server failure"), std::string::npos) << v;
    EXPECT_NE(Mbpoll(p, "-a 3 -t 1 -r 1 127.0.0.1", &v), 0);
    EXPECT_NE(v.find("Gateway path unavailable"), std::string::npos) << v;
    EXPECT_EQ(sim.Stop(SIGINT), 0) << sim.output();
}

// A connection to qm7300-sim: a libmodbus client on unit 1, or (raw) a socket of one's own.
struct Client {
    explicit Client(int port) : context(modbus_new_tcp("127.0.0.1", port))
    {
        modbus_set_slave(context, 1);
        modbus_set_response_timeout(context, 60, 0);
        connected = modbus_connect(context) == 0;
    }
    ~Client() { modbus_free(context); }
    bool Served()  // a request answered
    {
        uint8_t bits[16];
        return connected && modbus_read_input_bits(context, 0, 16, bits) == 16;
    }
    bool Closed()  // the server closed the connection: it reads the end (within a minute)
    {
        struct pollfd p = {modbus_get_socket(context), POLLIN, 0};
        char c;
        return connected && poll(&p, 1, 60000) == 1 && recv(p.fd, &c, 1, 0) == 0;
    }
    modbus_t *context;
    bool connected;
};

TEST(SimServer, ClientsBeyondTheBoundOrSendingGarbageAreClosedAndTheOthersServed)
{
    PeerProcess sim = StartSim({"--clients", "2"});
    int p = sim.port();
    ASSERT_GT(p, 0) << sim.output();
    Client a(p), b(p), c(p);
    EXPECT_TRUE(a.Served());
    EXPECT_TRUE(b.Served());
    EXPECT_TRUE(c.Closed()) << "a third client at once is one too many";

    const char garbage[] = "GET / HTTP/1.0\r\n\r\n";
    ASSERT_EQ(send(modbus_get_socket(a.context), garbage, sizeof garbage - 1, 0), (ssize_t)sizeof garbage - 1);
    EXPECT_TRUE(a.Closed());
    EXPECT_TRUE(b.Served());
    // Its place is free again once the server has seen it go.
    bool served = false;
    for (int tries = 0; tries < 600 && !served; tries++) {
        Client d(p);
        served = d.Served();
        if (!served)
            usleep(100000);
    }
    EXPECT_TRUE(served);
    EXPECT_EQ(sim.Stop(SIGTERM), 0) << sim.output();
}

// The device library on qm7300-sim's units, identification included.
TEST(SimServer, TheDeviceLibraryReachesItsUnitsAsModules)
{
    PeerProcess sim = StartSim({DevicesFile("library.devices",
                                            "device A\n  version 2.5\n  fail read 0 x\n"
                                            "device B\n  fail open\n  fail version\n")});
    int p = sim.port();
    ASSERT_GT(p, 0) << sim.output();
    std::string at = "127.0.0.1:" + std::to_string(p);
    qm7300::testing::ScopedDevicesFile rack("device a\n  modbus " + at + "\n"
                                            "device b\n  modbus " + at + "\n  unit 2\n");
    int h = 0;
    unsigned char value = 0;
    char version[QM_VERSION_SIZE], err[QM_ERROR_TEXT_SIZE];
    ASSERT_EQ(QM_OpenDIO("a", &h), QM_OK);
    ASSERT_EQ(QM_GetVer(h, version, err), QM_OK) << err;
    EXPECT_STREQ(version, "2.5");
    ASSERT_EQ(QM_WritePort(h, 17, 77, err), QM_OK) << err;
    ASSERT_EQ(QM_ReadPort(h, 1, &value, err), QM_OK) << err;
    EXPECT_EQ(value, 77);
    EXPECT_EQ(QM_ReadPort(h, 0, &value, err), QM_ERR_DEVICE);
    EXPECT_EQ(std::string(err), "Reading port 0 of device a at " + at +
                                    " failed: Modbus exception 4 (server device failure).");
    QM_CloseDIO(h);
    ASSERT_EQ(QM_OpenDIO("b", &h), QM_OK);  // the connection is the server's
    EXPECT_EQ(QM_GetVer(h, version, err), QM_ERR_DEVICE);
    EXPECT_EQ(std::string(err), "Reading the version of device b at " + at +
                                    " failed: Modbus exception 11 (gateway target device failed "
                                    "to respond).");
    QM_CloseDIO(h);
}

TEST(SimServer, BadStartsEndInOneLine)
{
    int busy;
    int holder = qm7300::testing::BindLoopback(true, &busy);
    struct Case {
        std::vector<std::string> argv;
        int exit;
        const char *says;
    } cases[] = {
        {{QM7300_SIM_PROGRAM, "--listen", "127.0.0.1:" + std::to_string(busy)}, 1,
         "qm7300-sim: cannot listen on 127.0.0.1:" },
        {{QM7300_SIM_PROGRAM, "--listen", "nowhere:99999"}, 2, "port \"99999\" is out of range"},
        {{QM7300_SIM_PROGRAM, "--clients", "0"}, 2, "--clients needs a number from 1 to 1000"},
        {{QM7300_SIM_PROGRAM, "/nonexistent.devices"}, 1,
         "qm7300-sim: devices file /nonexistent.devices cannot be read"},
        {{QM7300_SIM_PROGRAM, DevicesFile("network.devices", "device n\n  modbus 192.0.2.7\n")}, 1,
         "qm7300-sim: there is no simulated device to serve."},
    };
    for (const Case &c : cases) {
        PeerProcess run(c.argv);
        EXPECT_EQ(run.Stop(), c.exit) << run.output();
        EXPECT_NE(run.output().find(c.says), std::string::npos) << run.output();
    }
    close(holder);
}

}  // namespace
