#pragma once

#include "app/app_state.hpp"
#include "app/project_selection.hpp"
#include "projects/file_watcher.hpp"
#include "projects/project_manager.hpp"
#include "terminals/terminal_session_manager.hpp"

#include <glibmm/main.h>
#include <sigc++/sigc++.h>

#include <functional>

namespace tq {

// The window's wiring that is not drawing: performs the menu requests on the selected project,
// keeps the file watcher on the selected project's .tavoro folder, reloads the projects on
// every document change, and runs the periodic preparing-state refresh while the workspace is
// shown.
class WorkspaceController : public sigc::trackable {
public:
    static constexpr unsigned preparingRefreshIntervalSeconds = 2;

    // `handlesMenuRequests` tells whether this window is the one the menu speaks to (the active
    // window); requests are left to the other windows otherwise.
    WorkspaceController(AppState& appState, ProjectManager& projectManager, TerminalSessionManager& sessionManager,
                        FileWatcher& fileWatcher, ProjectSelection& selection,
                        std::function<bool()> handlesMenuRequests);
    ~WorkspaceController();
    WorkspaceController(const WorkspaceController&) = delete;
    WorkspaceController& operator=(const WorkspaceController&) = delete;

    // The workspace (rather than onboarding) is now on screen / no longer on screen.
    void workspaceAppeared();
    void workspaceDisappeared();
    bool isWorkspaceShown() const { return preparingRefresh_.connected(); }

    // The selected project's record as the store holds it now, if it is still listed.
    const Project* selectedRecord() const;

    // Fires after each tick of the periodic job, so the window can refresh time-dependent text.
    sigc::signal<void()>& ticked() { return ticked_; }

private:
    void onSplitAction();
    void onClosePaneAction();
    void onNewTabAction();
    void onSelectionChanged();
    void onLastChange();

    AppState& appState_;
    ProjectManager& projectManager_;
    TerminalSessionManager& sessionManager_;
    FileWatcher& fileWatcher_;
    ProjectSelection& selection_;
    std::function<bool()> handlesMenuRequests_;
    std::optional<std::string> watchedProjectId_;
    sigc::connection preparingRefresh_;
    sigc::signal<void()> ticked_;
    std::vector<sigc::connection> appStateConnections_;
};

} // namespace tq
