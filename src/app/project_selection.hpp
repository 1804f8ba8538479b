#pragma once

#include "projects/project.hpp"

#include <sigc++/sigc++.h>

#include <optional>

namespace tq {

// A window's selected project: a copy of the record the sidebar picked, or nothing.
// The main layout owns it; the sidebar sets it on a click and clears it after a delete.
class ProjectSelection {
public:
    const std::optional<Project>& project() const { return project_; }
    std::optional<std::string> projectId() const
    {
        return project_ ? std::optional<std::string>(project_->id()) : std::nullopt;
    }
    // Notifies on every assignment.
    void set(std::optional<Project> project)
    {
        project_ = std::move(project);
        changed_.emit();
    }
    sigc::signal<void()>& changed() { return changed_; }

private:
    std::optional<Project> project_;
    sigc::signal<void()> changed_;
};

} // namespace tq
