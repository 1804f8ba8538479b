#include "fake_terminal_view.hpp"
#include "support/main_loop.hpp"
#include "terminals/terminal_session_manager.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace tq {
namespace {

using test::FakeTerminalView;
using test::FakeTerminalViewFactory;

Project project(const std::string& name)
{
    return Project { name, "/projects/" + name, "", "" };
}

// Counts every publication of the manager.
struct Publications {
    explicit Publications(TerminalSessionManager& manager)
    {
        manager.projectTreesChanged().connect([this] { ++trees; });
        manager.focusedTerminalIdChanged().connect([this] { ++focus; });
        manager.activeProjectIdsChanged().connect([this] { ++active; });
    }
    int trees = 0;
    int focus = 0;
    int active = 0;
};

class TerminalSessionManagerTest : public testing::Test {
protected:
    // Builds the tree of project "a" as P1 | P2 (side by side) and returns {P1, P2}.
    std::vector<Uuid> twoPanes()
    {
        const auto p1 = manager.getOrCreateTree(project("a"))->id();
        manager.getOrCreateTerminalView(p1, "/projects/a");
        manager.splitTerminal("a", p1, SplitDirection::horizontal, "/projects/a");
        return allTerminalIds(manager.projectTrees().at("a"));
    }

    FakeTerminalViewFactory factory;
    std::set<int> activePids;
    std::vector<int> testedPids;
    TerminalSessionManager manager { factory, [this](int pid) {
                                        testedPids.push_back(pid);
                                        return activePids.contains(pid);
                                    } };
};

TEST_F(TerminalSessionManagerTest, FirstDisplayCreatesOneFocusedPaneAndShowingAgainChangesNothing)
{
    Publications published(manager);
    const auto tree = manager.getOrCreateTree(project("a"));
    ASSERT_TRUE(tree->isTerminal());
    EXPECT_EQ(manager.focusedTerminalId(), tree->id());
    EXPECT_EQ(manager.projectOf(tree->id()), "a");
    EXPECT_EQ(published.trees, 1);
    EXPECT_EQ(published.focus, 1);
    EXPECT_TRUE(factory.directories.empty()) << "the shell starts when the pane is first shown";

    const auto view = manager.getOrCreateTerminalView(tree->id(), "/projects/a");
    EXPECT_EQ(manager.getOrCreateTerminalView(tree->id(), "/elsewhere"), view);
    EXPECT_EQ(factory.directories, std::vector<std::string> { "/projects/a" });

    // Another project takes the focus; showing "a" again neither creates nor refocuses anything.
    const auto other = manager.getOrCreateTree(project("b"));
    EXPECT_EQ(manager.getOrCreateTree(project("a")), tree);
    EXPECT_EQ(manager.focusedTerminalId(), other->id());
    EXPECT_EQ(published.trees, 2);
    EXPECT_EQ(published.focus, 2);
    EXPECT_EQ(factory.directories.size(), 1u);
}

TEST_F(TerminalSessionManagerTest, NewTerminalPutsTheWholeLayoutLeftAndFocusesTheNewPaneOnTheRight)
{
    const auto panes = twoPanes();
    const auto before = manager.projectTrees().at("a");
    Publications published(manager);
    std::vector<std::string> seenAtPublication;
    manager.projectTreesChanged().connect([&] {
        // Observers re-rendering on the change find the new pane's view and owner in place.
        const auto ids = allTerminalIds(manager.projectTrees().at("a"));
        seenAtPublication.push_back(
            manager.terminalView(ids.back()) && manager.projectOf(ids.back()) ? "ready" : "missing");
    });

    manager.addTerminal("a", "/projects/a");

    const auto tree = manager.projectTrees().at("a");
    ASSERT_FALSE(tree->isTerminal());
    EXPECT_EQ(tree->direction(), SplitDirection::horizontal);
    EXPECT_EQ(tree->first(), before);
    ASSERT_TRUE(tree->second()->isTerminal());
    const auto p3 = tree->second()->id();
    EXPECT_EQ(allTerminalIds(tree), (std::vector<Uuid> { panes[0], panes[1], p3 }));
    EXPECT_EQ(manager.focusedTerminalId(), p3);
    EXPECT_EQ(manager.projectOf(p3), "a");
    EXPECT_EQ(factory.directories.back(), "/projects/a");
    EXPECT_EQ(seenAtPublication, std::vector<std::string> { "ready" });
    EXPECT_EQ(published.focus, 1);

    // A project never shown gets a single pane.
    manager.addTerminal("fresh", "/projects/fresh");
    EXPECT_TRUE(manager.projectTrees().at("fresh")->isTerminal());
    EXPECT_EQ(manager.focusedTerminalId(), manager.projectTrees().at("fresh")->id());
}

TEST_F(TerminalSessionManagerTest, SplitKeepsTheFocusedPaneFirstAndFocusesTheNewOne)
{
    const auto panes = twoPanes();
    const auto tree = manager.projectTrees().at("a");
    ASSERT_EQ(panes.size(), 2u);
    EXPECT_EQ(tree->direction(), SplitDirection::horizontal);
    EXPECT_EQ(manager.focusedTerminalId(), panes[1]);
    EXPECT_EQ(factory.directories.size(), 2u) << "the new pane's shell starts at once";

    manager.splitTerminal("a", panes[1], SplitDirection::vertical, "/projects/a");
    const auto three = manager.projectTrees().at("a");
    EXPECT_EQ(three->id(), tree->id());
    ASSERT_FALSE(three->second()->isTerminal());
    EXPECT_EQ(three->second()->direction(), SplitDirection::vertical);
    EXPECT_EQ(three->second()->first()->id(), panes[1]);
    EXPECT_EQ(manager.focusedTerminalId(), three->second()->second()->id());
}

TEST_F(TerminalSessionManagerTest, RequestsForAProjectWithoutTreeOrForAnotherProjectsPaneDoNothing)
{
    const auto panes = twoPanes();
    const auto otherPane = manager.getOrCreateTree(project("b"))->id();
    const auto treeA = manager.projectTrees().at("a");
    const auto views = factory.directories.size();
    Publications published(manager);

    manager.splitTerminal("none", panes[0], SplitDirection::horizontal, "/projects/none");
    manager.closeTerminal("none", panes[0]);
    // The focus is shared by all projects and may name a pane of "b" while "a" is shown.
    manager.splitTerminal("a", otherPane, SplitDirection::horizontal, "/projects/a");
    manager.closeTerminal("a", otherPane);
    manager.splitTerminal("a", Uuid::random(), SplitDirection::vertical, "/projects/a");
    manager.closeTerminal("a", Uuid::random());

    EXPECT_EQ(manager.projectTrees().at("a"), treeA);
    EXPECT_EQ(manager.projectTrees().count("none"), 0u);
    EXPECT_EQ(manager.focusedTerminalId(), otherPane);
    EXPECT_EQ(manager.projectOf(otherPane), "b");
    EXPECT_EQ(factory.directories.size(), views) << "no shell was started";
    EXPECT_EQ(published.trees + published.focus, 0);
}

TEST_F(TerminalSessionManagerTest, ClosingRefusesTheLastPaneAndMovesFocusOnlyOffTheClosedPane)
{
    const auto single = manager.getOrCreateTree(project("solo"));
    manager.getOrCreateTerminalView(single->id(), "/projects/solo");
    manager.closeTerminal("solo", single->id());
    EXPECT_EQ(manager.projectTrees().at("solo"), single);
    EXPECT_NE(manager.terminalView(single->id()), nullptr);

    auto panes = twoPanes();
    manager.splitTerminal("a", panes[1], SplitDirection::vertical, "/projects/a");
    panes = allTerminalIds(manager.projectTrees().at("a")); // P1 | (P2 / P3), P3 focused
    const int liveBefore = factory.liveViews;

    // Closing an unfocused pane leaves the focus where it was and releases the pane's view.
    manager.closeTerminal("a", panes[1]);
    EXPECT_EQ(allTerminalIds(manager.projectTrees().at("a")), (std::vector<Uuid> { panes[0], panes[2] }));
    EXPECT_EQ(manager.focusedTerminalId(), panes[2]);
    EXPECT_EQ(manager.terminalView(panes[1]), nullptr);
    EXPECT_EQ(manager.projectOf(panes[1]), std::nullopt);
    EXPECT_EQ(factory.liveViews, liveBefore - 1);

    // Closing the focused pane moves the focus to the top-left pane.
    Publications published(manager);
    manager.closeTerminal("a", panes[2]);
    EXPECT_TRUE(manager.projectTrees().at("a")->isTerminal());
    EXPECT_EQ(manager.focusedTerminalId(), panes[0]);
    EXPECT_EQ(published.trees, 1);
    EXPECT_EQ(published.focus, 1);
    EXPECT_EQ(factory.liveViews, liveBefore - 2);

    manager.closeTerminal("a", panes[0]);
    EXPECT_NE(manager.terminalView(panes[0]), nullptr) << "the last pane stays";
}

TEST_F(TerminalSessionManagerTest, ActivityPassPublishesOnlyChangesAndKeepsFirstActivationTimes)
{
    // "a": P1 | P2 with shells 1000 and 1001; "b": one pane whose shell never started; "c": one
    // pane never shown (no view).
    twoPanes();
    const auto b = manager.getOrCreateTree(project("b"))->id();
    auto viewB
        = std::dynamic_pointer_cast<FakeTerminalView>(manager.getOrCreateTerminalView(b, "/projects/b"));
    viewB->setShellProcessId(-1);
    manager.getOrCreateTree(project("c"));

    Publications published(manager);
    std::vector<bool> timeSeenAtPublication;
    manager.activeProjectIdsChanged().connect(
        [&] { timeSeenAtPublication.push_back(manager.activationTimes().contains("a")); });

    manager.refreshActiveProjects();
    EXPECT_TRUE(manager.activeProjectIds().empty());
    EXPECT_EQ(published.active, 0);
    EXPECT_EQ(std::set<int>(testedPids.begin(), testedPids.end()), (std::set<int> { 1000, 1001 }))
        << "panes without a view or without a shell are skipped";

    // Both shells run a program: the walk stops at the first active pane.
    activePids = { 1000, 1001 };
    testedPids.clear();
    const auto before = TerminalSessionManager::Clock::now();
    manager.refreshActiveProjects();
    const auto after = TerminalSessionManager::Clock::now();
    EXPECT_EQ(manager.activeProjectIds(), std::set<std::string> { "a" });
    EXPECT_EQ(testedPids, std::vector<int> { 1000 });
    ASSERT_TRUE(manager.activationTimes().contains("a"));
    const auto firstSeen = manager.activationTimes().at("a");
    EXPECT_TRUE(before <= firstSeen && firstSeen <= after);
    EXPECT_EQ(published.active, 1);
    EXPECT_EQ(timeSeenAtPublication, std::vector<bool> { true });

    // Still active through the other pane: same set, no publication, first time kept.
    activePids = { 1001 };
    manager.refreshActiveProjects();
    EXPECT_EQ(published.active, 1);
    EXPECT_EQ(manager.activationTimes().at("a"), firstSeen);

    // Idle: the time goes with the set; active again: a new time.
    activePids.clear();
    manager.refreshActiveProjects();
    EXPECT_TRUE(manager.activeProjectIds().empty());
    EXPECT_TRUE(manager.activationTimes().empty());
    EXPECT_EQ(published.active, 2);
    activePids = { 1000 };
    manager.refreshActiveProjects();
    EXPECT_GE(manager.activationTimes().at("a"), firstSeen);
    EXPECT_EQ(published.active, 3);
    EXPECT_EQ(manager.activationTimes().size(), manager.activeProjectIds().size());
}

TEST(TerminalSessionManagerMonitor, RunsEveryTwoSecondsOnceStartedAndStopsWithTheManager)
{
    FakeTerminalViewFactory factory;
    int passes = 0;
    {
        TerminalSessionManager manager(factory, [&](int) {
            ++passes;
            return false;
        });
        const auto pane = manager.getOrCreateTree(project("a"))->id();
        manager.getOrCreateTerminalView(pane, "/projects/a");
        manager.startMonitoring();
        manager.startMonitoring();
        // Whole-second timers fire up to a quarter second early or late.
        test::runMainLoopFor(std::chrono::milliseconds(1700));
        EXPECT_EQ(passes, 0);
        EXPECT_TRUE(test::runMainLoopUntil([&] { return passes > 0; }, std::chrono::milliseconds(1200)));
        EXPECT_EQ(passes, 1) << "a second start adds no second monitor";
    }
    test::runMainLoopFor(std::chrono::milliseconds(2800));
    EXPECT_EQ(passes, 1);
}

} // namespace
} // namespace tq
