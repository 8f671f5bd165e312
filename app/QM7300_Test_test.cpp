// Tests of the test panel in-process: the real panel file, the real callbacks and the real
// (simulated) QM7300 library, driven as an operator would through rte/testing.h. Whole sessions
// of the program itself are in QM7300_Test_process_test.cpp.
#include "app/panel_callbacks_testing.h"
#include "qm7300/QM7300.h"
#include "qm7300/devices_file_testing.h"
#include "qm7300/modbus_peers_testing.h"
#include "rte/engine.h"
#include "rte/testing.h"
#include "rte/ui.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <vector>


namespace {
std::vector<int> g_closed;  // every handle the program has closed since the last Clear
}  // namespace

// Stands in for the library's QM_CloseDIO in this test program, so the tests see that every
// command closes what it opened, even after a failed open; the library's own call does the work.
extern "C" int QM_CloseDIO(int handle)
{
    using CloseFn = int (*)(int);
    static const CloseFn libraryClose = reinterpret_cast<CloseFn>(dlsym(RTLD_NEXT, "QM_CloseDIO"));
    g_closed.push_back(handle);
    return libraryClose(handle);
}

namespace {

namespace rt = rte::testing;
using qm7300::testing::ScopedDevicesFile;

class Panel : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("RTE_DISPLAY", "headless", 1);
        ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);
        ASSERT_EQ(InitRTEEx(nullptr, nullptr, nullptr), 1);  // a second call does nothing
        ASSERT_EQ(RteSetSymbolTable(kPanelSymbols, kPanelSymbolCount), 0);
    }
    void SetUp() override
    {
        panel_ = LoadPanel(0, "QM7300_Test.uir", 1);
        ASSERT_GT(panel_, 0) << RteGetLoadPanelError();
        DisplayPanel(panel_);
    }
    void TearDown() override { rt::DiscardAllPanels(); }

    int Ctrl(const char *name)
    {
        int id = rt::FindCtrl(panel_, name);
        EXPECT_GT(id, 0) << name;
        return id;
    }
    std::string Val(const char *name) { return rt::ValueText(panel_, Ctrl(name)); }
    void Set(const char *name, const std::string &text)
    {
        ASSERT_EQ(SetCtrlVal(panel_, Ctrl(name), text.c_str()), 0);
    }
    // Presses a button and returns the handles the command closed.
    std::vector<int> Press(const char *name)
    {
        g_closed.clear();
        EXPECT_EQ(rt::Press(panel_, Ctrl(name)), 0) << name;
        return g_closed;
    }
    void Type(const char *name, const std::string &text)
    {
        ASSERT_EQ(rt::Type(panel_, Ctrl(name), text), 0) << name;
    }
    void Select(const std::string &label)
    {
        ASSERT_EQ(rt::Select(panel_, Ctrl("PANEL_DEVICES"), label), 0) << label;
    }
    std::vector<std::string> Devices() { return rt::ItemLabels(panel_, Ctrl("PANEL_DEVICES")); }

    int panel_ = 0;
};

// The output latches of a device, "port16 port17", straight from the library.
std::string Latches(const char *device)
{
    int h = 0;
    unsigned char v16 = 0, v17 = 0;
    char err[QM_ERROR_TEXT_SIZE];
    bool ok = QM_OpenDIO(device, &h) == 0 && QM_ReadPort(h, 16, &v16, err) == 0 &&
              QM_ReadPort(h, 17, &v17, err) == 0;
    QM_CloseDIO(h);
    return ok ? std::to_string(v16) + " " + std::to_string(v17) : "unreadable";
}

void SetLatches(const char *device, int v16, int v17)
{
    int h = 0;
    char err[QM_ERROR_TEXT_SIZE];
    ASSERT_EQ(QM_OpenDIO(device, &h), 0);
    ASSERT_EQ(QM_WritePort(h, 16, (unsigned char)v16, err), 0);
    ASSERT_EQ(QM_WritePort(h, 17, (unsigned char)v17, err), 0);
    QM_CloseDIO(h);
}

