#pragma once

#include "sidebar/project_state.hpp"

#include <glibmm/object.h>

#include <string>

namespace tq {

// One entry of the sidebar's list model: what a row shows. Immutable; the list replaces an
// entry when any of it changes.
class ProjectListItem : public Glib::Object {
public:
    static Glib::RefPtr<ProjectListItem> create(std::string projectId, std::string name, ProjectState state);

    const std::string& projectId() const { return projectId_; }
    const std::string& name() const { return name_; }
    ProjectState state() const { return state_; }

    bool sameAs(const ProjectListItem& other) const
    {
        return projectId_ == other.projectId_ && name_ == other.name_ && state_ == other.state_;
    }

protected:
    ProjectListItem(std::string projectId, std::string name, ProjectState state);

private:
    std::string projectId_;
    std::string name_;
    ProjectState state_;
};

} // namespace tq
