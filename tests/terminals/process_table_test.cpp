#include "support/temp_dir.hpp"
#include "terminals/process_table.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tq {
namespace {

struct FakeProcess {
    int pid;
    const char* name; // nullptr: no readable comm
    std::vector<int> children;
    bool childrenReadable = true;
};

// Lays out `procRoot/PID/comm` and `procRoot/PID/task/PID/children` as the kernel does.
void writeProcessTable(const std::string& procRoot, const std::vector<FakeProcess>& processes)
{
    for (const auto& process : processes) {
        const auto folder = procRoot + "/" + std::to_string(process.pid);
        const auto task = folder + "/task/" + std::to_string(process.pid);
        test::makeDirectories(task);
        if (process.name)
            test::writeFile(folder + "/comm", std::string(process.name) + "\n");
        if (process.childrenReadable) {
            std::string list;
            for (int child : process.children)
                list += std::to_string(child) + " ";
            test::writeFile(task + "/children", list);
        }
    }
}

std::vector<int> range(int first, int count)
{
    std::vector<int> ids;
    for (int i = 0; i < count; ++i)
        ids.push_back(first + i);
    return ids;
}

TEST(ProcessTable, AShellIsActiveOnlyWithAReadableChildOfAnotherName)
{
    struct Case {
        const char* what;
        std::vector<FakeProcess> table;
        int pid;
        bool active;
    };
    std::vector<FakeProcess> sixtyFiveChildren { { 10, "bash", range(100, 65) } };
    std::vector<FakeProcess> sixtyFourChildren { { 10, "bash", range(100, 64) } };
    for (int pid : range(100, 65)) {
        sixtyFiveChildren.push_back({ pid, pid == 164 ? "sleep" : "bash", {} });
        sixtyFourChildren.push_back({ pid, pid == 163 ? "sleep" : "bash", {} });
    }
    const std::vector<Case> cases {
        { "no children", { { 10, "bash", {} } }, 10, false },
        { "a program", { { 10, "bash", { 11 } }, { 11, "sleep", {} } }, 10, true },
        { "the same shell inside the shell", { { 10, "bash", { 11 } }, { 11, "bash", {} } }, 10, false },
        { "a nested shell's program is not the shell's child",
            { { 10, "bash", { 11 } }, { 11, "bash", { 12 } }, { 12, "vim", {} } }, 10, false },
        { "another shell counts", { { 10, "bash", { 11 } }, { 11, "zsh", {} } }, 10, true },
        { "names compare byte for byte", { { 10, "bash", { 11 } }, { 11, "Bash", {} } }, 10, true },
        { "a child without readable name does not count", { { 10, "bash", { 11 } } }, 10, false },
        { "an unreadable child before a program", { { 10, "bash", { 11, 12 } }, { 12, "node", {} } }, 10,
            true },
        { "children list unreadable", { { 10, "bash", { 11 }, false }, { 11, "sleep", {} } }, 10, false },
        { "shell name unreadable", { { 10, nullptr, { 11 } }, { 11, "sleep", {} } }, 10, false },
        { "process missing", { { 10, "bash", { 11 } }, { 11, "sleep", {} } }, 99, false },
        { "pid zero", { { 10, "bash", { 11 } }, { 11, "sleep", {} } }, 0, false },
        { "negative pid", { { 10, "bash", { 11 } }, { 11, "sleep", {} } }, -1, false },
        { "a program as 64th child", sixtyFourChildren, 10, true },
        { "children past the 64th are not examined", sixtyFiveChildren, 10, false },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        test::TempDir proc;
        writeProcessTable(proc.path(), row.table);
        EXPECT_EQ(hasActiveChildProcess(row.pid, proc.path()), row.active);
    }
}

TEST(ProcessTable, ReadsTheRealProcessTable)
{
    // A forked copy of this process keeps its name; once it runs sleep it counts.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t copy = fork();
    ASSERT_GE(copy, 0);
    if (copy == 0) {
        close(ready[0]);
        if (write(ready[1], "x", 1) != 1)
            _exit(1);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    EXPECT_FALSE(hasActiveChildProcess(getpid()));

    const pid_t sleeper = fork();
    ASSERT_GE(sleeper, 0);
    if (sleeper == 0) {
        execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    // exec has happened once the name changed.
    bool active = false;
    for (int i = 0; i < 200 && !active; ++i) {
        active = hasActiveChildProcess(getpid());
        if (!active)
            usleep(10000);
    }
    EXPECT_TRUE(active);

    for (pid_t child : { copy, sleeper }) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    EXPECT_FALSE(hasActiveChildProcess(getpid()));
}

} // namespace
} // namespace tq