// Each case starts from latches 99 99; port 16 is written before port 17's text is looked at.
TEST_F(Panel, WriteChecksEachPortTextBeforeWritingIt)
{
    struct Case {
        const char *port0, *port1, *status, *latches;
    } cases[] = {
        {" 12 ", "+12", "", "12 12"},
        {"012", "-0", "", "12 0"},
        {"255", "0", "", "255 0"},
        {"256", "1", "Port0 value Must Be 0-255", "99 99"},
        {"-1", "1", "Port0 value Must Be 0-255", "99 99"},
        {"1 2", "1", "Port0 is not a valid number", "99 99"},
        {"0x10", "1", "Port0 is not a valid number", "99 99"},
        {"12abc", "1", "Port0 is not a valid number", "99 99"},
        {"", "1", "Port0 is not a valid number", "99 99"},
        {"- 1", "1", "Port0 is not a valid number", "99 99"},
        {"99999999999", "1", "Port0 is not a valid number", "99 99"},
        {"5", "256", "Port1 value Must Be 0-255", "5 99"},
        {"5", "x", "Port1 is not a valid number", "5 99"},
    };
    Press("PANEL_LIST");
    for (const Case &c : cases) {
        SetLatches("QM7300-0", 99, 99);
        Type("PANEL_PORT0_WRITE", c.port0);
        Type("PANEL_PORT1_WRITE", c.port1);
        std::vector<int> closed = Press("PANEL_WRITE_FOCUS");
        EXPECT_EQ(Val("PANEL_STATUS"), c.status) << c.port0 << " / " << c.port1;
        EXPECT_EQ(Latches("QM7300-0"), c.latches) << c.port0 << " / " << c.port1;
        ASSERT_EQ(closed.size(), 1u) << c.port0 << " / " << c.port1;  // the device is closed
        EXPECT_GT(closed[0], 0);
    }
    // The panel limits entry to the 27 characters the program's buffers hold. A longer text set
    // by other means is not copied into them (it would overrun them) and counts as no number.
    Type("PANEL_PORT0_WRITE", std::string(40, '1'));
    EXPECT_EQ(Val("PANEL_PORT0_WRITE"), std::string(27, '1'));
    Set("PANEL_PORT0_WRITE", std::string(30, ' ') + "5");
    Press("PANEL_WRITE_FOCUS");
    EXPECT_EQ(Val("PANEL_STATUS"), "Port0 is not a valid number");
}

TEST_F(Panel, FocusMovingOntoOrAwayFromWriteClearsTheStatusAndWritesNothing)
{
    Press("PANEL_LIST");
    Set("PANEL_STATUS", "old message");
    g_closed.clear();
    ASSERT_EQ(rt::Focus(panel_, Ctrl("PANEL_WRITE_FOCUS")), 0);
    EXPECT_EQ(Val("PANEL_STATUS"), "");
    Set("PANEL_STATUS", "old message");
    ASSERT_EQ(rt::Focus(panel_, Ctrl("PANEL_PORT0_WRITE")), 0);
    EXPECT_EQ(Val("PANEL_STATUS"), "");
    EXPECT_TRUE(g_closed.empty());  // no device was opened
}

// Every failure the commands report, on simulated devices described by a devices file.
TEST_F(Panel, DeviceFaultsShowTheirMessages)
{
    Press("PANEL_LIST");  // default devices: count 2
    {
        ScopedDevicesFile sim("fail list\n");
        Press("PANEL_LIST");
        EXPECT_EQ(Val("PANEL_STATUS"), "Error reading Devices");
        EXPECT_TRUE(Devices().empty());
        EXPECT_EQ(Val("PANEL_DEVICE_COUNT"), "2");
    }
    ScopedDevicesFile sim(
        "device Broken\n  fail open\n"
        "device Stuck\n  fail read 1 Port 1 of Stuck did not answer.\n  fail version\n"
        "device BadOut\n  fail write 16 Port 16 of BadOut is shorted.\n"
        "device BadOut1\n  fail write 17 Port 17 of BadOut1 is shorted.\n");
    Press("PANEL_LIST");
    ASSERT_EQ(Devices().size(), 4u);
    Type("PANEL_PORT0_WRITE", "7");
    Type("PANEL_PORT1_WRITE", "8");

    // A failed open: no port is read or written, handle 0 is still closed, and the status line
    // says so (the version command too, so that an old version text is not taken for this one).
    const std::string openFailed =
        "Error Opening Device";
    Select("Broken");
    Set("PANEL_PORT0_READ", "old");
    EXPECT_EQ(Press("PANEL_READ"), std::vector<int>{0});
    EXPECT_EQ(Val("PANEL_STATUS"), openFailed);
    EXPECT_EQ(Val("PANEL_PORT0_READ"), "old");
    EXPECT_EQ(Press("PANEL_WRITE_FOCUS"), std::vector<int>{0});
    EXPECT_EQ(Val("PANEL_STATUS"), openFailed);
    Set("PANEL_VERSION", "v");
    Set("PANEL_STATUS", "");
    EXPECT_EQ(Press("PANEL_SWVERSION"), std::vector<int>{0});
    EXPECT_EQ(Val("PANEL_VERSION"), "v");
    EXPECT_EQ(Val("PANEL_STATUS"), openFailed);

    // A failed read shows the ports before it and leaves the later ones as they were.
    Select("Stuck");
    SetLatches("Stuck", 33, 44);
    for (const char *c : {"PANEL_PORT1_READ", "PANEL_PORT16_READ", "PANEL_PORT17_READ"})
        Set(c, "old");
    EXPECT_EQ(Press("PANEL_READ").size(), 1u);
    EXPECT_EQ(Val("PANEL_STATUS"), "Port 1 of Stuck did not answer.");
    EXPECT_EQ(Val("PANEL_PORT0_READ") + " " + Val("PANEL_PORT1_READ") + " " +
                  Val("PANEL_PORT16_READ") + " " + Val("PANEL_PORT17_READ"),
              "33 old old old");
    Set("PANEL_STATUS", "");
    EXPECT_EQ(Press("PANEL_SWVERSION").size(), 1u);
    EXPECT_EQ(Val("PANEL_VERSION"), "v");
    EXPECT_EQ(Val("PANEL_STATUS"), "Reading the version of device Stuck failed: the device did not answer.");

    // A failed write of port 16 leaves port 17 alone; one of port 17 follows port 16's write.
    Select("BadOut");
    Press("PANEL_WRITE_FOCUS");
    EXPECT_EQ(Val("PANEL_STATUS"), "Port 16 of BadOut is shorted.");
    EXPECT_EQ(Latches("BadOut"), "0 0");
    Select("BadOut1");
    Press("PANEL_WRITE_FOCUS");
    EXPECT_EQ(Val("PANEL_STATUS"), "Port 17 of BadOut1 is shorted.");
    EXPECT_EQ(Latches("BadOut1"), "7 0");
}

