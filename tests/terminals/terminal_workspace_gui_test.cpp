// Real shells in VTE terminals under the test display.
#include "support/main_loop.hpp"
#include "support/temp_dir.hpp"
#include "terminals/shell_environment.hpp"
#include "terminals/terminal_container_view.hpp"
#include "terminals/terminal_pane_wrapper.hpp"
#include "terminals/terminal_session_manager.hpp"
#include "terminals/vte_terminal_view.hpp"
#include "terminals/vte_terminal_view_factory.hpp"

#include <gtest/gtest.h>
#include <gtkmm/window.h>

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

namespace tq {
namespace {

using namespace std::chrono_literals;
using test::runMainLoopUntil;

std::string realPath(const std::string& path)
{
    std::error_code error;
    auto resolved = std::filesystem::canonical(path, error);
    return error ? std::string() : resolved.string();
}

std::vector<int> childrenOf(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    std::vector<int> children;
    for (int child; in >> child;)
        children.push_back(child);
    return children;
}

std::string processName(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

// Gone from the process table altogether: ended and reaped.
bool isGone(int pid)
{
    return !std::filesystem::exists("/proc/" + std::to_string(pid));
}

// Ended; reaping an orphan is up to the system's init.
bool hasEnded(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    const auto afterName = stat.rfind(')');
    return stat.empty() || (afterName != std::string::npos && stat.compare(afterName, 3, ") Z") == 0);
}

std::set<std::string> environmentOf(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
    std::set<std::string> entries;
    for (std::string entry; std::getline(in, entry, '\0');)
        entries.insert(entry);
    return entries;
}

VteTerminalView& vte(const std::shared_ptr<TerminalView>& view)
{
    auto* terminal = dynamic_cast<VteTerminalView*>(view.get());
    EXPECT_NE(terminal, nullptr);
    return *terminal;
}

bool showsText(const VteTerminalView& view, const std::string& text, std::chrono::milliseconds timeout = 5s)
{
    return runMainLoopUntil([&] { return view.screenText().find(text) != std::string::npos; }, timeout);
}

// Runs a command and waits for its output. The marker is computed by the shell, so the typed
// command line itself never matches.
bool runAndWait(VteTerminalView& view, const std::string& command, const std::string& tag)
{
    view.sendText(command + "; echo " + tag + "-$((40+2))\n");
    return showsText(view, tag + "-42");
}

bool shellStarted(const VteTerminalView& view)
{
    return runMainLoopUntil([&] { return view.shellProcessId() > 0; });
}

// A window showing one project's terminal area, with bash as the shell and an empty home.
class TerminalWorkspace : public testing::Test {
protected:
    void SetUp() override { test::makeDirectories(projectPath); }

    void show()
    {
        manager->getOrCreateTree(project);
        window = std::make_unique<Gtk::Window>();
        window->set_default_size(900, 600);
        container = Gtk::make_managed<TerminalContainerView>(*manager, project.id(), project.path);
        window->set_child(*container);
        window->present();
        ASSERT_TRUE(runMainLoopUntil([&] { return container->get_width() > 0; }));
    }

    Uuid onlyPane() const { return manager->projectTrees().at(project.id())->id(); }

    test::TempDir home;
    test::TempDir root;
    std::string projectPath = root / "alpha";
    Project project { "alpha", projectPath, "", "" };
    test::ScopedEnv shell { "SHELL", "/bin/bash" };
    test::ScopedEnv homeVariable { "HOME", home.path().c_str() };
    VteTerminalViewFactory factory;
    std::unique_ptr<TerminalSessionManager> manager = std::make_unique<TerminalSessionManager>(factory);
    std::unique_ptr<Gtk::Window> window;
    TerminalContainerView* container = nullptr;
};

TEST_F(TerminalWorkspace, FirstDisplayStartsOneShellInTheProjectFolderWithOnlyTheListedEnvironment)
{
    test::ScopedEnv agent("SSH_AUTH_SOCK", "/tmp/agent.sock");
    test::ScopedEnv logname("LOGNAME", "tester");
    test::ScopedEnv secret("TQ_SHOULD_NOT_LEAK", "1");
    test::ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    show();
    const auto pane = onlyPane();
    auto view = manager->terminalView(pane);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(shellStarted(vte(view)));
    const int pid = view->shellProcessId();

    EXPECT_EQ(realPath("/proc/" + std::to_string(pid) + "/cwd"), realPath(projectPath));
    std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(cmdline), {}), std::string("/bin/bash\0", 10));

    const auto listed = shellEnvironment([](const char* name) { return std::getenv(name); });
    std::set<std::string> expected(listed.begin(), listed.end());
    EXPECT_TRUE(expected.contains("SSH_AUTH_SOCK=/tmp/agent.sock"));
    EXPECT_TRUE(expected.contains("LOGNAME=tester"));
    expected.insert("PWD=" + projectPath);
    auto actual = environmentOf(pid);
    std::erase_if(actual, [](const std::string& entry) { return entry.starts_with("VTE_VERSION="); });
    EXPECT_EQ(actual, expected);

