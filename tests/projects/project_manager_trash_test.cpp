#include "store_fixture.hpp"
#include "trash_home.hpp"

#include <filesystem>

namespace tq {
namespace {

using test::exists;
using test::makeDirectories;
using test::namesOf;
using test::readFile;
using test::SignalLog;
using test::treeOf;
using test::writeFile;
using Strings = std::vector<std::string>;
using IdSet = std::set<std::string>;

// Roots live next to the private trash (see TrashHome), settings under the usual temp folder.
class DeleteProject : public test::StoreTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(home_.problem(), "");
        root_ = home_.folder() + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        makeDirectories(root_);
        std::filesystem::remove_all(home_.trashFolder());
    }
    void TearDown() override
    {
        std::filesystem::remove_all(root_);
        std::filesystem::remove_all(home_.trashFolder());
    }

    std::string trashRoot() const { return root_; }
    std::string trashed(const std::string& name) const { return home_.trashFolder() + "/files/" + name; }

    test::TrashHome& home_ = test::TrashHome::instance();
    std::string root_;
};

TEST_F(DeleteProject, MovesTheFolderToTheTrashAndReloadsKeepingItsPin)
{
    makeDirectories(trashRoot() + "/keep");
    makeDirectories(trashRoot() + "/gone/.tavoro");
    writeFile(trashRoot() + "/gone/.tavoro/requirements.md", "precious");
    writeFile(trashRoot() + "/gone/BOOTSTRAP.md", "");
    ProjectManager manager(settings(), trashRoot());
    manager.togglePin("gone");
    manager.loadProjects();
    ASSERT_EQ(manager.preparingProjectIds(), IdSet({ "gone" }));
    SignalLog log(manager);

    ASSERT_EQ(manager.deleteProject("gone"), std::nullopt);
    EXPECT_FALSE(exists(trashRoot() + "/gone"));
    EXPECT_EQ(readFile(trashed("gone") + "/.tavoro/requirements.md"), "precious");
    EXPECT_TRUE(exists(home_.trashFolder() + "/info/gone.trashinfo"));
    EXPECT_EQ(log.take(), Strings({ "projects", "preparing" }));
    EXPECT_EQ(namesOf(manager.projects()), Strings({ "keep" }));
    EXPECT_TRUE(manager.preparingProjectIds().empty());

    // The pin stays, and a new project of that name shows up pinned again.
    EXPECT_EQ(manager.pinnedProjectIds(), IdSet({ "gone" }));
    EXPECT_EQ(settings().readStringList(SettingsFile::pinnedProjectIdsKey), Strings({ "gone" }));
    ASSERT_EQ(manager.createProject("gone"), std::nullopt);
    EXPECT_EQ(namesOf(manager.projects()), Strings({ "gone", "keep" }));
    EXPECT_EQ(manager.pinnedProjectIds(), IdSet({ "gone" }));
    EXPECT_EQ(readFile(trashRoot() + "/gone/.tavoro/requirements.md"), "");
}

TEST_F(DeleteProject, AFailedMoveIsReportedAndNothingIsDeletedOrReloaded)
{
    makeDirectories(trashRoot() + "/stays/.tavoro");
    writeFile(trashRoot() + "/stays/.tavoro/progress.md", "work");
    ProjectManager manager(settings(), trashRoot());
    manager.loadProjects();
    const auto before = manager.projects();
    SignalLog log(manager);

    // A file where the Trash folder belongs: the move cannot happen.
    makeDirectories(home_.folder() + "/data");
    writeFile(home_.trashFolder(), "not a folder");
    const auto error = manager.deleteProject("stays");
    ASSERT_NE(error, std::nullopt);
    EXPECT_NE(error->message.find("stays"), std::string::npos) << error->message;
    EXPECT_EQ(readFile(trashRoot() + "/stays/.tavoro/progress.md"), "work");

    EXPECT_NE(manager.deleteProject("no such project"), std::nullopt);
    EXPECT_EQ(manager.projects(), before);
    EXPECT_EQ(log.take(), Strings());
}

TEST_F(DeleteProject, RefusesNamesThatReachOutsideTheRoot)
{
    makeDirectories(trashRoot() + "/inner");
    ProjectManager manager(settings(), trashRoot() + "/inner");
    manager.loadProjects();
    SignalLog log(manager);
    for (const std::string name : { "", ".", "..", "../inner", "a/b", "/" }) {
        SCOPED_TRACE(name);
        EXPECT_NE(manager.deleteProject(name), std::nullopt);
    }
    EXPECT_TRUE(exists(trashRoot() + "/inner"));
    EXPECT_FALSE(exists(home_.trashFolder() + "/files"));
    EXPECT_EQ(log.take(), Strings());
}

} // namespace
} // namespace tq
