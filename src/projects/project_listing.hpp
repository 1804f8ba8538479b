#pragma once

#include "projects/project.hpp"

#include <optional>
#include <string>
#include <vector>

namespace tq {

// The projects of a root folder: its direct, non-hidden sub-folders (symbolic links are not
// followed, so a link to a folder is no project), each with its two documents, in a stable
// localized case-insensitive order of their names. Nothing when the root cannot be listed.
std::optional<std::vector<Project>> listProjects(const std::string& rootDirectory);

} // namespace tq
