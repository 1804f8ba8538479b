#pragma once

#include <string>

namespace tq::test {

// A private home and data folder for the tests that move things to the Trash. GLib reads
// both once per process, so they are set up on first use and kept for the whole process.
// Roots of trash tests go below folder(): being on the same file system as the home folder,
// their items go to $XDG_DATA_HOME/Trash, never to a real user's Trash or a mount's .Trash.
class TrashHome {
public:
    static TrashHome& instance();

    // Empty when GLib already uses other folders (then trash tests must not run).
    const std::string& problem() const { return problem_; }
    const std::string& folder() const { return folder_; }
    std::string trashFolder() const { return folder_ + "/data/Trash"; }

private:
    TrashHome();

    std::string folder_;
    std::string problem_;
};

} // namespace tq::test
