#include "app/workspace_controller.hpp"

#include "support/main_loop.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace tq {
namespace {

using namespace std::chrono_literals;
using test::TempDir;

class NoShellTerminalView : public TerminalView {
public:
    int shellProcessId() const override { return -1; }
};

class CountingFactory : public TerminalViewFactory {
public:
    std::shared_ptr<TerminalView> createTerminalView(const std::string&) override
    {
        ++created;
        return std::make_shared<NoShellTerminalView>();
    }
    int created = 0;
};

class WorkspaceControllerTest : public testing::Test {
protected:
    WorkspaceControllerTest()
    {
        test::makeDirectories(temp / "root/alpha/.tavoro");
        test::makeDirectories(temp / "root/beta");
        test::writeFile(temp / "root/alpha/.tavoro/progress.md", "# Progress\n");
        test::writeFile(temp / "root/beta/BOOTSTRAP.md", "bootstrap");
        projectManager.setRootDirectory(temp / "root");
    }

    const Project& project(const std::string& id)
    {
        for (const auto& candidate : projectManager.projects())
            if (candidate.id() == id)
                return candidate;
        throw std::runtime_error("no project " + id);
    }

    void select(const std::string& id)
    {
        selection.set(project(id));
        sessions.getOrCreateTree(*selection.project()); // what the terminal column does on display
    }

    int panes(const std::string& id)
    {
        const auto found = sessions.projectTrees().find(id);
        return found == sessions.projectTrees().end() ? 0 : paneCount(found->second);
    }

    TempDir temp;
    test::ScopedEnv config{"XDG_CONFIG_HOME", (temp / "config").c_str()};
    AppState appState;
    ProjectManager projectManager{SettingsFile::atDefaultLocation()};
    CountingFactory factory;
    TerminalSessionManager sessions{factory, [](int) { return false; }};
    FileWatcher watcher;
    ProjectSelection selection;
    bool isActiveWindow = true;
    WorkspaceController controller{appState, projectManager, sessions, watcher, selection,
                                   [this] { return isActiveWindow; }};
};

TEST_F(WorkspaceControllerTest, RequestsWithoutASelectedProjectDoNothingAndAreCleared)
{
    appState.setNewTabAction(true);
    appState.setSplitAction(SplitDirection::horizontal);
    appState.setClosePaneAction(true);
    EXPECT_FALSE(appState.newTabAction());
    EXPECT_FALSE(appState.splitAction());
    EXPECT_FALSE(appState.closePaneAction());
    EXPECT_TRUE(sessions.projectTrees().empty());
    EXPECT_EQ(factory.created, 0);
}

TEST_F(WorkspaceControllerTest, SplitAndNewTerminalRequestsActOnTheSelectedProject)
{
    select("alpha");
    const auto first = *sessions.focusedTerminalId();

    appState.setSplitAction(SplitDirection::horizontal);
    EXPECT_FALSE(appState.splitAction()) << "the request is cleared once handled";
    EXPECT_EQ(panes("alpha"), 2);
    const auto tree = sessions.projectTrees().at("alpha");
    EXPECT_EQ(tree->direction(), SplitDirection::horizontal);
    EXPECT_EQ(tree->first()->id(), first);
    EXPECT_EQ(sessions.focusedTerminalId(), tree->second()->id()) << "the new pane has the focus";

    // The same request again is seen again.
    appState.setSplitAction(SplitDirection::vertical);
    EXPECT_EQ(panes("alpha"), 3);
    EXPECT_EQ(sessions.projectTrees().at("alpha")->second()->direction(), SplitDirection::vertical);

    appState.setNewTabAction(true);
    EXPECT_FALSE(appState.newTabAction());
    EXPECT_EQ(panes("alpha"), 4);
    EXPECT_EQ(panes("beta"), 0);
}

TEST_F(WorkspaceControllerTest, CloseRequestKeepsTheLastPaneAndClosesAnyOther)
{
    select("alpha");
    appState.setClosePaneAction(true);
    EXPECT_FALSE(appState.closePaneAction());
    EXPECT_EQ(panes("alpha"), 1);

    const auto first = *sessions.focusedTerminalId();
    appState.setSplitAction(SplitDirection::horizontal);
    appState.setClosePaneAction(true);
    EXPECT_EQ(panes("alpha"), 1);
    EXPECT_EQ(sessions.focusedTerminalId(), first) << "the focus moves to the remaining pane";
}

TEST_F(WorkspaceControllerTest, AnInactiveWindowLeavesRequestsToTheActiveOne)
{
    select("alpha");
    isActiveWindow = false;
    appState.setSplitAction(SplitDirection::horizontal);
    EXPECT_EQ(panes("alpha"), 1);
    EXPECT_TRUE(appState.splitAction()) << "still pending for the active window";
}

TEST_F(WorkspaceControllerTest, TheWatcherFollowsTheSelectionAndADocumentChangeReloadsTheProjects)
{
    controller.workspaceAppeared();
    select("alpha");
    ASSERT_EQ(watcher.watchedDirectories(), std::vector<std::string>{temp / "root/alpha/.tavoro"});

    test::writeFile(temp / "root/alpha/.tavoro/progress.md", "# Progress\n\n- [x] Done\n");
    EXPECT_TRUE(test::runMainLoopUntil([&] { return project("alpha").progress == "# Progress\n\n- [x] Done\n"; },
                                       4s));
    ASSERT_TRUE(watcher.lastChange());
    EXPECT_EQ(watcher.lastChange()->path, temp / "root/alpha/.tavoro/progress.md");

    // Files elsewhere in the project are not watched.
    const auto seen = watcher.lastChange();
    test::writeFile(temp / "root/alpha/notes.md", "elsewhere");
    test::runMainLoopFor(1500ms);
    EXPECT_EQ(watcher.lastChange(), seen);

    // Nothing selected: nothing watched.
    selection.set(std::nullopt);
    test::writeFile(temp / "root/alpha/.tavoro/progress.md", "# Progress\n\n- [x] Done twice\n");
    test::runMainLoopFor(1500ms);
    EXPECT_EQ(watcher.lastChange(), seen);
}

TEST_F(WorkspaceControllerTest, ThePreparingStateFollowsBootstrapWithoutAFileEvent)
{
    controller.workspaceAppeared();
    ASSERT_EQ(projectManager.preparingProjectIds(), std::set<std::string>{"beta"});
    std::filesystem::remove(temp / "root/beta/BOOTSTRAP.md");
    EXPECT_TRUE(test::runMainLoopUntil([&] { return projectManager.preparingProjectIds().empty(); }, 3s));

    controller.workspaceDisappeared();
    test::writeFile(temp / "root/beta/BOOTSTRAP.md", "again");
    test::runMainLoopFor(2500ms);
    EXPECT_TRUE(projectManager.preparingProjectIds().empty()) << "no refresh while the workspace is not shown";
}

} // namespace
} // namespace tq