    // Showing the project again (a new container, as after selecting another project and back)
    // reuses the pane, its terminal widget and its shell.
    window->unset_child();
    EXPECT_EQ(manager->getOrCreateTree(project)->id(), pane);
    auto* again = Gtk::make_managed<TerminalContainerView>(*manager, project.id(), project.path);
    window->set_child(*again);
    ASSERT_EQ(again->panes().size(), 1u);
    EXPECT_EQ(again->panes()[0]->terminal(), &vte(view).widget());
    test::runMainLoopFor(200ms);
    EXPECT_EQ(manager->terminalView(pane), view);
    EXPECT_EQ(view->shellProcessId(), pid);
    EXPECT_EQ(childrenOf(getpid()), std::vector<int> { pid }) << "one shell, started once";
}

TEST_F(TerminalWorkspace, ProgramsRunFromTheShellMakeTheProjectActiveButANestedShellDoesNot)
{
    show();
    auto& view = vte(manager->terminalView(onlyPane()));
    ASSERT_TRUE(shellStarted(view));
    ASSERT_TRUE(runAndWait(view, "true", "PROMPT"));
    manager->refreshActiveProjects();
    EXPECT_TRUE(manager->activeProjectIds().empty()) << "a shell at its prompt";

    manager->startMonitoring();
    // A pass comes every 2 s; the margins are for a loaded test machine.
    view.sendText("sleep 5\n");
    EXPECT_TRUE(runMainLoopUntil([&] { return manager->activeProjectIds().contains("alpha"); }, 4500ms));
    EXPECT_TRUE(manager->activationTimes().contains("alpha"));
    EXPECT_TRUE(runMainLoopUntil([&] { return manager->activeProjectIds().empty(); }, 8s));
    EXPECT_TRUE(manager->activationTimes().empty());

    view.sendText("bash\n");
    ASSERT_TRUE(runAndWait(view, "true", "NESTED"));
    const auto children = childrenOf(view.shellProcessId());
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(processName(children[0]), "bash");
    manager->refreshActiveProjects();
    EXPECT_TRUE(manager->activeProjectIds().empty()) << "the same shell inside the shell";
}

TEST_F(TerminalWorkspace, TheShellIsChosenFromShellThenTheLoginShellAndFailuresSaySo)
{
    {
        test::ScopedEnv unset("SHELL", nullptr);
        auto view = factory.createTerminalView(projectPath);
        ASSERT_TRUE(shellStarted(vte(view)));
        const int pid = view->shellProcessId();
        const passwd* account = getpwuid(getuid());
        ASSERT_NE(account, nullptr);
        EXPECT_EQ(realPath("/proc/" + std::to_string(pid) + "/exe"), realPath(account->pw_shell));
        view.reset();
        ASSERT_TRUE(runMainLoopUntil([&] { return isGone(pid); }));
    }

    struct Case {
        const char* shell;
        std::string folder;
        std::string message;
    };
    const std::string missing = root / "gone";
    const Case cases[] {
        { "/bin/bash", missing, "Project folder not found: " + missing },
        { "/nonexistent/fishy", projectPath,
            "Could not start /nonexistent/fishy: No such file or directory" },
        { "bash", projectPath, "Could not start bash: not an absolute path" },
    };
    const auto childrenBefore = childrenOf(getpid());
    for (const auto& row : cases) {
        SCOPED_TRACE(row.message);
        test::ScopedEnv shellVariable("SHELL", row.shell);
        auto view = factory.createTerminalView(row.folder);
        EXPECT_TRUE(showsText(vte(view), row.message)) << vte(view).screenText();
        EXPECT_EQ(view->shellProcessId(), -1);
    }
    EXPECT_EQ(childrenOf(getpid()), childrenBefore) << "nothing was started";
}

TEST_F(TerminalWorkspace, ASplitKeepsTheScreenAndClosingEndsTheShellAndItsJobs)
{
    show();
    const auto first = onlyPane();
    auto& firstView = vte(manager->terminalView(first));
    ASSERT_TRUE(shellStarted(firstView));
    ASSERT_TRUE(runAndWait(firstView, "echo kept-on-screen", "SHOWN"));
    const int firstPid = firstView.shellProcessId();

    manager->splitTerminal(project.id(), first, SplitDirection::horizontal, project.path);
    const auto second = *manager->focusedTerminalId();
    ASSERT_NE(second, first);
    const auto panes = container->panes();
    ASSERT_EQ(panes.size(), 2u);
    EXPECT_EQ(panes[0]->terminal(), &firstView.widget()) << "the same widget moved into the new pane";
    EXPECT_TRUE(showsText(firstView, "kept-on-screen", 100ms));
    EXPECT_EQ(firstView.shellProcessId(), firstPid);
    EXPECT_TRUE(panes[1]->isFocused());
    EXPECT_FALSE(panes[0]->isFocused());
    // The keyboard follows the focus to the new pane.
    auto& secondView = vte(manager->terminalView(second));
    EXPECT_EQ(window->get_focus(), &secondView.widget());

    ASSERT_TRUE(shellStarted(secondView));
    const int secondPid = secondView.shellProcessId();
    secondView.sendText("sleep 1000\n");
    ASSERT_TRUE(runMainLoopUntil([&] { return childrenOf(secondPid).size() == 1; }));
    const int job = childrenOf(secondPid)[0];

    manager->closeTerminal(project.id(), second);
    EXPECT_EQ(container->panes().size(), 1u);
    EXPECT_EQ(manager->focusedTerminalId(), first);
    EXPECT_EQ(window->get_focus(), &firstView.widget());
    EXPECT_TRUE(runMainLoopUntil([&] { return isGone(secondPid); })) << "the shell ended and was reaped";
    EXPECT_TRUE(runMainLoopUntil([&] { return hasEnded(job); })) << "its foreground job got the hang-up";

    // The window's layout ends: the manager goes first, then the widgets.
    manager.reset();
    window.reset();
    EXPECT_TRUE(runMainLoopUntil([&] { return isGone(firstPid); }));
}

} // namespace
} // namespace tq
