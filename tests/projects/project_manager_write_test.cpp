#include "projects/scaffold_documents.hpp"
#include "store_fixture.hpp"

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

class CreateProject : public test::StoreTest {
protected:
    void expectScaffold(const std::string& name)
    {
        const std::string folder = projectPath(name);
        EXPECT_EQ(readFile(folder + "/.tavoro/requirements.md"), "");
        EXPECT_EQ(readFile(folder + "/.tavoro/progress.md"), progressDocument());
        EXPECT_EQ(readFile(folder + "/CLAUDE.md"), claudeDocument(name));
        EXPECT_EQ(readFile(folder + "/AGENTS.md"), agentsDocument(name));
        EXPECT_EQ(readFile(folder + "/BOOTSTRAP.md"), bootstrapDocument(name));
    }
};

class SaveRequirements : public test::StoreTest {};

TEST_F(CreateProject, WritesTheFiveDocumentsThenListsTheProjectAsPreparing)
{
    makeProject("existing");
    auto manager = makeManager();
    manager->loadProjects();
    SignalLog log(*manager);

    const std::string name = "Say \"hi\" — Ünïcødé 项目";
    ASSERT_EQ(manager->createProject(name), std::nullopt);
    expectScaffold(name);
    EXPECT_EQ(treeOf(projectPath(name)), Strings({ ".tavoro", ".tavoro/progress.md", ".tavoro/requirements.md",
                                                   "AGENTS.md", "BOOTSTRAP.md", "CLAUDE.md" }));
    EXPECT_EQ(log.take(), Strings({ "projects", "preparing" }));
    EXPECT_EQ(namesOf(manager->projects()), Strings({ "existing", name }));
    EXPECT_EQ(manager->projects()[1].requirements, "");
    EXPECT_EQ(manager->projects()[1].progress, progressDocument());
    EXPECT_EQ(manager->preparingProjectIds(), IdSet({ name }));
}

TEST_F(CreateProject, CreatesAMissingRootWithItsParents)
{
    ProjectManager manager(settings(), temp_ / "a/b/root");
    ASSERT_EQ(manager.createProject("first"), std::nullopt);
    EXPECT_EQ(namesOf(manager.projects()), Strings({ "first" }));
    EXPECT_EQ(manager.preparingProjectIds(), IdSet({ "first" }));
}

TEST_F(CreateProject, AnExistingFolderKeepsEveryFileAndGetsOnlyTheMissingDocuments)
{
    const std::string requirements = "# Real requirements\n";
    makeProject("adopted", &requirements);
    writeFile(projectPath("adopted/CLAUDE.md"), "my own agent notes");
    writeFile(projectPath("adopted/main.c"), "int main() {}\n");
    ASSERT_EQ(::symlink("elsewhere", projectPath("adopted/AGENTS.md").c_str()), 0);
    auto manager = makeManager();
    SignalLog log(*manager);

    ASSERT_EQ(manager->createProject("adopted"), std::nullopt);
    EXPECT_EQ(readFile(projectPath("adopted/.tavoro/requirements.md")), requirements);
    EXPECT_EQ(readFile(projectPath("adopted/CLAUDE.md")), "my own agent notes");
    EXPECT_EQ(readFile(projectPath("adopted/main.c")), "int main() {}\n");
    EXPECT_FALSE(exists(projectPath("adopted/elsewhere"))) << "a link in the way is not written through";
    EXPECT_EQ(readFile(projectPath("adopted/.tavoro/progress.md")), progressDocument());
    EXPECT_EQ(readFile(projectPath("adopted/BOOTSTRAP.md")), bootstrapDocument("adopted"));
    EXPECT_EQ(log.take(), Strings({ "projects", "preparing" }));
    EXPECT_EQ(manager->projects().at(0).requirements, requirements);
    EXPECT_EQ(manager->preparingProjectIds(), IdSet({ "adopted" }));

    // Creating it again changes nothing on disk.
    const auto before = treeOf(projectPath("adopted"));
    writeFile(projectPath("adopted/BOOTSTRAP.md"), "edited by the agent");
    ASSERT_EQ(manager->createProject("adopted"), std::nullopt);
    EXPECT_EQ(treeOf(projectPath("adopted")), before);
    EXPECT_EQ(readFile(projectPath("adopted/BOOTSTRAP.md")), "edited by the agent");
}

