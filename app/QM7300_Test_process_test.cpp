// Tests of the real QM7300_Test program as a process: headless, driven by operator scripts, on
// simulated devices and a pymodbus module described by devices files, all written to a fresh
// temporary folder.
#include "qm7300/modbus_peers_testing.h"
#include "rte/waiting_testing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;

struct Session {
    int exitCode = -1000;  // the process's exit status (0-255), or -1000 when it did not exit
    std::string out, err;
};

class Program : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifndef QM7300_TEST_PROGRAM
        GTEST_SKIP() << "the program is not built in this configuration";
#else
        char pattern[] = "/tmp/qm7300_process_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
#endif
    }
    void TearDown() override
    {
        if (!dir_.empty())
            fs::remove_all(dir_);
    }

    std::string WriteFile(const std::string &name, const std::string &text)
    {
        std::string path = dir_ + "/" + name;
        std::ofstream(path) << text;
        return path;
    }
    static std::string ReadFile(const std::string &path)
    {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Runs program with the operator script file (and a devices file when devices is not
    // empty), in the temporary folder, and collects its exit status and output.
    Session StartProgram(const std::string &program, const std::string &scriptPath,
                         const std::string &devices = "")
    {
        std::vector<std::string> env = EnvironmentWithout({"RTE_", "QM7300_"});
        env.push_back("RTE_DISPLAY=headless");
        env.push_back("RTE_SCRIPT=" + scriptPath);
        if (!devices.empty())
            env.push_back("QM7300_DEVICES=" + WriteFile("devices.txt", devices));
        return Spawn(program, env);
    }

    // This process's environment without the variables whose names start with the prefixes.
    static std::vector<std::string> EnvironmentWithout(const std::vector<std::string> &prefixes)
    {
        std::vector<std::string> env;
        for (char **e = environ; *e != nullptr; e++) {
            bool dropped = false;
            for (const std::string &prefix : prefixes)
                dropped = dropped || strncmp(*e, prefix.c_str(), prefix.size()) == 0;
            if (!dropped)
                env.push_back(*e);
        }
        return env;
    }

    // Runs program with the environment in the temporary folder and collects its exit status and
    // output; a program still running after a minute (rte::testing::kPatience) is killed.
    Session Spawn(const std::string &program, std::vector<std::string> env)
    {
        std::vector<char *> envp;
        for (std::string &s : env)
            envp.push_back(s.data());
        envp.push_back(nullptr);

        std::string outPath = dir_ + "/out.txt", errPath = dir_ + "/err.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
        std::string arg0 = program;
        char *argv[] = {arg0.data(), nullptr};
        pid_t pid;
        Session run;
        int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(rc, 0) << strerror(rc);
        if (rc != 0)
            return run;
        int status = 0;
        if (!rte::testing::WaitFor([&] { return waitpid(pid, &status, WNOHANG) != 0; })) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << program << " did not end within a minute";
        }
        if (WIFEXITED(status))
            run.exitCode = WEXITSTATUS(status);
        run.out = ReadFile(outPath);
        run.err = ReadFile(errPath);
        return run;
    }
    Session Start(const std::string &script, const std::string &devices = "")
    {
#ifdef QM7300_TEST_PROGRAM
        return StartProgram(QM7300_TEST_PROGRAM, WriteFile("script.txt", script), devices);
#else
        return Session();
#endif
    }

    std::string dir_;
};

// The session scripts/run plays when there is no screen: list, choose the second device, write
// both ports, read them back through the loopback, show the version and quit.
TEST_F(Program, NormalSessionWritesReadsBackAndQuitsWithZero)
{
#ifdef QM7300_TEST_PROGRAM
    Session r = StartProgram(QM7300_TEST_PROGRAM, QM7300_DEMO_SESSION);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "PANEL_DEVICE_COUNT=2\n"
              "PANEL_DEVICES=QM7300-0\n"
              "PANEL_DEVICES.items=QM7300-0|QM7300-1\n"
              "PANEL_STATUS=\n"
              "PANEL_PORT0_READ=165\n"
              "PANEL_PORT1_READ=60\n"
              "PANEL_PORT16_READ=165\n"
              "PANEL_PORT17_READ=60\n"
              "PANEL_VERSION=1.0.0\n");
#endif
}

TEST_F(Program, ValidationSessionShowsTheExactMessages)
{
    Session r = Start(
        "press PANEL_LIST\n"
        "type PANEL_PORT0_WRITE 256\n"
        "type PANEL_PORT1_WRITE 1\n"
        "press PANEL_WRITE_FOCUS\n"
        "show PANEL_STATUS\n"
        "type PANEL_PORT0_WRITE 0x10\n"
        "press PANEL_WRITE_FOCUS\n"
        "show PANEL_STATUS\n"
        "type PANEL_PORT0_WRITE +12\n"
        "type PANEL_PORT1_WRITE -1\n"
        "press PANEL_WRITE_FOCUS\n"
        "show PANEL_STATUS\n"
        "type PANEL_PORT1_WRITE \"- 1\"\n"
        "press PANEL_WRITE_FOCUS\n"
        "show PANEL_STATUS\n"
        "focus PANEL_PORT0_WRITE\n"
        "show PANEL_STATUS\n"
        "focus PANEL_QUIT\n"  // only a press quits
        "press PANEL_READ\n"
        "show PANEL_PORT16_READ\n"
        "press PANEL_QUIT\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "PANEL_STATUS=Port0 value Must Be 0-255\n"
              "PANEL_STATUS=Port0 is not a valid number\n"
              "PANEL_STATUS=Port1 value Must Be 0-255\n"
              "PANEL_STATUS=Port1 is not a valid number\n"
              "PANEL_STATUS=\n"
              "PANEL_PORT16_READ=12\n");
}

