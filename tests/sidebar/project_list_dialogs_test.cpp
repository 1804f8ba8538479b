#include "sidebar_fixture.hpp"

#include "sidebar/sidebar_dialogs.hpp"
#include "support/main_loop.hpp"

#include <sys/vfs.h>
#include <linux/magic.h>

#include <cstdlib>
#include <filesystem>

namespace tq::test {
namespace {

using ProjectListDialogsTest = SidebarFixture;

std::vector<std::string> folderNames(const std::string& root)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Types into the New Project dialog's entry and presses Return there.
void typeAndReturn(AdwMessageDialog* dialog, const std::string& text)
{
    auto* entry = adw_message_dialog_get_extra_child(dialog);
    ASSERT_TRUE(GTK_IS_ENTRY(entry));
    gtk_editable_set_text(GTK_EDITABLE(entry), text.c_str());
    // Return in the entry is the text field's "activate" keybinding signal.
    auto* focus = gtk_root_get_focus(GTK_ROOT(dialog));
    ASSERT_TRUE(GTK_IS_TEXT(focus));
    ASSERT_TRUE(gtk_widget_is_ancestor(focus, entry));
    g_signal_emit_by_name(focus, "activate");
}

void type(AdwMessageDialog* dialog, const std::string& text)
{
    gtk_editable_set_text(GTK_EDITABLE(adw_message_dialog_get_extra_child(dialog)), text.c_str());
}

TEST_F(ProjectListDialogsTest, TheNewProjectDialogCreatesATrimmedNameAndIgnoresBlankOrCancel)
{
    // The plus button, pressed like a user would.
    Gtk::Widget* plus = nullptr;
    for (auto* child = view_->get_first_child(); child && !plus; child = child->get_next_sibling()) {
        for (auto* part = child->get_first_child(); part; part = part->get_next_sibling()) {
            if (part->has_css_class("add-project-button"))
                plus = part;
        }
    }
    ASSERT_NE(plus, nullptr);
    auto* picked = pickAt(*plus, plus->get_width() / 2.0, plus->get_height() / 2.0);
    ASSERT_TRUE(picked == plus || (picked && picked->is_ancestor(*plus)));
    g_signal_emit_by_name(plus->gobj(), "clicked");
    auto* dialog = waitForDialog("New Project");
    ASSERT_NE(dialog, nullptr);
    EXPECT_STREQ(adw_message_dialog_get_body(dialog), "Enter the project name:");
    EXPECT_STREQ(gtk_entry_get_placeholder_text(GTK_ENTRY(adw_message_dialog_get_extra_child(dialog))),
                 "project-name");
    EXPECT_STREQ(adw_message_dialog_get_response_label(dialog, createResponse), "Create");
    EXPECT_STREQ(adw_message_dialog_get_response_label(dialog, cancelResponse), "Cancel");
    EXPECT_STREQ(adw_message_dialog_get_default_response(dialog), createResponse);
    EXPECT_STREQ(adw_message_dialog_get_close_response(dialog), cancelResponse);
    EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(dialog)));

    // Blanks only: Return closes the dialog and nothing happens.
    typeAndReturn(dialog, " \t\n ");
    ASSERT_TRUE(runMainLoopUntil([&] { return openDialogs().empty(); }));
    EXPECT_TRUE(folderNames(root_).empty());

    // Cancel creates nothing.
    view_->showNewProjectDialog();
    dialog = waitForDialog("New Project");
    ASSERT_NE(dialog, nullptr);
    type(dialog, "other");
    choose(dialog, "Cancel");
    ASSERT_TRUE(runMainLoopUntil([&] { return openDialogs().empty(); }));
    EXPECT_TRUE(folderNames(root_).empty());

    // Blanks and line breaks around the name are trimmed; the new project is listed, not selected.
    view_->showNewProjectDialog();
    dialog = waitForDialog("New Project");
    ASSERT_NE(dialog, nullptr);
    typeAndReturn(dialog, "  my demo \n");
    ASSERT_TRUE(waitForRowNames({"my demo"}));
    EXPECT_EQ(folderNames(root_), std::vector<std::string>{"my demo"});
    EXPECT_TRUE(exists(root_ + "/my demo/BOOTSTRAP.md"));
    EXPECT_TRUE(rowHasClass("my demo", "preparing"));
    EXPECT_FALSE(selection_.project());
    EXPECT_TRUE(runMainLoopUntil([&] { return openDialogs().empty(); }));
}

