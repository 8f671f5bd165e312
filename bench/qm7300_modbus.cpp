// Benchmarks of the device library on the network, against qm7300-sim on loopback (started once
// for the run, serving 32 simulated devices as units 1-32):
//   - QM_ReadPort on an open network device, against libmodbus's modbus_read_input_bits asking
//     the same server the same question on a connection of its own: what the library adds to
//     a Modbus round trip (its tables, the device's lock, the bits packed into a port);
//   - the test panel program reaching 32 devices: one run of QM7300_Test, headless, whose
//     operator lists the devices and reads the four ports of each, against the same program
//     only started and quit (its start-up, measured the same way).
// Wall-clock time: the work is in the server and, for the panel, in a child process.
#include "qm7300/QM7300.h"
#include "qm7300/modbus_peers_testing.h"

#include <benchmark/benchmark.h>
#include <modbus/modbus.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kDevices = 32;
int g_port;  // qm7300-sim's

std::string Folder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/bench_qm7300_XXXXXX";
        return std::string(mkdtemp(pattern));
    }();
    return folder;
}

std::string Write(const std::string &name, const std::string &text)
{
    std::string path = Folder() + "/" + name;
    std::ofstream(path) << text;
    return path;
}

// The devices file of the panel and the library: dev01 .. dev32 at qm7300-sim's units 1-32.
std::string NetworkDevices()
{
    std::string text;
    char name[16];
    for (int unit = 1; unit <= kDevices; unit++) {
        snprintf(name, sizeof name, "dev%02d", unit);
        text += std::string("device ") + name + "\n  modbus 127.0.0.1:" + std::to_string(g_port) +
                "\n  unit " + std::to_string(unit) + "\n";
    }
    return Write("network.devices", text);
}

void BM_QM_ReadPort(benchmark::State &state)
{
    setenv("QM7300_DEVICES", NetworkDevices().c_str(), 1);
    int h = 0;
    char err[QM_ERROR_TEXT_SIZE];
    if (QM_OpenDIO("dev01", &h) != QM_OK) {
        QM_GetLastError(err);
        state.SkipWithError(err);
        return;
    }
    unsigned char value;
    for (auto _ : state) {
        if (QM_ReadPort(h, 0, &value, err) != QM_OK) {
            state.SkipWithError(err);
            break;
        }
        benchmark::DoNotOptimize(value);
    }
    QM_CloseDIO(h);
}
BENCHMARK(BM_QM_ReadPort)->UseRealTime();

void BM_LibmodbusReadInputBits(benchmark::State &state)
{
    modbus_t *context = modbus_new_tcp("127.0.0.1", g_port);
    modbus_set_slave(context, 1);
    if (modbus_connect(context) != 0) {
        state.SkipWithError(modbus_strerror(errno));
        modbus_free(context);
        return;
    }
    uint8_t bits[8];
    for (auto _ : state) {
        if (modbus_read_input_bits(context, 0, 8, bits) != 8) {
            state.SkipWithError(modbus_strerror(errno));
            break;
        }
        benchmark::DoNotOptimize(bits);
    }
    modbus_close(context);
    modbus_free(context);
}
BENCHMARK(BM_LibmodbusReadInputBits)->UseRealTime();

// One headless run of QM7300_Test playing script on the network devices; exit status 0 or a
// failure for state.
void RunPanel(benchmark::State &state, const std::string &script)
{
    std::string devices = NetworkDevices();
    std::string scriptPath = Write("script.txt", script);
    std::string command = "cd " + Folder() + " && env -u QM7300_SIM QM7300_DEVICES=" + devices +
                          " RTE_DISPLAY=headless RTE_SCRIPT=" + scriptPath + " " +
                          QM7300_TEST_PROGRAM + " >/dev/null 2>panel.err";
    for (auto _ : state) {
        if (system(command.c_str()) != 0) {
            state.SkipWithError(("QM7300_Test failed; see " + Folder() + "/panel.err").c_str());
            break;
        }
    }
}

void BM_PanelStartAndQuit(benchmark::State &state) { RunPanel(state, "press PANEL_QUIT\n"); }
BENCHMARK(BM_PanelStartAndQuit)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PanelListAndRead32Devices(benchmark::State &state)
{
    std::string script = "press PANEL_LIST\n";
    char line[64];
    for (int unit = 1; unit <= kDevices; unit++) {
        snprintf(line, sizeof line, "select PANEL_DEVICES dev%02d\npress PANEL_READ\n", unit);
        script += line;
    }
    // A failed read leaves its text in the status line: the run then fails.
    script += "expect PANEL_STATUS \"\"\npress PANEL_QUIT\n";
    RunPanel(state, script);
}
BENCHMARK(BM_PanelListAndRead32Devices)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    std::string units;
    for (int unit = 1; unit <= kDevices; unit++)
        units += "device sim" + std::to_string(unit) + "\n";
    qm7300::testing::PeerProcess sim(
        {QM7300_SIM_PROGRAM, "--listen", "127.0.0.1:0", Write("sim.devices", units)});
    g_port = sim.port();
    if (g_port == 0) {
        fprintf(stderr, "qm7300-sim did not start:\n%s\n", sim.output().c_str());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sim.Stop();
    std::string cleanup = "rm -rf " + Folder();
    return system(cleanup.c_str()) == 0 ? 0 : 1;
}
