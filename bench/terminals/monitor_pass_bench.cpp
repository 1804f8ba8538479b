// One pass of the terminal activity monitor over 100 panes' shells, all idle, so that every
// pane is examined (a pass stops at a project's first active pane).
#include "terminals/process_table.hpp"
#include "terminals/terminal_session_manager.hpp"

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int projects = 10;
constexpr int panesPerProject = 10;

class FixedPidView : public tq::TerminalView {
public:
    explicit FixedPidView(int pid)
        : pid_(pid)
    {
    }
    int shellProcessId() const override { return pid_; }

private:
    int pid_;
};

// Hands out views whose "shells" are the given process ids, in order.
class FixedPidFactory : public tq::TerminalViewFactory {
public:
    explicit FixedPidFactory(std::vector<int> pids)
        : pids_(std::move(pids))
    {
    }
    std::shared_ptr<tq::TerminalView> createTerminalView(const std::string&) override
    {
        return std::make_shared<FixedPidView>(pids_.at(next_++));
    }

private:
    std::vector<int> pids_;
    std::size_t next_ = 0;
};

// 10 projects of 10 panes each (every new pane splits the last one).
void addPanes(tq::TerminalSessionManager& manager)
{
    for (int p = 0; p < projects; ++p) {
        const auto name = "project-" + std::to_string(p);
        auto pane = manager.getOrCreateTree(tq::Project { name, "/projects/" + name, "", "" })->id();
        manager.getOrCreateTerminalView(pane, "/projects/" + name);
        for (int i = 1; i < panesPerProject; ++i) {
            manager.splitTerminal(name, *manager.focusedTerminalId(),
                i % 2 ? tq::SplitDirection::horizontal : tq::SplitDirection::vertical, "/projects/" + name);
        }
    }
}

void runPasses(benchmark::State& state, const std::vector<int>& shells, const std::string& procRoot)
{
    FixedPidFactory factory(shells);
    tq::TerminalSessionManager manager(
        factory, [&](int pid) { return tq::hasActiveChildProcess(pid, procRoot); });
    addPanes(manager);
    for (auto _ : state) {
        manager.refreshActiveProjects();
        benchmark::DoNotOptimize(manager.activeProjectIds());
    }
    if (!manager.activeProjectIds().empty())
        state.SkipWithError("a shell was taken for active");
}

// A table shaped like /proc on tmpfs: 100 bash shells, each with a nested bash as its only
// child, so every shell costs the most reads.
void BM_MonitorPassSyntheticProcTable(benchmark::State& state)
{
    char pattern[] = "/dev/shm/tq-bench-proc.XXXXXX";
    const std::string root = mkdtemp(pattern);
    std::vector<int> shells;
    for (int i = 0; i < projects * panesPerProject; ++i) {
        const int shell = 20000 + 2 * i;
        const int child = shell + 1;
        for (int pid : { shell, child }) {
            const auto folder = root + "/" + std::to_string(pid);
            std::filesystem::create_directories(folder + "/task/" + std::to_string(pid));
            std::ofstream(folder + "/comm") << "bash\n";
            std::ofstream(folder + "/task/" + std::to_string(pid) + "/children")
                << (pid == shell ? std::to_string(child) + " " : "");
        }
        shells.push_back(shell);
    }
    runPasses(state, shells, root);
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_MonitorPassSyntheticProcTable)->Unit(benchmark::kMicrosecond);

// The real process table: 100 processes of this program with no child (a shell at its
// prompt), or each with a copy of itself as its only child (same name, so still idle; the
// most reads per shell).
void BM_MonitorPassRealProcTable(benchmark::State& state)
{
    const bool withChild = state.range(0) == 1;
    std::vector<int> shells;
    for (int i = 0; i < projects * panesPerProject; ++i) {
        int ready[2];
        if (pipe(ready) != 0)
            throw std::runtime_error("pipe");
        const pid_t shell = fork();
        if (shell == 0) {
            close(ready[0]);
            if (withChild && fork() == 0) {
                pause();
                _exit(0);
            }
            if (write(ready[1], "x", 1) != 1)
                _exit(1);
            pause();
            _exit(0);
        }
        close(ready[1]);
        char byte;
        if (read(ready[0], &byte, 1) != 1)
            throw std::runtime_error("child did not start");
        close(ready[0]);
        shells.push_back(shell);
    }
    runPasses(state, shells, "/proc");
    for (int shell : shells) {
        // Ends the shell's own child too: they share the process group of this program, so
        // signal the child through the shell's children list.
        std::ifstream children(
            "/proc/" + std::to_string(shell) + "/task/" + std::to_string(shell) + "/children");
        for (int child; children >> child;)
            kill(child, SIGKILL);
        kill(shell, SIGKILL);
        waitpid(shell, nullptr, 0);
    }
}
BENCHMARK(BM_MonitorPassRealProcTable)
    ->ArgName("sameNameChild")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

void BM_HasActiveChildProcessOneIdleShell(benchmark::State& state)
{
    const pid_t shell = fork();
    if (shell == 0) {
        pause();
        _exit(0);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(tq::hasActiveChildProcess(shell));
    kill(shell, SIGKILL);
    waitpid(shell, nullptr, 0);
}
BENCHMARK(BM_HasActiveChildProcessOneIdleShell)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
