#pragma once

#include "app/project_selection.hpp"
#include "projects/project_manager.hpp"
#include "sidebar/project_list_item.hpp"
#include "terminals/terminal_session_manager.hpp"

#include <giomm/liststore.h>
#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/listitem.h>
#include <gtkmm/listview.h>
#include <gtkmm/popovermenu.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/separator.h>
#include <gtkmm/signallistitemfactory.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tq {

class ProjectRow;

// The sidebar column: the product name, the PROJECTS bar with the New Project button, a
// divider and the scrolling list of projects in display order (rows built as they scroll into
// view). A click on a row selects its project; the row's context menu pins or unpins it, shows
// its folder in the file manager or deletes it after a confirmation.
//
// Actions, in the group "sidebar" on this widget: sidebar.new-project, and with the project id
// as a byte string ("ay"): sidebar.toggle-pin, sidebar.show-in-file-manager, sidebar.delete.
class ProjectListView : public Gtk::Box {
public:
    ProjectListView(ProjectManager& projectManager, TerminalSessionManager& sessionManager,
                    ProjectSelection& selectedProject);
    ~ProjectListView() override;

    void showNewProjectDialog();
    void confirmDelete(const Project& project);

private:
    struct Entry {
        std::string projectId;
        std::string name;
        ProjectState state;
    };

    void onStoresChanged();
    void rebuild();
    void refreshRowLooks();
    void setUpRow(const Glib::RefPtr<Gtk::ListItem>& listItem);
    void bindRow(const Glib::RefPtr<Gtk::ListItem>& listItem);
    void unbindRow(const Glib::RefPtr<Gtk::ListItem>& listItem);
    void onPointerInside(const ProjectRow& row, bool inside);
    void openContextMenu(ProjectRow& row, double x, double y);
    void select(const std::string& projectId);
    const Project* findProject(const std::string& projectId) const;
    void showInFileManager(const std::string& projectId);
    void deleteConfirmed(const std::string& projectId, const std::string& name);
    void createRequested(const std::string& typed);
    Gtk::Window* window();
    void addActions();

    ProjectManager& projectManager_;
    TerminalSessionManager& sessionManager_;
    ProjectSelection& selectedProject_;
    std::optional<std::string> hoveredProjectId_;
    std::vector<Entry> shownEntries_; // mirrors items_
    std::set<ProjectRow*> boundRows_;
    bool destroying_ = false;

    Glib::RefPtr<Gio::ListStore<ProjectListItem>> items_;
    Glib::RefPtr<Gtk::SignalListItemFactory> factory_;

    Gtk::Box header_;
    Gtk::Label brandFirst_;
    Gtk::Label brandSpace_;
    Gtk::Label brandSecond_;
    Gtk::Box sectionBar_;
    Gtk::Label sectionTitle_;
    Gtk::Button addButton_;
    Gtk::Separator divider_;
    Gtk::ScrolledWindow scroller_;
    Gtk::ListView list_;
    Gtk::PopoverMenu contextMenu_;
};

} // namespace tq
