#pragma once

#include <string>

namespace tq {

// One project: a direct, non-hidden sub-folder of the root folder, with its two documents.
struct Project {
    std::string name;         // the folder's name as the file system reports it
    std::string path;         // absolute path of the project folder
    std::string requirements; // .tavoro/requirements.md, empty when missing or unreadable
    std::string progress;     // .tavoro/progress.md, empty when missing or unreadable

    // The key used everywhere: the last path component of `path`.
    std::string id() const;

    bool operator==(const Project&) const = default;
};

} // namespace tq