TEST_F(CreateProject, RefusesUnsafeNamesWithAReasonAndCreatesNothing)
{
    struct Case {
        std::string name;
        const char* reason; // a word the message must hold
    };
    const Case cases[] = {
        { "", "empty" },
        { ".", "“.”" },
        { "..", "“..”" },
        { "a/b", "“/”" },
        { "../escape", "“/”" },
        { "/absolute", "“/”" },
        { std::string("nul\0byte", 8), "NUL" },
        { ".hidden", "hidden" },
        { std::string(256, 'n'), "too long" },
        { "caf\xe9", "UTF-8" },
    };
    makeDirectories(root());
    auto manager = makeManager();
    SignalLog log(*manager);
    for (const auto& row : cases) {
        SCOPED_TRACE(::testing::PrintToString(row.name));
        const auto error = manager->createProject(row.name);
        ASSERT_NE(error, std::nullopt);
        EXPECT_NE(error->message.find(row.reason), std::string::npos) << error->message;
    }
    EXPECT_EQ(treeOf(temp_.path()), Strings({ "root" }));
    EXPECT_EQ(log.take(), Strings());

    // The longest name the file system allows is fine.
    const std::string longest(255, 'n');
    ASSERT_EQ(manager->createProject(longest), std::nullopt);
    expectScaffold(longest);
}

TEST_F(CreateProject, NeverWritesThroughALinkOrIntoSomethingThatIsNotAFolder)
{
    makeDirectories(temp_ / "outside");
    makeDirectories(root());
    ASSERT_EQ(::symlink((temp_ / "outside").c_str(), projectPath("linked").c_str()), 0);
    writeFile(projectPath("notes.txt"), "a file");
    makeProject("blocked");
    writeFile(projectPath("blocked/.tavoro"), "a file where the folder goes");
    auto manager = makeManager();
    SignalLog log(*manager);

    for (const char* name : { "linked", "notes.txt", "blocked" }) {
        SCOPED_TRACE(name);
        const auto error = manager->createProject(name);
        ASSERT_NE(error, std::nullopt);
        EXPECT_FALSE(error->message.empty());
    }
    EXPECT_TRUE(treeOf(temp_ / "outside").empty());
    EXPECT_EQ(readFile(projectPath("notes.txt")), "a file");
    EXPECT_EQ(treeOf(projectPath("blocked")), Strings({ ".tavoro" }));
    EXPECT_EQ(log.take(), Strings());
}

TEST_F(CreateProject, AnUnusableRootIsReportedWithNothingWritten)
{
    writeFile(temp_ / "file", "x");
    ProjectManager manager(settings(), temp_ / "file/root");
    SignalLog log(manager);
    const auto error = manager.createProject("demo");
    ASSERT_NE(error, std::nullopt);
    EXPECT_NE(error->message.find(temp_ / "file/root"), std::string::npos) << error->message;
    EXPECT_EQ(readFile(temp_ / "file"), "x");
    EXPECT_EQ(log.take(), Strings());
}

// The file size limit makes every document longer than 100 bytes fail to write, which works
// even for a test run by root, whom permissions do not stop.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_ {};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(CreateProject, AFailedWriteStopsBeforeTheBootstrapSoTheProjectIsNotPreparing)
{
    makeProject("other");
    auto manager = makeManager();
    manager->loadProjects();
    SignalLog log(*manager);

    MaybeError error;
    {
        FileSizeLimit limit(100);
        error = manager->createProject("half");
    }
    ASSERT_NE(error, std::nullopt);
    EXPECT_NE(error->message.find("CLAUDE.md"), std::string::npos) << error->message;
    EXPECT_EQ(treeOf(projectPath("half")), Strings({ ".tavoro", ".tavoro/progress.md", ".tavoro/requirements.md" }));
    EXPECT_EQ(log.take(), Strings()) << "no reload after a failure";
    EXPECT_EQ(namesOf(manager->projects()), Strings({ "other" }));

    manager->loadProjects();
    EXPECT_EQ(namesOf(manager->projects()), Strings({ "half", "other" }));
    EXPECT_TRUE(manager->preparingProjectIds().empty());

    // Trying again completes the project without touching what is there.
    writeFile(projectPath("half/.tavoro/progress.md"), "agent progress\n");
    ASSERT_EQ(manager->createProject("half"), std::nullopt);
    EXPECT_EQ(readFile(projectPath("half/.tavoro/progress.md")), "agent progress\n");
    EXPECT_EQ(readFile(projectPath("half/BOOTSTRAP.md")), bootstrapDocument("half"));
    EXPECT_EQ(manager->preparingProjectIds(), IdSet({ "half" }));
}

