#include "documents/requirements_editor.hpp"

#include "projects/file_watcher.hpp"
#include "projects/project_manager.hpp"
#include "support/main_loop.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <tuple>

namespace tq {
namespace {

using namespace std::chrono_literals;
using test::readFile;
using test::runMainLoopFor;
using test::runMainLoopUntil;
using test::TempDir;
using test::writeFile;

// Longer than the save delay with room for a busy machine.
constexpr auto afterSaveDelay = 900ms;

enum class WriteMode { atomicRename, inPlace };

void PrintTo(WriteMode mode, std::ostream* out)
{
    *out << (mode == WriteMode::atomicRename ? "atomic rename" : "in-place write");
}

// How a coding agent rewrites a document: a new file renamed over it, or the same file rewritten.
void writeAsAgent(const std::string& path, const std::string& text, WriteMode mode)
{
    if (mode == WriteMode::inPlace) {
        writeFile(path, text);
        return;
    }
    const std::string temporary = path + ".agent-tmp";
    writeFile(temporary, text);
    ASSERT_EQ(std::rename(temporary.c_str(), path.c_str()), 0);
}

ino_t inodeOf(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

class RequirementsEditorTest : public testing::Test {
protected:
    void SetUp() override
    {
        addProject("alpha", "alpha requirements\n");
        addProject("beta", "beta requirements\n");
        store = std::make_unique<ProjectManager>(SettingsFile(config / "settings.ini"), root.path());
        store->loadProjects();
        store->projectsChanged().connect([this] { ++storeNotifications; });
        editor = std::make_unique<RequirementsEditor>(*store, "alpha");
        editor->editTextReplaced().connect([this] { ++replacements; });
    }

    void addProject(const std::string& name, const std::string& requirements)
    {
        test::makeDirectories(root / (name + "/.tavoro"));
        writeFile(requirementsPath(name), requirements);
    }

    std::string requirementsPath(const std::string& name) const { return root / (name + "/.tavoro/requirements.md"); }
    std::string onDisk(const std::string& name) const { return readFile(requirementsPath(name)); }
    std::string inStore(const std::string& id) const
    {
        for (const Project& project : store->projects()) {
            if (project.id() == id)
                return project.requirements;
        }
        ADD_FAILURE() << id << " is not listed";
        return {};
    }

    void type(const std::string& characters)
    {
        for (char c : characters) {
            editor->setEditText(editor->editText() + c);
            runMainLoopFor(100ms);
        }
    }

    TempDir root;
    TempDir config;
    std::unique_ptr<ProjectManager> store;
    std::unique_ptr<RequirementsEditor> editor;
    int storeNotifications = 0;
    int replacements = 0;
};

TEST_F(RequirementsEditorTest, ThreeQuickKeystrokesGiveExactlyOneWriteWithAllThree)
{
    editor->beginEditing();
    ASSERT_TRUE(editor->isEditing());
    EXPECT_EQ(editor->editText(), "alpha requirements\n");
    runMainLoopFor(700ms);
    EXPECT_EQ(storeNotifications, 0) << "entering edit mode must not save";

    type("abc"); // 100 ms apart
    const auto lastKeystroke = std::chrono::steady_clock::now() - 100ms;
    EXPECT_EQ(onDisk("alpha"), "alpha requirements\n") << "nothing may be written before the pause";

    ASSERT_TRUE(runMainLoopUntil([&] { return onDisk("alpha") == "alpha requirements\nabc"; }, 3s));
    EXPECT_GE(std::chrono::steady_clock::now() - lastKeystroke, 480ms);
    runMainLoopFor(afterSaveDelay);
    EXPECT_EQ(storeNotifications, 1) << "one write, reported once by the store";
    EXPECT_EQ(inStore("alpha"), "alpha requirements\nabc");
    EXPECT_FALSE(editor->hasConflict());
    EXPECT_EQ(replacements, 0);
}

TEST_F(RequirementsEditorTest, DoneWithinTheDelayStillSavesAndReadModeThenShowsTheNewText)
{
    editor->beginEditing();
    editor->setEditText("rewritten");
    editor->finishEditing();
    EXPECT_FALSE(editor->isEditing());
    EXPECT_EQ(editor->displayedText(), "alpha requirements\n") << "the old text until the save has run";
    EXPECT_TRUE(editor->hasPendingSave("alpha"));

    ASSERT_TRUE(runMainLoopUntil([&] { return onDisk("alpha") == "rewritten"; }, 3s));
    EXPECT_EQ(editor->displayedText(), "rewritten");
    EXPECT_FALSE(editor->hasPendingSave("alpha"));
}

TEST_F(RequirementsEditorTest, EditAgainBeforeThePendingSaveRanStartsFromTheUnsavedText)
{
    editor->beginEditing();
    editor->setEditText("first part");
    editor->finishEditing();
    editor->beginEditing();
    EXPECT_EQ(editor->editText(), "first part") << "the stale record would lose the first edit";
    editor->setEditText("first part, second part");
    ASSERT_TRUE(runMainLoopUntil([&] { return onDisk("alpha") == "first part, second part"; }, 3s));
    runMainLoopFor(afterSaveDelay);
    EXPECT_EQ(storeNotifications, 1);
}

TEST_F(RequirementsEditorTest, SwitchingProjectLeavesEditModeAndThePendingSaveGoesToTheOldProject)
{
    int editingChanges = 0;
    editor->isEditingChanged().connect([&] { ++editingChanges; });
    editor->beginEditing();
    editor->setProjectId("alpha"); // the same project: nothing happens
    EXPECT_TRUE(editor->isEditing());
    EXPECT_EQ(editingChanges, 1);

    editor->setEditText("alpha, edited");
    const ino_t betaInode = inodeOf(requirementsPath("beta"));
    editor->setProjectId("beta");
    EXPECT_FALSE(editor->isEditing());
    EXPECT_EQ(editingChanges, 2);
    EXPECT_EQ(editor->displayedText(), "beta requirements\n");

    // Editing the new project at once keeps both saves apart.
    editor->beginEditing();
    EXPECT_EQ(editor->editText(), "beta requirements\n");
    ASSERT_TRUE(runMainLoopUntil([&] { return onDisk("alpha") == "alpha, edited"; }, 3s));
    EXPECT_EQ(onDisk("beta"), "beta requirements\n");
    EXPECT_EQ(inodeOf(requirementsPath("beta")), betaInode) << "the new project's file must not be rewritten";
    EXPECT_EQ(inStore("beta"), "beta requirements\n");

    editor->setEditText("beta, edited");
    ASSERT_TRUE(runMainLoopUntil([&] { return onDisk("beta") == "beta, edited"; }, 3s));
    EXPECT_EQ(onDisk("alpha"), "alpha, edited");
}

TEST_F(RequirementsEditorTest, APendingSaveWhoseProjectIsNoLongerListedWritesNothing)
{
    const struct {
        const char* label;
        bool keepFolderAsHidden;
    } cases[] = {{"folder renamed out of the list", true}, {"folder deleted", false}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.label);
        addProject("gamma", "gamma requirements\n");
        store->loadProjects();
        editor->setProjectId("gamma");
        editor->beginEditing();
        editor->setEditText("late edit");
        const std::string hidden = root / ".gamma-hidden";
        if (row.keepFolderAsHidden)
            std::filesystem::rename(root / "gamma", hidden);
        else
            std::filesystem::remove_all(root / "gamma");
        store->loadProjects();
        runMainLoopFor(afterSaveDelay);
        EXPECT_FALSE(test::exists(root / "gamma")) << "the folder must not come back";
        if (row.keepFolderAsHidden) {
            EXPECT_EQ(readFile(hidden + "/.tavoro/requirements.md"), "gamma requirements\n");
            std::filesystem::remove_all(hidden);
        }
        EXPECT_FALSE(editor->hasPendingSave("gamma"));
    }
}

TEST_F(RequirementsEditorTest, APendingSaveOutlivesTheEditor)
{
    editor->beginEditing();
    editor->setEditText("saved without the editor");
    editor.reset();
    ASSERT_TRUE(runMainLoopUntil([&] { return onDisk("alpha") == "saved without the editor"; }, 3s));
    EXPECT_EQ(inStore("alpha"), "saved without the editor");
}

TEST_F(RequirementsEditorTest, AnUnattendedSaveKeepsAFileThatChangedMeanwhile)
{
    editor->beginEditing();
    editor->setEditText("mine");
    editor.reset();
    writeAsAgent(requirementsPath("alpha"), "agent's text", WriteMode::atomicRename);
    runMainLoopFor(afterSaveDelay);
    EXPECT_EQ(onDisk("alpha"), "agent's text");
}

TEST_F(RequirementsEditorTest, APendingSaveNeverOutlivesTheStore)
{
    editor->beginEditing();
    editor->setEditText("never written");
    editor.reset();
    store.reset();
    runMainLoopFor(afterSaveDelay);
    EXPECT_EQ(onDisk("alpha"), "alpha requirements\n");
}

TEST_F(RequirementsEditorTest, SavePendingNowWritesAtOnceAndOnlyOnce)
{
    editor->beginEditing();
    editor->setEditText("alpha now");
    editor->setProjectId("beta");
    editor->beginEditing();
    editor->setEditText("beta now");
    writeAsAgent(requirementsPath("alpha"), "agent's text", WriteMode::inPlace);
    editor->savePendingNow();
    EXPECT_EQ(onDisk("beta"), "beta now");
    EXPECT_EQ(onDisk("alpha"), "agent's text") << "the usual check still holds";
    EXPECT_FALSE(editor->hasPendingSave("alpha"));
    EXPECT_FALSE(editor->hasPendingSave("beta"));
    runMainLoopFor(afterSaveDelay);
    EXPECT_EQ(storeNotifications, 1);
}

TEST_F(RequirementsEditorTest, TheEditorsOwnSavesAreNotReportedBackAsOutsideChanges)
{
    editor->beginEditing();
    editor->setEditText("one");
    ASSERT_TRUE(runMainLoopUntil([&] { return onDisk("alpha") == "one"; }, 3s));
    store->loadProjects(); // what the file watcher's report of that save leads to
    editor->setEditText("one two");
    store->loadProjects(); // a reload while the next save is pending
    EXPECT_TRUE(editor->hasPendingSave("alpha"));
    ASSERT_TRUE(runMainLoopUntil([&] { return onDisk("alpha") == "one two"; }, 3s));
    store->loadProjects();
    EXPECT_FALSE(editor->hasConflict());
    EXPECT_EQ(editor->editText(), "one two");
    EXPECT_EQ(replacements, 0);
}

TEST_F(RequirementsEditorTest, AFailedSaveKeepsTheTextShowsTheErrorAndCanBeRetried)
{
    addProject("delta", "");
    store->loadProjects();
    editor->setProjectId("delta");
    // A file where the .tavoro folder belongs makes every write fail, whoever runs the test.
    std::filesystem::remove_all(root / "delta/.tavoro");
    writeFile(root / "delta/.tavoro", "not a folder");
    editor->beginEditing();
    editor->setEditText("unsaved work");
    editor->finishEditing();
    ASSERT_TRUE(runMainLoopUntil([&] { return editor->saveError().has_value(); }, 3s));
    EXPECT_FALSE(editor->saveError()->message.empty());
    EXPECT_EQ(editor->displayedText(), "unsaved work");
    EXPECT_EQ(inStore("delta"), "");

    editor->beginEditing();
    EXPECT_EQ(editor->editText(), "unsaved work");
    std::filesystem::remove(root / "delta/.tavoro");
    editor->keepMine();
    EXPECT_FALSE(editor->saveError());
    EXPECT_EQ(onDisk("delta"), "unsaved work");
    EXPECT_EQ(inStore("delta"), "unsaved work");
}

class RefreshTest : public RequirementsEditorTest, public testing::WithParamInterface<WriteMode> {};

TEST_P(RefreshTest, WithoutUnsavedKeystrokesAnOutsideChangeRefreshesTheEditor)
{
    editor->beginEditing();
    // One completed save first: it must not hide the agent's change that follows.
    editor->setEditText("mine, saved");
    ASSERT_TRUE(runMainLoopUntil([&] { return onDisk("alpha") == "mine, saved"; }, 3s));

    writeAsAgent(requirementsPath("alpha"), "agent's text", GetParam());
    store->loadProjects();
    EXPECT_EQ(editor->editText(), "agent's text");
    EXPECT_EQ(replacements, 1);
    EXPECT_FALSE(editor->hasConflict());
    runMainLoopFor(afterSaveDelay);
    EXPECT_EQ(onDisk("alpha"), "agent's text");

    // Typing goes on from the agent's text.
    editor->setEditText("agent's text, mine");
    ASSERT_TRUE(runMainLoopUntil([&] { return onDisk("alpha") == "agent's text, mine"; }, 3s));
}

INSTANTIATE_TEST_SUITE_P(AllWays, RefreshTest, testing::Values(WriteMode::atomicRename, WriteMode::inPlace),
                         [](const auto& tested) {
                             return tested.param == WriteMode::atomicRename ? "AtomicRename" : "InPlace";
                         });

class OutsideChangeTest : public RequirementsEditorTest,
                          public testing::WithParamInterface<std::tuple<WriteMode, bool>> {
protected:
    WriteMode mode() const { return std::get<0>(GetParam()); }
    // Whether the store re-reads the project (as after a file-watcher report) before the save.
    bool storeReloads() const { return std::get<1>(GetParam()); }

    void changeAsAgent(const std::string& text)
    {
        writeAsAgent(requirementsPath("alpha"), text, mode());
        if (storeReloads())
            store->loadProjects();
    }
};

TEST_P(OutsideChangeTest, WithUnsavedKeystrokesAutosavePausesAndReloadTakesTheFile)
{
    editor->beginEditing();
    editor->setEditText("mine");
    changeAsAgent("agent's text");
    runMainLoopFor(afterSaveDelay);
    EXPECT_TRUE(editor->hasConflict());
    EXPECT_EQ(onDisk("alpha"), "agent's text") << "the agent's text must not be overwritten";
    EXPECT_EQ(editor->editText(), "mine");

    type("!"); // autosave stays paused
    runMainLoopFor(afterSaveDelay);
    EXPECT_EQ(onDisk("alpha"), "agent's text");

    editor->reload();
    EXPECT_FALSE(editor->hasConflict());
    EXPECT_EQ(editor->editText(), "agent's text");
    EXPECT_EQ(replacements, 1);
    EXPECT_EQ(inStore("alpha"), "agent's text");
    editor->finishEditing();
    EXPECT_EQ(editor->displayedText(), "agent's text");
    runMainLoopFor(afterSaveDelay);
    EXPECT_EQ(onDisk("alpha"), "agent's text");
}

TEST_P(OutsideChangeTest, WithUnsavedKeystrokesKeepMineWritesTheEditorsText)
{
    editor->beginEditing();
    editor->setEditText("mine");
    changeAsAgent("agent's text");
    runMainLoopFor(afterSaveDelay);
    ASSERT_TRUE(editor->hasConflict());
    type("!");

    editor->keepMine();
    EXPECT_FALSE(editor->hasConflict());
    EXPECT_EQ(onDisk("alpha"), "mine!");
    EXPECT_EQ(inStore("alpha"), "mine!");
    EXPECT_EQ(editor->editText(), "mine!");
    store->loadProjects();
    EXPECT_FALSE(editor->hasConflict()) << "the choice written must not come back as a change";

    // Autosave is back.
    editor->setEditText("mine!?");
    ASSERT_TRUE(runMainLoopUntil([&] { return onDisk("alpha") == "mine!?"; }, 3s));
}

INSTANTIATE_TEST_SUITE_P(AllWays, OutsideChangeTest,
                         testing::Combine(testing::Values(WriteMode::atomicRename, WriteMode::inPlace),
                                          testing::Bool()),
                         [](const auto& tested) {
                             return std::string(std::get<0>(tested.param) == WriteMode::atomicRename ? "AtomicRename"
                                                                                                    : "InPlace") +
                                    (std::get<1>(tested.param) ? "SeenByReload" : "SeenOnSave");
                         });

TEST_F(RequirementsEditorTest, ThroughTheFileWatcherOwnSavesStayQuietAndOutsideChangesArrive)
{
    // Wired as in the window: every reported change reloads the store.
    FileWatcher watcher;
    int reloads = 0;
    watcher.lastChangeChanged().connect([&] {
        ++reloads;
        store->loadProjects();
    });
    watcher.watch({root / "alpha/.tavoro"});

    editor->beginEditing();
    editor->setEditText("mine");
    ASSERT_TRUE(runMainLoopUntil([&] { return reloads >= 1; }, 5s)) << "the watcher reports the editor's own save";
    EXPECT_EQ(onDisk("alpha"), "mine");
    EXPECT_FALSE(editor->hasConflict());
    EXPECT_EQ(replacements, 0);

    writeAsAgent(requirementsPath("alpha"), "agent's text", WriteMode::atomicRename);
    ASSERT_TRUE(runMainLoopUntil([&] { return editor->editText() == "agent's text"; }, 5s));
    EXPECT_FALSE(editor->hasConflict());

    // The user keeps typing, so no save runs before the watcher's report of the agent's write.
    writeAsAgent(requirementsPath("alpha"), "agent's second text", WriteMode::inPlace);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!editor->hasConflict() && std::chrono::steady_clock::now() < deadline) {
        editor->setEditText(editor->editText() + ".");
        runMainLoopFor(300ms);
    }
    EXPECT_TRUE(editor->hasConflict());
    EXPECT_EQ(onDisk("alpha"), "agent's second text");
    EXPECT_EQ(editor->editText().rfind("agent's text.", 0), 0u);
}

TEST_F(RequirementsEditorTest, AConflictOfAProjectTheUserLeftWaitsForTheUserToComeBack)
{
    editor->beginEditing();
    editor->setEditText("mine");
    editor->setProjectId("beta");
    writeAsAgent(requirementsPath("alpha"), "agent's text", WriteMode::atomicRename);
    runMainLoopFor(afterSaveDelay);
    EXPECT_EQ(onDisk("alpha"), "agent's text");
    EXPECT_FALSE(editor->hasConflict()) << "beta has no conflict";

    editor->setProjectId("alpha");
    EXPECT_TRUE(editor->hasConflict());
    editor->keepMine();
    EXPECT_EQ(onDisk("alpha"), "mine");
    EXPECT_FALSE(editor->hasConflict());
}

} // namespace
} // namespace tq