// Modules on the network that cannot be reached, or do not answer, say so in the status line.
TEST_F(Panel, NetworkFaultsShowInTheStatusLine)
{
    int shut = qm7300::testing::RefusingPort();
    qm7300::testing::SilentServer silent;
    std::string refused = "127.0.0.1:" + std::to_string(shut), mute = "127.0.0.1:" + std::to_string(silent.port());
    ScopedDevicesFile devices("device rack\n  modbus " + refused + "\n"
                              "device mute\n  modbus " + mute + "\n  timeout 100\n");
    Press("PANEL_LIST");
    EXPECT_EQ(Devices(), (std::vector<std::string>{"rack", "mute"}));
    struct Case {
        const char *device, *button, *status;
    } cases[] = {
        {"rack", "PANEL_READ", "Error Opening Device"},
        {"rack", "PANEL_SWVERSION", "Error Opening Device"},
        {"mute", "PANEL_READ", "Reading port 0 of device mute at @ failed: no answer within 100 ms."},
        {"mute", "PANEL_WRITE_FOCUS", "Writing port 16 of device mute at @ failed: no answer within 100 ms."},
        {"mute", "PANEL_SWVERSION", "Reading the version of device mute at @ failed: no answer within 100 ms."},
    };
    Type("PANEL_PORT0_WRITE", "1");
    Type("PANEL_PORT1_WRITE", "2");
    for (const Case &c : cases) {
        std::string status = c.status;
        if (size_t at = status.find('@'); at != std::string::npos)
            status.replace(at, 1, c.device[0] == 'r' ? refused : mute);
        Select(c.device);
        Set("PANEL_STATUS", "");
        Press(c.button);
        EXPECT_EQ(Val("PANEL_STATUS"), status) << c.button;
    }
}

// Each case lists afresh; the count shown is always the library's, whatever the text holds.
TEST_F(Panel, DeviceListTextIsSplitAsTheLibraryReportsIt)
{
    struct Case {
        const char *raw;
        std::vector<std::string> items;
    } cases[] = {
        {"A,B,C", {"A", "B", "C"}},
        {"A, B", {"A", "B"}},
        {"A,B,", {"A", "B"}},
        {"Single", {"Single"}},
        {"", {}},
        {"First Name,Second Name", {"First Name", "Second"}},
        {"A,,B", {"A"}},
        {",A", {}},
        // Over-long names are cut to 23 characters and the names after them still come.
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123,Next", {"ABCDEFGHIJKLMNOPQRSTUVW", "Next"}},
        {"A,BBBBBBBBBBBBBBBBBBBBBBBBBBBBBB,C", {"A", "BBBBBBBBBBBBBBBBBBBBBBB", "C"}},
    };
    for (const Case &c : cases) {
        ScopedDevicesFile sim(std::string("list raw \"") + c.raw + "\"\nlist count 3\n");
        Set("PANEL_STATUS", "old");
        Press("PANEL_LIST");
        EXPECT_EQ(Devices(), c.items) << c.raw;
        EXPECT_EQ(Val("PANEL_DEVICE_COUNT"), "3") << c.raw;
        EXPECT_EQ(Val("PANEL_STATUS"), "old") << c.raw;  // a successful list leaves it alone
    }
}

}  // namespace
