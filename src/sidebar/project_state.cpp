#include "sidebar/project_state.hpp"

namespace tq {

ProjectState projectState(const std::string& projectId, const std::set<std::string>& pinnedProjectIds,
                          const std::set<std::string>& preparingProjectIds,
                          const std::set<std::string>& activeProjectIds)
{
    if (pinnedProjectIds.contains(projectId))
        return ProjectState::pinned;
    if (activeProjectIds.contains(projectId))
        return ProjectState::active;
    if (preparingProjectIds.contains(projectId))
        return ProjectState::preparing;
    return ProjectState::normal;
}

const char* cssClassName(ProjectState state)
{
    switch (state) {
    case ProjectState::pinned:
        return "pinned";
    case ProjectState::preparing:
        return "preparing";
    case ProjectState::active:
        return "active";
    case ProjectState::normal:
        return "normal";
    }
    return "normal";
}

const char* accessibleDescription(ProjectState state)
{
    switch (state) {
    case ProjectState::pinned:
        return "Pinned";
    case ProjectState::preparing:
        return "Being set up";
    case ProjectState::active:
        return "Program running in a terminal";
    case ProjectState::normal:
        return "";
    }
    return "";
}

} // namespace tq