TEST_F(ProjectListDialogsTest, ANameTheStoreRefusesIsExplainedAndCreatesNothing)
{
    addFolders({"alpha"});
    ASSERT_TRUE(waitForRowNames({"alpha"}));

    for (const std::string refused : {" .hidden \n", "a/b"}) {
        SCOPED_TRACE(refused);
        view_->showNewProjectDialog();
        auto* dialog = waitForDialog("New Project");
        ASSERT_NE(dialog, nullptr);
        type(dialog, refused);
        choose(dialog, "Create");

        const auto trimmed = *newProjectName(refused);
        auto* notice = waitForDialog("Could not create \"" + trimmed + "\"");
        ASSERT_NE(notice, nullptr) << "no message for a refused name";
        EXPECT_GT(std::string(adw_message_dialog_get_body(notice)).size(), 10u);
        EXPECT_EQ(folderNames(root_), std::vector<std::string>{"alpha"});
        EXPECT_EQ(rowNames(), std::vector<std::string>{"alpha"});
        choose(notice, "OK");
        ASSERT_TRUE(runMainLoopUntil([&] { return openDialogs().empty(); }));
    }
}

TEST_F(ProjectListDialogsTest, DeletingAfterConfirmationTrashesTheFolderAndClearsItsSelection)
{
    addFolders({"alpha", "beta", "gamma"});
    ASSERT_TRUE(waitForRowNames({"alpha", "beta", "gamma"}));
    selection_.set(project("beta"));
    const std::string trash = std::string(std::getenv("XDG_DATA_HOME")) + "/Trash/files/";

    // Cancel keeps everything.
    ASSERT_TRUE(activate("delete", "beta"));
    auto* dialog = waitForDialog("Delete \"beta\"?");
    ASSERT_NE(dialog, nullptr);
    EXPECT_STREQ(adw_message_dialog_get_body(dialog), "The project directory will be moved to Trash.");
    EXPECT_STREQ(adw_message_dialog_get_response_label(dialog, moveToTrashResponse), "Move to Trash");
    EXPECT_STREQ(adw_message_dialog_get_response_label(dialog, cancelResponse), "Cancel");
    EXPECT_EQ(adw_message_dialog_get_response_appearance(dialog, moveToTrashResponse), ADW_RESPONSE_DESTRUCTIVE);
    choose(dialog, "Cancel");
    ASSERT_TRUE(runMainLoopUntil([&] { return openDialogs().empty(); }));
    EXPECT_TRUE(exists(root_ + "/beta"));
    EXPECT_EQ(selection_.projectId(), "beta");

    // Deleting another project keeps the selection.
    ASSERT_TRUE(activate("delete", "gamma"));
    dialog = waitForDialog("Delete \"gamma\"?");
    ASSERT_NE(dialog, nullptr);
    choose(dialog, "Move to Trash");
    EXPECT_TRUE(waitForRowNames({"alpha", "beta"}));
    EXPECT_FALSE(exists(root_ + "/gamma"));
    EXPECT_TRUE(exists(trash + "gamma"));
    EXPECT_EQ(selection_.projectId(), "beta");

    // Deleting the selected project clears the selection.
    ASSERT_TRUE(activate("delete", "beta"));
    dialog = waitForDialog("Delete \"beta\"?");
    ASSERT_NE(dialog, nullptr);
    choose(dialog, "Move to Trash");
    EXPECT_TRUE(waitForRowNames({"alpha"}));
    EXPECT_TRUE(exists(trash + "beta"));
    EXPECT_FALSE(selection_.project());
    EXPECT_TRUE(runMainLoopUntil([&] { return openDialogs().empty(); }));
}

TEST_F(ProjectListDialogsTest, AFailedMoveToTheTrashKeepsTheFolderAndTellsTheUser)
{
    // System internal mounts such as /dev/shm have no Trash.
    struct statfs info {};
    if (statfs("/dev/shm", &info) != 0 || info.f_type != TMPFS_MAGIC)
        GTEST_SKIP() << "needs a tmpfs at /dev/shm";
    char pattern[] = "/dev/shm/tq-sidebar-test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    makeDirectories(root + "/demo");
    projectManager_->setRootDirectory(root);
    ASSERT_TRUE(waitForRowNames({"demo"}));
    selection_.set(project("demo"));

    ASSERT_TRUE(activate("delete", "demo"));
    auto* dialog = waitForDialog("Delete \"demo\"?");
    ASSERT_NE(dialog, nullptr);
    choose(dialog, "Move to Trash");
    auto* notice = waitForDialog("Could not move \"demo\" to the Trash");
    EXPECT_NE(notice, nullptr);
    EXPECT_TRUE(exists(root + "/demo"));
    EXPECT_EQ(rowNames(), std::vector<std::string>{"demo"});
    std::filesystem::remove_all(root);
}

} // namespace
} // namespace tq::test
