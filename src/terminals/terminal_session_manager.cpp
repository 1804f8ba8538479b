#include "terminals/terminal_session_manager.hpp"

#include <cassert>
#include <utility>

namespace tq {

TerminalSessionManager::TerminalSessionManager(TerminalViewFactory& factory, ActivityTest activityTest)
    : factory_(factory)
    , activityTest_(std::move(activityTest))
{
}

TerminalSessionManager::~TerminalSessionManager()
{
    monitoringTask_.disconnect();
    // Releasing the views closes their terminals: each shell gets a hang-up.
    terminalViews_.clear();
}

void TerminalSessionManager::setFocusedTerminalId(std::optional<Uuid> id)
{
    focusedTerminalId_ = std::move(id);
    focusedTerminalIdChanged_.emit();
}

std::shared_ptr<TerminalView> TerminalSessionManager::terminalView(const Uuid& terminalId) const
{
    const auto found = terminalViews_.find(terminalId);
    return found == terminalViews_.end() ? nullptr : found->second;
}

std::optional<std::string> TerminalSessionManager::projectOf(const Uuid& terminalId) const
{
    const auto found = terminalToProject_.find(terminalId);
    if (found == terminalToProject_.end())
        return std::nullopt;
    return found->second;
}

bool TerminalSessionManager::isPaneOf(const std::string& projectId, const Uuid& terminalId) const
{
    const auto found = terminalToProject_.find(terminalId);
    return found != terminalToProject_.end() && found->second == projectId;
}

void TerminalSessionManager::assignTree(const std::string& projectId, SplitNodePtr tree)
{
    assert(tree);
    projectTrees_[projectId] = std::move(tree);
    projectTreesChanged_.emit();
}

SplitNodePtr TerminalSessionManager::getOrCreateTree(const Project& project)
{
    const auto key = project.id();
    if (const auto found = projectTrees_.find(key); found != projectTrees_.end())
        return found->second;
    const auto id = Uuid::random();
    terminalToProject_[id] = key;
    assignTree(key, SplitNode::terminal(id));
    setFocusedTerminalId(id);
    return projectTrees_.at(key);
}

std::shared_ptr<TerminalView> TerminalSessionManager::getOrCreateTerminalView(
    const Uuid& terminalId, const std::string& workingDirectory)
{
    if (auto existing = terminalView(terminalId))
        return existing;
    auto view = factory_.createTerminalView(workingDirectory);
    assert(view);
    terminalViews_[terminalId] = view;
    return view;
}

// The new pane is registered and its shell started before the tree is published, so observers
// re-rendering on the change find every pane of the tree already in place.
void TerminalSessionManager::addTerminal(const std::string& projectId, const std::string& workingDirectory)
{
    const auto id = Uuid::random();
    SplitNodePtr tree = SplitNode::terminal(id);
    if (const auto found = projectTrees_.find(projectId); found != projectTrees_.end())
        tree = SplitNode::split(
            Uuid::random(), SplitDirection::horizontal, found->second, std::move(tree), 0.5);
    terminalToProject_[id] = projectId;
    getOrCreateTerminalView(id, workingDirectory);
    assignTree(projectId, std::move(tree));
    setFocusedTerminalId(id);
}

void TerminalSessionManager::splitTerminal(const std::string& projectId, const Uuid& terminalId,
    SplitDirection direction, const std::string& workingDirectory)
{
    const auto found = projectTrees_.find(projectId);
    // A pane of another project (the focus is shared by all projects) is left alone: splitting
    // would start a shell in a pane no tree shows and move the focus there.
    if (found == projectTrees_.end() || !isPaneOf(projectId, terminalId))
        return;
    const auto id = Uuid::random();
    auto tree = splittingTerminal(found->second, terminalId, direction, id);
    terminalToProject_[id] = projectId;
    getOrCreateTerminalView(id, workingDirectory);
    assignTree(projectId, std::move(tree));
    setFocusedTerminalId(id);
}

void TerminalSessionManager::closeTerminal(const std::string& projectId, const Uuid& terminalId)
{
    const auto found = projectTrees_.find(projectId);
    if (found == projectTrees_.end() || paneCount(found->second) <= 1)
        return;
    // Never close a pane the user cannot see in this project.
    if (!isPaneOf(projectId, terminalId))
        return;
    if (auto remaining = removingTerminal(found->second, terminalId))
        assignTree(projectId, std::move(remaining));
    // Observers have let go of the pane's widget by now; dropping the view ends its shell.
    terminalViews_.erase(terminalId);
    terminalToProject_.erase(terminalId);
    if (focusedTerminalId_ == terminalId) {
        const auto ids = allTerminalIds(projectTrees_.at(projectId));
        setFocusedTerminalId(ids.empty() ? std::nullopt : std::optional<Uuid>(ids.front()));
    }
}

void TerminalSessionManager::startMonitoring()
{
    if (monitoringTask_.connected())
        return;
    // A seconds timeout runs on the monotonic clock and shares its wake-ups with the process's
    // other whole-second timers: on an idle machine each wake-up of the main loop is most of
    // what this monitor costs. The connection is cut in the destructor.
    monitoringTask_ = Glib::signal_timeout().connect_seconds(
        [this] {
            try {
                refreshActiveProjects();
            } catch (...) {
                // A failed pass leaves the previous state; the next one tries again.
            }
            return true;
        },
        static_cast<unsigned>(monitorInterval.count()));
}

void TerminalSessionManager::refreshActiveProjects()
{
    std::set<std::string> active;
    for (const auto& [projectId, tree] : projectTrees_) {
        for (const auto& id : allTerminalIds(tree)) {
            const auto view = terminalViews_.find(id);
            if (view == terminalViews_.end())
                continue;
            const int pid = view->second->shellProcessId();
            if (pid < 1)
                continue;
            if (activityTest_(pid)) {
                active.insert(projectId);
                break;
            }
        }
    }
    const auto now = Clock::now();
    for (const auto& projectId : active) {
        if (!activeProjectIds_.contains(projectId))
            activationTimes_[projectId] = now;
    }
    for (const auto& projectId : activeProjectIds_) {
        if (!active.contains(projectId))
            activationTimes_.erase(projectId);
    }
    if (active != activeProjectIds_) {
        activeProjectIds_ = std::move(active);
        activeProjectIdsChanged_.emit();
    }
}

} // namespace tq
