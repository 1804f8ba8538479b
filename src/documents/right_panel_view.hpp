#pragma once

#include "documents/requirements_editor.hpp"
#include "documents/requirements_view.hpp"
#include "documents/right_panel_tab.hpp"

#include <gtkmm/box.h>
#include <gtkmm/label.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/separator.h>
#include <gtkmm/stack.h>
#include <gtkmm/togglebutton.h>

#include <array>
#include <string>

namespace tq {

class ProjectManager;

// The documents panel of the selected project: the REQUIREMENTS and PROGRESS tabs. It shows
// the store's current record for its project id and follows every change of the store.
// The main layout keeps one panel while a project is selected and moves it to another
// project with setProjectId, so the open tab survives project switches.
class RightPanelView : public Gtk::Box {
public:
    RightPanelView(ProjectManager& projectManager, std::string projectId,
                   RightPanelTab initialTab = RightPanelTab::requirements);

    static constexpr const char* emptyProgressText = "No progress tracked yet.";

    const std::string& projectId() const { return editor_.projectId(); }
    void setProjectId(std::string id);

    // Writes the requirements edits still waiting for their deferred save (window closing).
    void savePendingNow() { editor_.savePendingNow(); }

    RightPanelTab selectedTab() const { return selectedTab_; }
    void selectTab(RightPanelTab tab);

    // The parts tests and the accessibility layer reach.
    Gtk::ToggleButton& tabButton(RightPanelTab tab) { return tabButtons_[static_cast<std::size_t>(tab)]; }
    RequirementsView& requirementsView() { return requirementsView_; }
    Gtk::Label& progressLabel() { return progressLabel_; }

private:
    void showProgress();

    ProjectManager& projectManager_;
    // Declared before the views that observe it: it is destroyed after them.
    RequirementsEditor editor_;
    RightPanelTab selectedTab_;
    Gtk::Box tabBar_;
    std::array<Gtk::ToggleButton, allRightPanelTabs.size()> tabButtons_;
    Gtk::Separator divider_;
    Gtk::Stack content_;
    RequirementsView requirementsView_;
    Gtk::ScrolledWindow progressScroller_;
    Gtk::Label progressLabel_;
};

} // namespace tq
