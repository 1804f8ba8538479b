#include "store_fixture.hpp"

#include <sys/stat.h>
#include <unistd.h>

namespace tq {
namespace {

using test::exists;
using test::makeDirectories;
using test::namesOf;
using test::SignalLog;
using test::writeFile;
using Strings = std::vector<std::string>;

class ProjectListing : public test::StoreTest {};

TEST_F(ProjectListing, ListsVisibleDirectSubFoldersOnlyInLocalizedCaseInsensitiveOrder)
{
    for (const char* name : { "gamma", "beta", "Alpha", "alpha", "Émile", "eagle", "Zulu" })
        makeProject(name);
    makeProject(".hidden");
    makeProject("beta/nested");
    writeFile(projectPath("plain file.txt"), "x");
    makeDirectories(temp_ / "outside");
    ASSERT_EQ(::symlink((temp_ / "outside").c_str(), projectPath("link to folder").c_str()), 0);
    ASSERT_EQ(::mkfifo(projectPath("fifo").c_str(), 0600), 0);

    auto manager = makeManager();
    EXPECT_TRUE(manager->projects().empty()) << "construction does not list";
    manager->loadProjects();

    const auto names = namesOf(manager->projects());
    ASSERT_EQ(names.size(), 7u) << ::testing::PrintToString(names);
    // "Alpha" and "alpha" compare equal and keep the order the folder listing gave them.
    EXPECT_TRUE((names[0] == "Alpha" && names[1] == "alpha") || (names[0] == "alpha" && names[1] == "Alpha"));
    EXPECT_EQ(Strings(names.begin() + 2, names.end()), Strings({ "beta", "eagle", "Émile", "gamma", "Zulu" }));
    for (const auto& project : manager->projects()) {
        EXPECT_EQ(project.path, projectPath(project.name));
        EXPECT_EQ(project.id(), project.name);
    }
}

TEST_F(ProjectListing, ReadsBothDocumentsAndGivesEmptyTextForAnythingUnreadable)
{
    const std::string requirements = "# Reqs\n\nÜnïcødé — ✓\n";
    const std::string progress = std::string("- [x] with a NUL \0 inside\n", 26);
    const std::string latin1 = "caf\xe9\n";
    makeProject("complete", &requirements, &progress);
    makeProject("bare");
    makeProject("latin1", &latin1, &progress);
    makeProject("odd");
    makeDirectories(projectPath("odd/.tavoro/requirements.md"));
    ASSERT_EQ(::mkfifo(projectPath("odd/.tavoro/progress.md").c_str(), 0600), 0);

    auto manager = makeManager();
    manager->loadProjects();
    ASSERT_EQ(namesOf(manager->projects()), Strings({ "bare", "complete", "latin1", "odd" }));
    const auto& projects = manager->projects();
    EXPECT_EQ(projects[0], (Project { "bare", projectPath("bare"), "", "" }));
    EXPECT_EQ(projects[1], (Project { "complete", projectPath("complete"), requirements, progress }));
    EXPECT_EQ(projects[2], (Project { "latin1", projectPath("latin1"), "", progress }));
    EXPECT_EQ(projects[3], (Project { "odd", projectPath("odd"), "", "" }));
    EXPECT_TRUE(manager->preparingProjectIds().empty());
    EXPECT_EQ(manager->readRequirementsFromDisk(projects[1]), requirements);
    EXPECT_EQ(manager->readRequirementsFromDisk(projects[2]), "");
}

TEST_F(ProjectListing, AMissingOrUnusableRootListsNothingCreatesNothingAndKeepsThePreparingSet)
{
    makeProject("wip", nullptr, nullptr, true);
    auto manager = makeManager();
    manager->loadProjects();
    ASSERT_EQ(manager->preparingProjectIds(), std::set<std::string>({ "wip" }));

    SignalLog log(*manager);
    manager->setRootDirectory(temp_ / "does/not/exist");
    EXPECT_TRUE(manager->projects().empty());
    EXPECT_EQ(manager->preparingProjectIds(), std::set<std::string>({ "wip" }));
    EXPECT_EQ(log.take(), Strings({ "root", "projects" }));
    EXPECT_FALSE(exists(temp_ / "does"));

    writeFile(temp_ / "a file", "x");
    manager->setRootDirectory(temp_ / "a file");
    EXPECT_TRUE(manager->projects().empty());
    EXPECT_EQ(log.take(), Strings({ "root", "projects" }));
}

TEST_F(ProjectListing, EveryLoadPublishesTheListButThePreparingSetOnlyWhenItChanges)
{
    makeProject("one", nullptr, nullptr, true);
    makeProject("two");
    auto manager = makeManager();
    SignalLog log(*manager);

    manager->loadProjects();
    EXPECT_EQ(log.take(), Strings({ "projects", "preparing" }));
    EXPECT_EQ(manager->preparingProjectIds(), std::set<std::string>({ "one" }));

    manager->loadProjects();
    EXPECT_EQ(log.take(), Strings({ "projects" }));
    manager->refreshPreparingProjects();
    EXPECT_EQ(log.take(), Strings());

    // Deleting BOOTSTRAP.md by hand: the next refresh notices, without a reload.
    ASSERT_EQ(::unlink(projectPath("one/BOOTSTRAP.md").c_str()), 0);
    makeDirectories(projectPath("two/BOOTSTRAP.md")); // any kind of item counts
    const auto listed = manager->projects();
    manager->refreshPreparingProjects();
    EXPECT_EQ(log.take(), Strings({ "preparing" }));
    EXPECT_EQ(manager->preparingProjectIds(), std::set<std::string>({ "two" }));
    EXPECT_EQ(manager->projects(), listed);

    // A folder that appears is only seen by the next load.
    makeProject("three", nullptr, nullptr, true);
    manager->refreshPreparingProjects();
    EXPECT_EQ(log.take(), Strings());
    manager->loadProjects();
    EXPECT_EQ(log.take(), Strings({ "projects", "preparing" }));
    EXPECT_EQ(manager->preparingProjectIds(), std::set<std::string>({ "three", "two" }));
}

} // namespace
} // namespace tq