TEST_F(Program, FaultSessionShowsLibraryErrorTexts)
{
    Session r = Start(
        "press PANEL_LIST\n"
        "select PANEL_DEVICES RigB\n"
        "press PANEL_READ\n"
        "show PANEL_STATUS\n"
        "show PANEL_PORT0_READ\n"
        "press PANEL_SWVERSION\n"
        "show PANEL_VERSION\n"
        "select PANEL_DEVICES RigA\n"
        "press PANEL_READ\n"
        "show PANEL_STATUS\n"
        "press PANEL_QUIT\n",
        "device RigA\n"
        "  fail open\n"
        "device RigB\n"
        "  input 0 42\n"
        "  version 7.3\n"
        "  fail read 1 \"Port 1 of RigB did not answer.\"\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "PANEL_STATUS=Port 1 of RigB did not answer.\n"
              "PANEL_PORT0_READ=42\n"
              "PANEL_VERSION=7.3\n"
              "PANEL_STATUS=Error Opening Device\n");
}

// The panel on a real module: pymodbus on loopback, beside a simulated device.
TEST_F(Program, SessionOnAModbusModuleWritesAndReadsItsPorts)
{
    qm7300::testing::PeerProcess module(qm7300::testing::PymodbusModule());
    ASSERT_GT(module.port(), 0) << module.output();
    Session r = Start(
        "press PANEL_LIST\n"
        "show PANEL_DEVICES\n"
        "select PANEL_DEVICES rig\n"
        "type PANEL_PORT0_WRITE 170\n"
        "type PANEL_PORT1_WRITE 85\n"
        "press PANEL_WRITE_FOCUS\n"
        "press PANEL_READ\n"
        "show PANEL_STATUS\n"
        "show PANEL_PORT0_READ\n"
        "show PANEL_PORT1_READ\n"
        "show PANEL_PORT16_READ\n"
        "show PANEL_PORT17_READ\n"
        "press PANEL_SWVERSION\n"
        "show PANEL_VERSION\n"
        "press PANEL_QUIT\n",
        "device bench\n"
        "device rig\n"
        "  modbus 127.0.0.1:" + std::to_string(module.port()) + "\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "PANEL_DEVICES=bench\n"
              "PANEL_DEVICES.items=bench|rig\n"
              "PANEL_STATUS=\n"
              "PANEL_PORT0_READ=45\n"  // the module's discrete inputs, 0x2D and 0xB4
              "PANEL_PORT1_READ=180\n"
              "PANEL_PORT16_READ=170\n"
              "PANEL_PORT17_READ=85\n"
              "PANEL_VERSION=4.2.17-be\n")
        << module.output();
}

TEST_F(Program, MissingPanelFileEndsWithMinusOneShowingNothing)
{
#ifdef QM7300_TEST_PROGRAM
    // A copy of the program in a folder without the panel file, run from that folder.
    std::string copy = dir_ + "/QM7300_Test";
    fs::copy_file(QM7300_TEST_PROGRAM, copy);
    Session r = StartProgram(copy, "press PANEL_LIST\n");
    EXPECT_EQ(r.exitCode, 255);  // -1
    EXPECT_EQ(r.out, "");
#endif
}

// A screen the environment names but nobody serves is refused as no screen at all: one line on
// standard error naming the variables tried, status 255 (-1), nothing shown, at once (SDL would
// otherwise fall back on its offscreen driver, an invisible program that never ends).
TEST_F(Program, UnreachableScreensAreRefusedInOneLine)
{
#ifdef QM7300_TEST_PROGRAM
    int number = 97;  // an X display nobody serves
    while (access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0 ||
           access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0)
        number++;
    std::string runtime = dir_ + "/runtime";
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    struct Case {
        const char *what;
        std::vector<std::string> variables;
    } cases[] = {
        {"no screen variable", {}},
        {"an X display nobody serves", {"DISPLAY=:" + std::to_string(number)}},
        {"a Wayland socket that is not there", {"WAYLAND_DISPLAY=rte-no-such-socket", "XDG_RUNTIME_DIR=" + runtime}},
        {"Wayland without XDG_RUNTIME_DIR, as under sudo", {"WAYLAND_DISPLAY=wayland-0"}},
    };
    for (const Case &c : cases) {
        std::vector<std::string> env = EnvironmentWithout(
            {"RTE_", "DISPLAY=", "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR=", "SDL_VIDEODRIVER=", "LSAN_OPTIONS="});
        env.insert(env.end(), c.variables.begin(), c.variables.end());
        if (const char *lsan = getenv("LSAN_OPTIONS"))  // the leak checker's report of what it ignored
            env.push_back(std::string("LSAN_OPTIONS=") + lsan + ":print_suppressions=0");
        Session r = Spawn(QM7300_TEST_PROGRAM, env);
        EXPECT_EQ(r.exitCode, 255) << c.what << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.what;
        EXPECT_THAT(r.err, ::testing::MatchesRegex("rte: no screen display is reachable \\([^\n]*\\); set "
                                                   "RTE_DISPLAY=headless to run without a screen\n"))
            << c.what;
    }
#endif
}

}  // namespace
