#include "sidebar/project_ordering.hpp"

#include "projects/localized_compare.hpp"

#include <algorithm>

namespace tq {

std::vector<ListedProject> sortedProjects(const std::vector<Project>& projects,
                                          const std::set<std::string>& pinnedProjectIds,
                                          const std::set<std::string>& preparingProjectIds,
                                          const std::set<std::string>& activeProjectIds,
                                          const ActivationTimes& activationTimes)
{
    using TimePoint = ActivationTimes::mapped_type;
    struct Key {
        ListedProject listed;
        TimePoint activatedAt; // the distant future when unknown
    };

    std::vector<Key> keys;
    keys.reserve(projects.size());
    for (const auto& project : projects) {
        const auto id = project.id();
        const auto state = projectState(id, pinnedProjectIds, preparingProjectIds, activeProjectIds);
        auto activatedAt = TimePoint::max();
        if (state == ProjectState::active) {
            if (auto found = activationTimes.find(id); found != activationTimes.end())
                activatedAt = found->second;
        }
        keys.push_back({{&project, state}, activatedAt});
    }

    std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.listed.state != b.listed.state)
            return a.listed.state < b.listed.state;
        if (a.listed.state == ProjectState::active)
            return a.activatedAt < b.activatedAt;
        return localizedCaseInsensitiveCompare(a.listed.project->name, b.listed.project->name) < 0;
    });

    std::vector<ListedProject> listed;
    listed.reserve(keys.size());
    for (const auto& key : keys)
        listed.push_back(key.listed);
    return listed;
}

} // namespace tq
