#pragma once

#include "projects/error.hpp"

#include <cstddef>
#include <string>
#include <string_view>

namespace tq {

// True when `name` stands for exactly one entry inside a folder: not empty, not "." or "..",
// no "/" and no NUL. Anything else could reach outside the folder.
bool isSingleComponent(std::string_view name);

// Why `name` cannot be used for a new project folder, or nothing when it can.
// `maxNameBytes` is the file system's limit for one folder name.
MaybeError checkNewProjectName(std::string_view name, std::size_t maxNameBytes);

} // namespace tq
