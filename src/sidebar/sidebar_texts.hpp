#pragma once

#include "projects/error.hpp"
#include "sidebar/project_state.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace tq {

// The text typed into the New Project dialog without white space and line breaks at either
// end; nothing when no character is left, in which case no project is created.
std::optional<std::string> newProjectName(std::string_view typed);

// A folder name as it can be shown on screen: valid UTF-8, whatever bytes the file system holds.
std::string displayName(const std::string& fileName);

// "Pin to Top", or "Unpin" for a pinned project.
const char* pinMenuLabel(ProjectState state);

// Delete "NAME"?
std::string deleteConfirmationMessage(const std::string& projectName);

// What the user is told when something they asked for did not happen.
struct FailureNotice {
    std::string heading;
    std::string body;

    bool operator==(const FailureNotice&) const = default;
};

FailureNotice createProjectFailure(const std::string& projectName, const Error& error);
FailureNotice deleteProjectFailure(const std::string& projectName, const Error& error);
FailureNotice showFolderFailure(const std::string& folderPath, const Error& error);

} // namespace tq
