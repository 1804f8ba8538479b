#pragma once

#include "projects/project.hpp"
#include "terminals/process_table.hpp"
#include "terminals/split_node.hpp"
#include "terminals/terminal_view.hpp"
#include "terminals/uuid.hpp"

#include <glibmm/main.h>
#include <sigc++/sigc++.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

namespace tq {

// Everything behind one window's terminal area: the pane tree of every project shown so far,
// one terminal view per pane, the focused pane and the set of projects whose shells run a
// program. Main thread only.
class TerminalSessionManager : public sigc::trackable {
public:
    using Clock = std::chrono::system_clock;
    using ActivityTest = std::function<bool(int processId)>;
    static constexpr std::chrono::seconds monitorInterval { 2 };

    explicit TerminalSessionManager(
        TerminalViewFactory& factory,
        ActivityTest activityTest = [](int pid) { return hasActiveChildProcess(pid); });
    ~TerminalSessionManager();

    // Published.
    const std::map<std::string, SplitNodePtr>& projectTrees() const { return projectTrees_; }
    const std::optional<Uuid>& focusedTerminalId() const { return focusedTerminalId_; }
    void setFocusedTerminalId(std::optional<Uuid> id);
    const std::set<std::string>& activeProjectIds() const { return activeProjectIds_; }
    sigc::signal<void()>& projectTreesChanged() { return projectTreesChanged_; }
    sigc::signal<void()>& focusedTerminalIdChanged() { return focusedTerminalIdChanged_; }
    sigc::signal<void()>& activeProjectIdsChanged() { return activeProjectIdsChanged_; }

    // Plain.
    const std::map<std::string, Clock::time_point>& activationTimes() const { return activationTimes_; }
    std::shared_ptr<TerminalView> terminalView(const Uuid& terminalId) const;
    std::optional<std::string> projectOf(const Uuid& terminalId) const;

    SplitNodePtr getOrCreateTree(const Project& project);
    std::shared_ptr<TerminalView> getOrCreateTerminalView(
        const Uuid& terminalId, const std::string& workingDirectory);
    void addTerminal(const std::string& projectId, const std::string& workingDirectory);
    void splitTerminal(const std::string& projectId, const Uuid& terminalId, SplitDirection direction,
        const std::string& workingDirectory);
    void closeTerminal(const std::string& projectId, const Uuid& terminalId);
    // Runs refreshActiveProjects every monitorInterval until the manager is destroyed; a second
    // call does nothing.
    void startMonitoring();
    void refreshActiveProjects();

private:
    bool isPaneOf(const std::string& projectId, const Uuid& terminalId) const;
    void assignTree(const std::string& projectId, SplitNodePtr tree);

    TerminalViewFactory& factory_;
    ActivityTest activityTest_;
    std::map<std::string, SplitNodePtr> projectTrees_;
    std::unordered_map<Uuid, std::shared_ptr<TerminalView>> terminalViews_;
    std::optional<Uuid> focusedTerminalId_;
    std::set<std::string> activeProjectIds_;
    std::map<std::string, Clock::time_point> activationTimes_;
    std::unordered_map<Uuid, std::string> terminalToProject_;
    sigc::connection monitoringTask_;

    sigc::signal<void()> projectTreesChanged_;
    sigc::signal<void()> focusedTerminalIdChanged_;
    sigc::signal<void()> activeProjectIdsChanged_;
};

} // namespace tq
