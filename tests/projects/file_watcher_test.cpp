#include "projects/file_watcher.hpp"

#include "support/main_loop.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

namespace tq {
namespace {

using namespace std::chrono_literals;
using test::runMainLoopFor;
using test::runMainLoopUntil;
using Clock = std::chrono::system_clock;

// Saves the way editors and the store do: a temporary file in the same folder renamed over the target.
void atomicWrite(const std::string& path, const std::string& content)
{
    const auto slash = path.find_last_of('/');
    const std::string temporary = path.substr(0, slash) + "/." + path.substr(slash + 1) + ".tmp~";
    test::writeFile(temporary, content);
    ASSERT_EQ(std::rename(temporary.c_str(), path.c_str()), 0);
}

class FileWatcherTest : public testing::Test {
protected:
    FileWatcherTest()
    {
        test::makeDirectories(tavoro);
        watcher->lastChangeChanged().connect([this] {
            ASSERT_TRUE(watcher->lastChange().has_value());
            seen.push_back(*watcher->lastChange());
            publishedAt.push_back(Clock::now());
        });
    }

    std::vector<std::string> seenPaths() const
    {
        std::vector<std::string> paths;
        for (const auto& event : seen)
            paths.push_back(event.path);
        return paths;
    }

    // Waits for `count` publications, then for one more batch window in which nothing else may arrive.
    void expectPaths(const std::vector<std::string>& expected)
    {
        EXPECT_TRUE(runMainLoopUntil([&] { return seen.size() >= expected.size(); }, 4s));
        runMainLoopFor(1300ms);
        EXPECT_EQ(seenPaths(), expected);
    }

