#pragma once

#include "projects/project_manager.hpp"

#include <string>

namespace tq {

// "Create New Folder": the root becomes the folder "Projects" inside `parent`, created when
// missing (an existing one is used with its contents). The root is stored even when the folder
// cannot be created: the first project created later makes it. Returns the new root.
std::string adoptProjectsFolderIn(ProjectManager& projectManager, const std::string& parent);

} // namespace tq
