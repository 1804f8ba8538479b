#pragma once

#include "app/project_selection.hpp"
#include "projects/project_manager.hpp"
#include "sidebar/project_list_view.hpp"
#include "sidebar/project_row.hpp"
#include "support/temp_dir.hpp"
#include "terminals/fake_terminal_view.hpp"
#include "terminals/terminal_session_manager.hpp"

#include <adwaita.h>
#include <gtest/gtest.h>
#include <gtkmm/window.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tq::test {

// A sidebar in a window over a real store (a temporary root and settings file) and a session
// manager whose shells are fakes; `makeActive` marks a project's shell as running a program.
class SidebarFixture : public ::testing::Test {
protected:
    SidebarFixture();
    ~SidebarFixture() override;

    // Creates plain project folders (no scaffolding) and reloads the store.
    void addFolders(const std::vector<std::string>& names);
    void makeActive(const std::string& name);
    const Project& project(const std::string& name) const;

    // Mapped rows, top to bottom.
    std::vector<ProjectRow*> rows();
    std::vector<std::string> rowNames();
    ProjectRow* row(const std::string& name);
    // False also when no such row is on screen.
    bool rowHasClass(const std::string& name, const char* cssClass);
    bool waitForRowNames(const std::vector<std::string>& expected);

    // Pointer input at a point given in `widget`'s coordinates, delivered in process (the test
    // display is shared by tests running in parallel, so the real pointer is not used): GTK's
    // own hit test picks the widget at that point, and the row containing it gets the crossing
    // or the click. `pointerAt` returns that row (null when the point is on no row).
    Gtk::Widget* pickAt(Gtk::Widget& widget, double x, double y);
    ProjectRow* pointerAt(Gtk::Widget& widget, double x, double y);
    void clickAt(Gtk::Widget& widget, double x, double y, unsigned button = 1);

    // The shown message dialog with that heading, after waiting for it; null when none came.
    AdwMessageDialog* waitForDialog(const std::string& heading);
    std::vector<AdwMessageDialog*> openDialogs();
    // Clicks the dialog's response button with that label.
    void choose(AdwMessageDialog* dialog, const std::string& label);

    bool activate(const char* action, const std::string& projectId);
    std::vector<std::string> pinnedIdsOnDisk() const;

    TempDir home_;
    std::string root_;
    std::string settingsPath_;
    std::unique_ptr<ProjectManager> projectManager_;
    FakeTerminalViewFactory factory_;
    std::set<int> busyProcessIds_;
    std::unique_ptr<TerminalSessionManager> sessionManager_;
    ProjectSelection selection_;
    std::unique_ptr<Gtk::Window> window_;
    ProjectListView* view_ = nullptr;
    ProjectRow* rowUnderPointer_ = nullptr;
};

} // namespace tq::test