TEST_F(SaveRequirements, UpdatesTheFileAndTheListedEntryInPlace)
{
    const std::string old = "old";
    makeProject("b-project", &old);
    makeProject("a-project", nullptr, nullptr, true);
    auto manager = makeManager();
    manager->loadProjects();
    const auto before = manager->projects();
    ASSERT_EQ(::chmod(projectPath("b-project/.tavoro/requirements.md").c_str(), 0600), 0);
    SignalLog log(*manager);

    ASSERT_EQ(manager->saveRequirements(before[1], "# New\n\n✓ done\n"), std::nullopt);
    EXPECT_EQ(readFile(projectPath("b-project/.tavoro/requirements.md")), "# New\n\n✓ done\n");
    struct stat status;
    ASSERT_EQ(::stat(projectPath("b-project/.tavoro/requirements.md").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_EQ(log.take(), Strings({ "projects" }));
    auto expected = before;
    expected[1].requirements = "# New\n\n✓ done\n";
    EXPECT_EQ(manager->projects(), expected);
    EXPECT_EQ(manager->readRequirementsFromDisk(before[1]), "# New\n\n✓ done\n");

    // A stale copy of the record still finds its entry by id.
    ASSERT_EQ(manager->saveRequirements(before[1], "again"), std::nullopt);
    EXPECT_EQ(manager->projects()[1].requirements, "again");
    EXPECT_EQ(log.take(), Strings({ "projects" }));
}

TEST_F(SaveRequirements, RecreatesARemovedDocumentsFolderAndWritesForUnlistedProjects)
{
    const std::string old = "old";
    makeProject("listed", &old);
    auto manager = makeManager();
    manager->loadProjects();
    const Project listed = manager->projects()[0];
    std::filesystem::remove_all(projectPath("listed/.tavoro"));
    SignalLog log(*manager);

    ASSERT_EQ(manager->saveRequirements(listed, "text"), std::nullopt);
    EXPECT_EQ(readFile(projectPath("listed/.tavoro/requirements.md")), "text");
    EXPECT_EQ(manager->projects()[0].requirements, "text");
    EXPECT_EQ(log.take(), Strings({ "projects" }));

    makeProject("unlisted");
    const Project unlisted { "unlisted", projectPath("unlisted"), "", "" };
    ASSERT_EQ(manager->saveRequirements(unlisted, "more"), std::nullopt);
    EXPECT_EQ(readFile(projectPath("unlisted/.tavoro/requirements.md")), "more");
    EXPECT_EQ(namesOf(manager->projects()), Strings({ "listed" }));
    EXPECT_EQ(log.take(), Strings());
}

TEST_F(SaveRequirements, NeverBringsBackAFolderThatIsGone)
{
    makeProject("doomed");
    auto manager = makeManager();
    manager->loadProjects();
    const Project doomed = manager->projects()[0];
    ASSERT_EQ(::rename(projectPath("doomed").c_str(), (temp_ / "trashed").c_str()), 0);
    SignalLog log(*manager);

    const auto error = manager->saveRequirements(doomed, "late keystrokes");
    ASSERT_NE(error, std::nullopt);
    EXPECT_NE(error->message.find(doomed.path), std::string::npos) << error->message;
    EXPECT_FALSE(exists(projectPath("doomed")));
    EXPECT_TRUE(treeOf(temp_ / "trashed").empty());
    EXPECT_EQ(manager->projects(), std::vector<Project>({ doomed }));
    EXPECT_EQ(log.take(), Strings());
}

TEST_F(SaveRequirements, FailuresLeaveTheListAndTheFileAlone)
{
    makeProject("folder in the way");
    makeDirectories(projectPath("folder in the way/.tavoro/requirements.md"));
    const std::string old = "old";
    makeProject("keeps", &old);
    auto manager = makeManager();
    manager->loadProjects();
    const auto before = manager->projects();
    SignalLog log(*manager);

    EXPECT_NE(manager->saveRequirements(before[0], "text"), std::nullopt);
    EXPECT_NE(manager->saveRequirements(before[1], "not \xff UTF-8"), std::nullopt);
    EXPECT_EQ(readFile(projectPath("keeps/.tavoro/requirements.md")), "old");
    EXPECT_EQ(manager->projects(), before);
    EXPECT_EQ(log.take(), Strings());
}

} // namespace
} // namespace tq
