#include "sidebar/project_ordering.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tq {
namespace {

using Ids = std::set<std::string>;
using Clock = std::chrono::system_clock;

Project projectNamed(const std::string& name)
{
    return {name, "/projects/" + name, "", ""};
}

std::vector<std::string> namesOf(const std::vector<ListedProject>& listed)
{
    std::vector<std::string> names;
    for (const auto& entry : listed)
        names.push_back(entry.project->name);
    return names;
}

TEST(ProjectState, PinnedBeatsActiveBeatsPreparing)
{
    struct Row {
        const char* what;
        bool pinned, preparing, active;
        ProjectState expected;
    };
    const Row rows[] = {
        {"nothing", false, false, false, ProjectState::normal},
        {"preparing", false, true, false, ProjectState::preparing},
        {"active", false, false, true, ProjectState::active},
        {"pinned", true, false, false, ProjectState::pinned},
        {"preparing and active", false, true, true, ProjectState::active},
        {"pinned and active", true, false, true, ProjectState::pinned},
        {"pinned and preparing", true, true, false, ProjectState::pinned},
        {"everything", true, true, true, ProjectState::pinned},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Ids pinned = row.pinned ? Ids{"demo"} : Ids{"other"};
        const Ids preparing = row.preparing ? Ids{"demo"} : Ids{"other"};
        const Ids active = row.active ? Ids{"demo"} : Ids{"other"};
        EXPECT_EQ(projectState("demo", pinned, preparing, active), row.expected);
    }
}

TEST(SortedProjects, OrdersByStateThenTimeOrName)
{
    const auto t0 = Clock::now();
    const auto t1 = t0 + std::chrono::seconds(1);
    struct Row {
        const char* what;
        std::vector<std::string> projects; // in the store's order
        Ids pinned, preparing, active;
        ActivationTimes times;
        std::vector<std::string> expected;
    };
    const std::vector<Row> rows = {
        {"no projects", {}, {}, {}, {}, {}, {}},
        {"groups pinned, preparing, active, normal",
         {"a-normal", "b-active", "c-preparing", "d-pinned"},
         {"d-pinned"}, {"c-preparing"}, {"b-active"}, {{"b-active", t0}},
         {"d-pinned", "c-preparing", "b-active", "a-normal"}},
        {"a pinned and active project sorts among the pinned",
         {"alpha", "zeta", "omega"}, {"zeta", "alpha"}, {}, {"zeta", "omega"}, {{"zeta", t0}, {"omega", t1}},
         {"alpha", "zeta", "omega"}},
        {"a preparing and active project sorts among the active",
         {"a", "b", "c"}, {}, {"a", "b"}, {"a"}, {{"a", t0}},
         {"b", "a", "c"}},
        {"pinned names ignore case", {"beta", "Alpha"}, {"beta", "Alpha"}, {}, {}, {}, {"Alpha", "beta"}},
        {"lower case before upper case when the letters say so",
         {"Beta", "alpha", "Gamma"}, {}, {}, {}, {}, {"alpha", "Beta", "Gamma"}},
        {"preparing names ignore case", {"beta", "Alpha", "x"}, {}, {"beta", "Alpha"}, {}, {}, {"Alpha", "beta", "x"}},
        {"active ones in the order they became active",
         {"first", "second"}, {}, {}, {"first", "second"}, {{"first", t1}, {"second", t0}},
         {"second", "first"}},
        {"an active project without a time comes after one with a time",
         {"a-untimed", "b-timed"}, {}, {}, {"a-untimed", "b-timed"}, {{"b-timed", t1}},
         {"b-timed", "a-untimed"}},
        {"active projects without a time keep their order",
         {"m", "c", "x"}, {}, {}, {"m", "c", "x"}, {{"x", t0}},
         {"x", "m", "c"}},
        {"active projects with the same time keep their order",
         {"m", "c"}, {}, {}, {"m", "c"}, {{"m", t0}, {"c", t0}},
         {"m", "c"}},
        {"names equal but for case keep their order", {"alpha", "Alpha", "ALPHA"}, {}, {}, {}, {}, {"alpha", "Alpha", "ALPHA"}},
        {"same, the other way round", {"ALPHA", "Alpha", "alpha"}, {}, {}, {}, {}, {"ALPHA", "Alpha", "alpha"}},
        {"a time for an inactive project is ignored",
         {"b", "a"}, {}, {}, {}, {{"b", t0}}, {"a", "b"}},
        {"ids in the sets that name no project change nothing",
         {"b", "a"}, {"gone"}, {"gone"}, {"gone"}, {{"gone", t0}}, {"a", "b"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<Project> projects;
        for (const auto& name : row.projects)
            projects.push_back(projectNamed(name));
        const auto listed = sortedProjects(projects, row.pinned, row.preparing, row.active, row.times);
        EXPECT_EQ(namesOf(listed), row.expected);
        for (const auto& entry : listed)
            EXPECT_EQ(entry.state, projectState(entry.project->id(), row.pinned, row.preparing, row.active));
    }
}

TEST(SortedProjects, ReadsTheStateByFolderNameAndPointsIntoTheStoreList)
{
    // The id is the folder's name, the last component of the path.
    const std::vector<Project> projects = {{"Shown B", "/root/b", "", ""}, {"Shown A", "/root/a/", "", ""}};
    const auto listed = sortedProjects(projects, {"b"}, {}, {}, {});
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].project, &projects[0]);
    EXPECT_EQ(listed[0].state, ProjectState::pinned);
    EXPECT_EQ(listed[1].project, &projects[1]);
    EXPECT_EQ(listed[1].state, ProjectState::normal);
}

} // namespace
} // namespace tq
