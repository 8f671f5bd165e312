// Benchmark of the test panel program's start-up: launching QM7300_Test headless with a
// one-line operator script that presses Quit, so each run covers process start, engine start,
// loading the panel file, the first processed event and the orderly end. The baseline is the
// cheapest process launch there is, /bin/true, measured the same way in the same run.
//
// The program is looked up beside this benchmark's build folder (../app/QM7300_Test) unless
// QM7300_TEST_PROGRAM names it. Wall-clock time is measured: the work happens in the child.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char **environ;

namespace {

std::string ProgramPath()
{
    if (const char *p = getenv("QM7300_TEST_PROGRAM"))
        return p;
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "";
    self[n] = '\0';
    std::string dir(self);
    dir = dir.substr(0, dir.rfind('/'));       // .../bench
    dir = dir.substr(0, dir.rfind('/'));       // the build folder
    return dir + "/app/QM7300_Test";
}

// Spawns path with the given extra environment, output discarded; returns its exit status.
int Launch(const std::string &path, const std::vector<std::string> &extraEnv)
{
    std::vector<std::string> env;
    for (char **e = environ; *e != nullptr; e++)
        env.push_back(*e);
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char *> envp;
    for (std::string &s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string arg0 = path;
    char *argv[] = {arg0.data(), nullptr};
    pid_t pid;
    int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_TrueLaunch(benchmark::State &state)
{
    for (auto _ : state) {
        if (Launch("/bin/true", {}) != 0) {
            state.SkipWithError("/bin/true failed");
            break;
        }
    }
}
BENCHMARK(BM_TrueLaunch)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PanelStartupToFirstEvent(benchmark::State &state)
{
    std::string program = ProgramPath();
    char scriptPath[] = "/tmp/qm7300_bench_XXXXXX";
    int fd = mkstemp(scriptPath);
    if (fd < 0 || write(fd, "press PANEL_QUIT\n", 17) != 17) {
        state.SkipWithError("cannot write the operator script");
        return;
    }
    ::close(fd);
    std::vector<std::string> env = {"RTE_DISPLAY=headless", std::string("RTE_SCRIPT=") + scriptPath};
    for (auto _ : state) {
        if (Launch(program, env) != 0) {
            state.SkipWithError(("the program failed to start and quit: " + program).c_str());
            break;
        }
    }
    unlink(scriptPath);
}
BENCHMARK(BM_PanelStartupToFirstEvent)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
