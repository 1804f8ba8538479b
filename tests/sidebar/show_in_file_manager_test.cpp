// These tests need a session bus; the test command runs every test under dbus-run-session.
#include "sidebar/show_in_file_manager.hpp"

#include "fake_file_manager.hpp"
#include "support/main_loop.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace tq {
namespace {

using test::FakeFileManager;
using test::runMainLoopUntil;

const char* const escapedName = "My%20Project%20%231%20100%25%20%C3%A9";
const char* const folderName = "My Project #1 100% \u00E9";

struct Outcome {
    bool done = false;
    int calls = 0;
    MaybeError error;
};

sigc::slot<void(MaybeError)> recordInto(Outcome& outcome)
{
    return [&outcome](MaybeError error) {
        outcome.done = true;
        ++outcome.calls;
        outcome.error = std::move(error);
    };
}

TEST(ShowInFileManager, AsksTheFileManagerServiceWithAnEscapedFolderUri)
{
    test::TempDir root;
    const auto folder = root / folderName;
    test::makeDirectories(folder);
    FakeFileManager fileManager("org.tavoroquelm.test.FileManager" + std::to_string(getpid()));
    ASSERT_TRUE(fileManager.owned());

    Outcome outcome;
    showInFileManager(folder, recordInto(outcome), fileManager.busName());
    ASSERT_TRUE(runMainLoopUntil([&] { return outcome.done; }));
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_FALSE(outcome.error) << outcome.error->message;
    ASSERT_EQ(fileManager.shownUris().size(), 1u);
    EXPECT_EQ(fileManager.shownUris()[0].raw(), "file://" + root.path() + "/" + escapedName);
}

TEST(ShowInFileManager, FallsBackToTheDefaultHandlerOfTheFolderUri)
{
    // A fake file manager as the default application for folders.
    test::TempDir home;
    test::ScopedEnv dataHome("XDG_DATA_HOME", (home / "data").c_str());
    test::ScopedEnv configHome("XDG_CONFIG_HOME", (home / "config").c_str());
    test::makeDirectories(home / "data/applications");
    test::makeDirectories(home / "config");
    const auto received = home / "received";
    const auto script = home / "open-folder";
    test::writeFile(script, "#!/bin/sh\nprintf '%s' \"$1\" > '" + received + ".tmp' && mv '" + received + ".tmp' '" +
                                received + "'\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    test::writeFile(home / "data/applications/tq-test-files.desktop",
                    "[Desktop Entry]\nType=Application\nName=Files\nExec=" + script +
                        " %u\nMimeType=inode/directory;\n");
    test::writeFile(home / "config/mimeapps.list", "[Default Applications]\ninode/directory=tq-test-files.desktop\n");

    test::TempDir root;
    const auto folder = root / folderName;
    test::makeDirectories(folder);

    Outcome outcome;
    showInFileManager(folder, recordInto(outcome), "org.tavoroquelm.test.NoFileManagerHere");
    ASSERT_TRUE(runMainLoopUntil([&] { return outcome.done; }));
    EXPECT_FALSE(outcome.error) << outcome.error->message;
    ASSERT_TRUE(runMainLoopUntil([&] { return test::exists(received); }));
    // GIO hands a local folder to a %u handler as its path.
    const auto handed = test::readFile(received);
    EXPECT_TRUE(handed == folder || handed == "file://" + root.path() + "/" + escapedName) << handed;
    EXPECT_EQ(outcome.calls, 1);
}

TEST(ShowInFileManager, ReportsAnErrorWhenNeitherWayWorks)
{
    test::TempDir root;
    Outcome outcome;
    // Gone folder: it has no content type, so no default handler either.
    showInFileManager(root / "gone", recordInto(outcome), "org.tavoroquelm.test.NoFileManagerHere");
    ASSERT_TRUE(runMainLoopUntil([&] { return outcome.done; }));
    EXPECT_EQ(outcome.calls, 1);
    ASSERT_TRUE(outcome.error);
    EXPECT_FALSE(outcome.error->message.empty());

    Outcome relative;
    showInFileManager("relative/path", recordInto(relative));
    EXPECT_TRUE(relative.done);
    EXPECT_TRUE(relative.error);
}

} // namespace
} // namespace tq
