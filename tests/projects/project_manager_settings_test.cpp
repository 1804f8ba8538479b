#include "store_fixture.hpp"

namespace tq {
namespace {

using test::exists;
using test::readFile;
using test::ScopedEnv;
using test::SignalLog;
using Strings = std::vector<std::string>;
using IdSet = std::set<std::string>;

class ProjectManagerSettings : public test::StoreTest {
protected:
    std::optional<std::vector<std::string>> storedPins() const
    {
        return settings().readStringList(SettingsFile::pinnedProjectIdsKey);
    }
};

TEST_F(ProjectManagerSettings, TheRootComesFromTheArgumentThenTheSettingsThenTheHomeFolder)
{
    ScopedEnv home("HOME", (temp_ / "home").c_str());
    {
        ProjectManager manager(settings());
        EXPECT_EQ(manager.rootDirectory(), temp_ / "home/Desktop/Projects");
        EXPECT_FALSE(manager.hasRootDirectory());
        EXPECT_FALSE(exists(temp_ / "home")) << "the fallback root is not created";
        EXPECT_FALSE(exists(settings().path())) << "construction writes nothing";
    }
    ASSERT_EQ(settings().writeString(SettingsFile::rootDirectoryKey, "/srv/work//projects/"), std::nullopt);
    EXPECT_EQ(ProjectManager(settings()).rootDirectory(), "/srv/work/projects");
    EXPECT_EQ(ProjectManager(settings(), std::string("/given")).rootDirectory(), "/given");
    EXPECT_TRUE(ProjectManager(settings()).hasRootDirectory());
}

TEST_F(ProjectManagerSettings, HasRootDirectoryReadsTheFileEveryTime)
{
    ProjectManager manager(settings(), root());
    EXPECT_FALSE(manager.hasRootDirectory());
    // Whatever the value holds, even text that names no folder.
    writeSettings("[defaults]\nTavoroQuelm.rootDirectory=\n");
    EXPECT_TRUE(manager.hasRootDirectory());
    writeSettings("[defaults]\nTavoroQuelm.rootDirectory=\\q\n");
    EXPECT_FALSE(manager.hasRootDirectory());
}

TEST_F(ProjectManagerSettings, SetRootDirectoryPublishesStoresThenLoads)
{
    makeProject("wip", nullptr, nullptr, true);
    ProjectManager manager(settings(), temp_ / "elsewhere");
    SignalLog log(manager);
    std::optional<std::string> storedWhenLoaded;
    manager.projectsChanged().connect([&] { storedWhenLoaded = settings().readString(SettingsFile::rootDirectoryKey); });

    manager.setRootDirectory(root());
    EXPECT_EQ(log.take(), Strings({ "root", "projects", "preparing" }));
    EXPECT_EQ(manager.rootDirectory(), root());
    EXPECT_EQ(storedWhenLoaded, root());
    EXPECT_TRUE(manager.hasRootDirectory());
    EXPECT_EQ(test::namesOf(manager.projects()), Strings({ "wip" }));
    EXPECT_EQ(ProjectManager(settings()).rootDirectory(), root()) << "a new manager starts from the stored root";
}

TEST_F(ProjectManagerSettings, TogglePinFlipsMembershipAndPersistsEveryAssignment)
{
    ProjectManager manager(settings(), root());
    SignalLog log(manager);
    std::optional<Strings> storedWhenNotified;
    manager.pinnedProjectIdsChanged().connect([&] { storedWhenNotified = storedPins(); });

    manager.togglePin("a;b=c");
    EXPECT_EQ(manager.pinnedProjectIds(), IdSet({ "a;b=c" }));
    EXPECT_EQ(storedWhenNotified, Strings({ "a;b=c" }));
    manager.togglePin("Ünï\ncødé");
    EXPECT_EQ(storedPins(), Strings({ "a;b=c", "Ünï\ncødé" }));
    manager.togglePin("Ünï\ncødé");
    EXPECT_EQ(manager.pinnedProjectIds(), IdSet({ "a;b=c" }));
    EXPECT_EQ(storedPins(), Strings({ "a;b=c" }));
    EXPECT_EQ(log.take(), Strings({ "pinned", "pinned", "pinned" }));

    manager.setPinnedProjectIds({});
    EXPECT_EQ(log.take(), Strings({ "pinned" }));
    EXPECT_EQ(storedPins(), Strings());

    manager.setPinnedProjectIds({ "x", "y" });
    EXPECT_EQ(ProjectManager(settings(), root()).pinnedProjectIds(), IdSet({ "x", "y" }));
}

TEST_F(ProjectManagerSettings, PinnedIdsThatCannotBeReadMeanNothingIsPinned)
{
    for (const char* content : { "[defaults]\nTavoroQuelm.pinnedProjectIds=a\\q;b;\n", "garbage", "" }) {
        SCOPED_TRACE(content);
        writeSettings(content);
        EXPECT_TRUE(ProjectManager(settings(), root()).pinnedProjectIds().empty());
    }
}

TEST_F(ProjectManagerSettings, AnIdTheSettingsFileCannotHoldStaysPinnedForTheSessionWithoutLosingTheOthers)
{
    ProjectManager manager(settings(), root());
    manager.togglePin("kept");
    manager.togglePin("latin1 caf\xe9");
    EXPECT_EQ(manager.pinnedProjectIds(), IdSet({ "kept", "latin1 caf\xe9" }));
    EXPECT_EQ(storedPins(), Strings({ "kept" }));
}

} // namespace
} // namespace tq