    test::TempDir root;
    std::string project = root / "project";
    std::string tavoro = project + "/.tavoro";
    std::unique_ptr<FileWatcher> watcher = std::make_unique<FileWatcher>();
    std::vector<FileChangeEvent> seen;
    std::vector<Clock::time_point> publishedAt;
};

TEST_F(FileWatcherTest, AtomicSaveIsReportedAboutASecondLaterWithThePublicationTime)
{
    watcher->watch({ tavoro });
    EXPECT_EQ(watcher->watchedDirectories(), std::vector<std::string> { tavoro });
    const auto written = Clock::now();
    atomicWrite(tavoro + "/requirements.md", "# Requirements\n");

    expectPaths({ tavoro + "/requirements.md" });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_GE(seen[0].timestamp - written, 900ms);
    EXPECT_LT(seen[0].timestamp - written, 3000ms);
    EXPECT_LE(seen[0].timestamp, publishedAt[0]);
    EXPECT_GE(seen[0].timestamp, publishedAt[0] - 500ms);
    EXPECT_EQ(watcher->lastChange(), seen[0]);
}

TEST_F(FileWatcherTest, EachKindOfDocumentChangeIsReportedOnce)
{
    struct Case {
        const char* name;
        std::function<void(const std::string& folder)> change;
        const char* reported;
    };
    const std::vector<Case> cases {
        { "in-place overwrite", [](const std::string& f) { test::writeFile(f + "/progress.md", "new"); }, "progress.md" },
        { "new document", [](const std::string& f) { test::writeFile(f + "/notes.md", "x"); }, "notes.md" },
        { "deletion", [](const std::string& f) { std::filesystem::remove(f + "/progress.md"); }, "progress.md" },
        { "renamed away",
          [](const std::string& f) { std::filesystem::rename(f + "/progress.md", f + "/progress.old"); },
          "progress.md" },
        { "permissions", [](const std::string& f) { ::chmod((f + "/progress.md").c_str(), 0600); }, "progress.md" },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        test::TempDir folder;
        test::writeFile(folder / "progress.md", "old");
        seen.clear();
        watcher->watch({ folder.path() });
        row.change(folder.path());
        expectPaths({ folder / row.reported });
    }
}

TEST_F(FileWatcherTest, OnlyPathsEndingInLowerCaseMdAreReported)
{
    watcher->watch({ tavoro });
    test::writeFile(tavoro + "/notes.txt", "x");
    test::writeFile(tavoro + "/README.MD", "x");
    test::writeFile(tavoro + "/draft.Md", "x");
    test::writeFile(tavoro + "/requirements.md.swp", "x");
    test::writeFile(tavoro + "/progress.md~", "x");
    test::writeFile(tavoro + "/md", "x");
    test::writeFile(tavoro + "/progress.md", "x"); // proves the others shared a live batch

    expectPaths({ tavoro + "/progress.md" });
}

TEST_F(FileWatcherTest, ABatchPublishesEachDocumentOnceInOrderOfFirstChange)
{
    watcher->watch({ tavoro });
    test::writeFile(tavoro + "/requirements.md", "1");
    test::writeFile(tavoro + "/progress.md", "1");
    test::writeFile(tavoro + "/requirements.md", "2");
    atomicWrite(tavoro + "/requirements.md", "3");

    expectPaths({ tavoro + "/requirements.md", tavoro + "/progress.md" });
    EXPECT_EQ(watcher->lastChange()->path, tavoro + "/progress.md");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_LE(seen[0].timestamp, seen[1].timestamp);
}

TEST_F(FileWatcherTest, ChangesAfterStopAreNotReportedAndTheLastChangeStays)
{
    watcher->watch({ tavoro });
    test::writeFile(tavoro + "/progress.md", "1");
    expectPaths({ tavoro + "/progress.md" });
    const auto last = watcher->lastChange();

    test::writeFile(tavoro + "/requirements.md", "pending when stopped");
    runMainLoopFor(100ms);
    watcher->stop();
    test::writeFile(tavoro + "/progress.md", "2");
    runMainLoopFor(1500ms);

    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(watcher->lastChange(), last);
    EXPECT_EQ(watcher->watchedDirectories(), std::vector<std::string> { tavoro });
}

TEST_F(FileWatcherTest, WatchingAnotherFolderForgetsThePreviousOne)
{
    const std::string other = root / "other/.tavoro";
    test::makeDirectories(other);
    watcher->watch({ tavoro });
    watcher->watch({ other });
    EXPECT_EQ(watcher->watchedDirectories(), std::vector<std::string> { other });

    test::writeFile(tavoro + "/progress.md", "old project");
    test::writeFile(other + "/progress.md", "new project");
    expectPaths({ other + "/progress.md" });
}

TEST_F(FileWatcherTest, SeveralFoldersAreWatchedAtOnce)
{
    const std::string other = root / "other";
    test::makeDirectories(other);
    watcher->watch({ tavoro, other });
    test::writeFile(other + "/a.md", "x");
    test::writeFile(tavoro + "/b.md", "x");
    expectPaths({ other + "/a.md", tavoro + "/b.md" });
}

TEST_F(FileWatcherTest, FoldersCreatedLaterAreWatchedToo)
{
    watcher->watch({ tavoro });
    // Created and filled at once: the document is written before the new folder can be watched.
    test::makeDirectories(tavoro + "/notes/deep");
    test::writeFile(tavoro + "/notes/deep/early.md", "x");
    expectPaths({ tavoro + "/notes/deep/early.md" });

    seen.clear();
    test::writeFile(tavoro + "/notes/deep/later.md", "x");
    expectPaths({ tavoro + "/notes/deep/later.md" });
}

TEST_F(FileWatcherTest, FolderMovedWithinTheTreeIsFollowedUnderItsNewName)
{
    test::makeDirectories(tavoro + "/drafts");
    watcher->watch({ tavoro });
    std::filesystem::rename(tavoro + "/drafts", tavoro + "/archive");
    runMainLoopFor(1300ms);
    seen.clear();

    test::writeFile(tavoro + "/archive/plan.md", "x");
    expectPaths({ tavoro + "/archive/plan.md" });
}

TEST_F(FileWatcherTest, FolderMovedOutOfTheTreeIsNoLongerReported)
{
    // "drafts-old" sorts between "drafts" and "drafts/inner".
    test::makeDirectories(tavoro + "/drafts/inner");
    test::makeDirectories(tavoro + "/drafts-old");
    watcher->watch({ tavoro });
    std::filesystem::rename(tavoro + "/drafts", root / "outside");

    test::writeFile(root / "outside/plan.md", "x");
    test::writeFile(root / "outside/inner/plan.md", "x");
    test::writeFile(tavoro + "/drafts-old/plan.md", "x");
    expectPaths({ tavoro + "/drafts-old/plan.md" });
}

TEST_F(FileWatcherTest, AMissingFolderIsPickedUpWhenItAppears)
{
    struct Case {
        const char* name;
        std::string watched;
    };
    const std::vector<Case> cases {
        { "project without .tavoro yet", root / "fresh/.tavoro" },
        { "nothing of the path exists yet", root / "later/deeper/.tavoro" },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        seen.clear();
        test::makeDirectories(root / "fresh");
        watcher->watch({ row.watched });
        runMainLoopFor(100ms);

        test::makeDirectories(row.watched);
        atomicWrite(row.watched + "/requirements.md", "first save");
        expectPaths({ row.watched + "/requirements.md" });

        seen.clear();
        test::writeFile(row.watched + "/progress.md", "x");
        expectPaths({ row.watched + "/progress.md" });
    }
}

TEST_F(FileWatcherTest, AWatchedFolderDeletedAndCreatedAgainIsStillWatched)
{
    watcher->watch({ tavoro });
    std::filesystem::remove_all(tavoro);
    runMainLoopFor(200ms);
    test::makeDirectories(tavoro);
    test::writeFile(tavoro + "/progress.md", "x");
    expectPaths({ tavoro + "/progress.md" });
}

TEST_F(FileWatcherTest, LostEventsAreRecoveredFromWithoutMissingNewFolders)
{
    watcher->watch({ tavoro });
    // Overflow the kernel's event queue (16384 by default) with alternating attribute changes,
    // which the kernel cannot merge, then create a folder whose event is lost with the rest.
    test::writeFile(tavoro + "/a.txt", "");
    test::writeFile(tavoro + "/b.txt", "");
    for (int i = 0; i < 20000; ++i)
        ::chmod((tavoro + (i % 2 ? "/a.txt" : "/b.txt")).c_str(), i % 4 < 2 ? 0600 : 0644);
    test::makeDirectories(tavoro + "/unseen");
    runMainLoopFor(300ms);

    test::writeFile(tavoro + "/unseen/progress.md", "x");
    expectPaths({ tavoro + "/unseen/progress.md" });
}

TEST_F(FileWatcherTest, DestroyingTheWatcherWithABatchPendingIsSafe)
{
    watcher->watch({ tavoro });
    test::writeFile(tavoro + "/progress.md", "x");
    runMainLoopFor(100ms);
    watcher.reset();
    runMainLoopFor(1300ms);
    EXPECT_TRUE(seen.empty());
}

TEST_F(FileWatcherTest, AnObserverMayMoveOrDestroyTheWatcherDuringAPublication)
{
    const std::string other = root / "other";
    test::makeDirectories(other);
    watcher->watch({ tavoro });
    watcher->lastChangeChanged().connect([this, other] {
        if (seen.size() == 1)
            watcher->watch({ other });
        else if (seen.size() == 2)
            watcher.reset();
    });
    test::writeFile(tavoro + "/a.md", "x");
    test::writeFile(tavoro + "/b.md", "x");
    test::writeFile(tavoro + "/c.md", "x");
    runMainLoopUntil([&] { return seen.size() >= 2; }, 4s);
    runMainLoopFor(300ms);
    EXPECT_EQ(seenPaths(), (std::vector<std::string> { tavoro + "/a.md", tavoro + "/b.md" }));
    EXPECT_FALSE(watcher);
}

} // namespace
} // namespace tq
