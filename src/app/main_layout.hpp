#pragma once

#include "app/app_state.hpp"
#include "app/project_selection.hpp"
#include "app/workspace_controller.hpp"
#include "projects/file_watcher.hpp"
#include "projects/project_manager.hpp"
#include "terminals/terminal_session_manager.hpp"

#include <gtkmm/box.h>
#include <gtkmm/stack.h>

#include <functional>
#include <memory>

namespace tq {

class OnboardingView;
class PlaceholderView;
class ProjectListView;
class RightPanelView;
class StatusBarView;
class TerminalContainerView;
class WorkspaceColumns;

// The content of every window: owns the window's stores and selection, shows onboarding until a
// root folder is known, then the three columns over the status bar.
class MainLayout : public Gtk::Box {
public:
    // `isActiveWindow` tells whether the menu currently speaks to this layout's window.
    MainLayout(AppState& appState, std::function<bool()> isActiveWindow);
    ~MainLayout() override;

    ProjectManager& projectManager() { return projectManager_; }
    TerminalSessionManager& sessionManager() { return sessionManager_; }
    FileWatcher& fileWatcher() { return fileWatcher_; }
    ProjectSelection& selection() { return selection_; }

    bool isWorkspaceShown() const { return controller_.isWorkspaceShown(); }
    bool isSidebarVisible() const;
    bool isDocumentsVisible() const;
    void setSidebarVisible(bool visible);
    void setDocumentsVisible(bool visible);

private:
    void showGateOrWorkspace();
    void buildWorkspace();
    void updateTerminalColumn();
    void updateDocumentsColumn();
    void updateStatusBar();

    // Stores first: the widgets below borrow them and must go first.
    ProjectManager projectManager_;
    std::unique_ptr<TerminalViewFactory> terminalFactory_;
    TerminalSessionManager sessionManager_;
    FileWatcher fileWatcher_;
    ProjectSelection selection_;
    WorkspaceController controller_;

    Gtk::Stack gate_;
    OnboardingView* onboarding_ = nullptr;
    Gtk::Box* workspace_ = nullptr;
    WorkspaceColumns* columns_ = nullptr;
    ProjectListView* sidebar_ = nullptr;
    // Each side of the workspace shows one widget at a time; what is not shown is out of the
    // widget tree (so assistive technology never reads a hidden page).
    Gtk::Box* terminalColumn_ = nullptr;
    std::unique_ptr<PlaceholderView> terminalPlaceholder_;
    std::unique_ptr<TerminalContainerView> terminalContainer_;
    std::optional<std::string> terminalContainerProjectId_;
    Gtk::Box* documentsColumn_ = nullptr;
    std::unique_ptr<PlaceholderView> documentsPlaceholder_;
    std::unique_ptr<RightPanelView> rightPanel_;
    StatusBarView* statusBar_ = nullptr;
};

} // namespace tq
