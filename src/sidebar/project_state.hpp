#pragma once

#include <set>
#include <string>

namespace tq {

// How the sidebar shows a project. The order of the cases is the display order of the list.
enum class ProjectState {
    pinned,
    preparing,
    active,
    normal,
};

// Pinned wins over active, active over preparing: a pinned project shows as pinned whatever
// its terminals do, and an active project shows as active while its BOOTSTRAP.md still exists.
ProjectState projectState(const std::string& projectId, const std::set<std::string>& pinnedProjectIds,
                          const std::set<std::string>& preparingProjectIds,
                          const std::set<std::string>& activeProjectIds);

// The CSS class a row carries for the state ("pinned", "preparing", "active", "normal").
const char* cssClassName(ProjectState state);

// A short description for assistive technologies; empty for a normal project.
const char* accessibleDescription(ProjectState state);

} // namespace tq
