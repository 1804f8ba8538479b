#pragma once

#include "projects/project.hpp"
#include "sidebar/project_state.hpp"

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace tq {

using ActivationTimes = std::map<std::string, std::chrono::system_clock::time_point>;

// One entry of the sidebar: a project of the store's list (borrowed) and its state.
struct ListedProject {
    const Project* project;
    ProjectState state;
};

// The projects in display order: pinned, preparing, active, normal. Active projects are
// ordered by activation time (those without one last), the others by name, ignoring case in
// the current locale. Ties keep their order in `projects`.
std::vector<ListedProject> sortedProjects(const std::vector<Project>& projects,
                                          const std::set<std::string>& pinnedProjectIds,
                                          const std::set<std::string>& preparingProjectIds,
                                          const std::set<std::string>& activeProjectIds,
                                          const ActivationTimes& activationTimes);

} // namespace tq
