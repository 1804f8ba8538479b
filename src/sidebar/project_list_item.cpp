#include "sidebar/project_list_item.hpp"

namespace tq {

ProjectListItem::ProjectListItem(std::string projectId, std::string name, ProjectState state)
    : Glib::ObjectBase(typeid(ProjectListItem)),
      projectId_(std::move(projectId)),
      name_(std::move(name)),
      state_(state)
{
}

Glib::RefPtr<ProjectListItem> ProjectListItem::create(std::string projectId, std::string name, ProjectState state)
{
    return Glib::make_refptr_for_instance(new ProjectListItem(std::move(projectId), std::move(name), state));
}

} // namespace tq
