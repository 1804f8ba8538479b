#include "app/workspace_controller.hpp"

#include <algorithm>

namespace tq {

WorkspaceController::WorkspaceController(AppState& appState, ProjectManager& projectManager,
                                         TerminalSessionManager& sessionManager, FileWatcher& fileWatcher,
                                         ProjectSelection& selection, std::function<bool()> handlesMenuRequests)
    : appState_(appState), projectManager_(projectManager), sessionManager_(sessionManager),
      fileWatcher_(fileWatcher), selection_(selection), handlesMenuRequests_(std::move(handlesMenuRequests))
{
    // The app state outlives every window: keep these connections to cut them on destruction.
    appStateConnections_.push_back(
        appState_.splitActionChanged().connect(sigc::mem_fun(*this, &WorkspaceController::onSplitAction)));
    appStateConnections_.push_back(appState_.closePaneActionChanged().connect(
        sigc::mem_fun(*this, &WorkspaceController::onClosePaneAction)));
    appStateConnections_.push_back(
        appState_.newTabActionChanged().connect(sigc::mem_fun(*this, &WorkspaceController::onNewTabAction)));
    selection_.changed().connect(sigc::mem_fun(*this, &WorkspaceController::onSelectionChanged));
    fileWatcher_.lastChangeChanged().connect(sigc::mem_fun(*this, &WorkspaceController::onLastChange));
}

WorkspaceController::~WorkspaceController()
{
    for (auto& connection : appStateConnections_)
        connection.disconnect();
    preparingRefresh_.disconnect();
}

void WorkspaceController::workspaceAppeared()
{
    if (isWorkspaceShown())
        return;
    // Shown from here on, also for whoever observes the load below. A whole-second timer wakes
    // up together with the activity monitor's, so an idle window wakes once every 2 seconds.
    preparingRefresh_ = Glib::signal_timeout().connect_seconds(
        [this] {
            projectManager_.refreshPreparingProjects();
            ticked_.emit();
            return true;
        },
        preparingRefreshIntervalSeconds);
    projectManager_.loadProjects();
    sessionManager_.startMonitoring();
}

void WorkspaceController::workspaceDisappeared()
{
    preparingRefresh_.disconnect();
}

const Project* WorkspaceController::selectedRecord() const
{
    const auto id = selection_.projectId();
    if (!id)
        return nullptr;
    const auto& projects = projectManager_.projects();
    const auto found = std::find_if(projects.begin(), projects.end(),
                                    [&](const Project& project) { return project.id() == *id; });
    return found == projects.end() ? nullptr : &*found;
}

void WorkspaceController::onSplitAction()
{
    const auto direction = appState_.splitAction();
    if (!direction || !handlesMenuRequests_())
        return;
    const auto& project = selection_.project();
    const auto& focused = sessionManager_.focusedTerminalId();
    if (project && focused)
        sessionManager_.splitTerminal(project->id(), *focused, *direction, project->path);
    appState_.setSplitAction(std::nullopt);
}

void WorkspaceController::onClosePaneAction()
{
    if (!appState_.closePaneAction() || !handlesMenuRequests_())
        return;
    const auto& project = selection_.project();
    const auto& focused = sessionManager_.focusedTerminalId();
    if (project && focused)
        sessionManager_.closeTerminal(project->id(), *focused);
    appState_.setClosePaneAction(false);
}

void WorkspaceController::onNewTabAction()
{
    if (!appState_.newTabAction() || !handlesMenuRequests_())
        return;
    if (const auto& project = selection_.project())
        sessionManager_.addTerminal(project->id(), project->path);
    appState_.setNewTabAction(false);
}

void WorkspaceController::onSelectionChanged()
{
    const auto id = selection_.projectId();
    if (id == watchedProjectId_)
        return;
    watchedProjectId_ = id;
    if (!id) {
        fileWatcher_.stop();
        return;
    }
    fileWatcher_.watch({selection_.project()->path + "/.tavoro"});
}

void WorkspaceController::onLastChange()
{
    projectManager_.loadProjects();
}

} // namespace tq
