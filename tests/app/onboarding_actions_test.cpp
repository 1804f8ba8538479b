#include "app/onboarding_actions.hpp"

#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

namespace tq {
namespace {

using test::TempDir;

class AdoptProjectsFolder : public testing::Test {
protected:
    std::vector<std::string> listedNames() const
    {
        std::vector<std::string> names;
        for (const auto& project : manager.projects())
            names.push_back(project.name);
        return names;
    }

    TempDir temp;
    test::ScopedEnv config{"XDG_CONFIG_HOME", (temp / "config").c_str()};
    ProjectManager manager{SettingsFile::atDefaultLocation()};
};

TEST_F(AdoptProjectsFolder, CreatesProjectsInTheChosenFolderAndStoresIt)
{
    test::makeDirectories(temp / "chosen");
    const auto root = adoptProjectsFolderIn(manager, temp / "chosen");
    EXPECT_EQ(root, temp / "chosen/Projects");
    EXPECT_TRUE(test::exists(root));
    EXPECT_TRUE(manager.hasRootDirectory());
    EXPECT_EQ(manager.rootDirectory(), root);
    EXPECT_EQ(SettingsFile::atDefaultLocation().readString(SettingsFile::rootDirectoryKey), root);
}

TEST_F(AdoptProjectsFolder, AnExistingProjectsFolderIsUsedWithItsProjects)
{
    test::makeDirectories(temp / "chosen/Projects/alpha");
    test::writeFile(temp / "chosen/Projects/alpha/notes.txt", "kept");
    adoptProjectsFolderIn(manager, temp / "chosen/");
    EXPECT_EQ(listedNames(), std::vector<std::string>{"alpha"});
    EXPECT_EQ(test::readFile(temp / "chosen/Projects/alpha/notes.txt"), "kept");
}

TEST_F(AdoptProjectsFolder, TheRootIsStoredEvenWhenTheFolderCannotBeMade)
{
    test::writeFile(temp / "not-a-folder", "a file where the parent should be");
    const auto root = adoptProjectsFolderIn(manager, temp / "not-a-folder");
    EXPECT_TRUE(manager.hasRootDirectory());
    EXPECT_EQ(manager.rootDirectory(), root);
    EXPECT_TRUE(manager.projects().empty());
}

} // namespace
} // namespace tq
