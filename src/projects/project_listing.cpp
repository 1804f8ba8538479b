#include "projects/project_listing.hpp"

#include "projects/file_io.hpp"
#include "projects/localized_compare.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace tq {

namespace {

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

bool isFolderEntry(int rootFd, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_UNKNOWN)
        return false;
    // Some file systems do not report the type while listing.
    struct stat status;
    if (::fstatat(rootFd, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    return S_ISDIR(status.st_mode);
}

} // namespace

std::optional<std::vector<Project>> listProjects(const std::string& rootDirectory)
{
    const std::unique_ptr<DIR, DirectoryCloser> directory(::opendir(rootDirectory.c_str()));
    if (!directory)
        return std::nullopt;
    const int rootFd = ::dirfd(directory.get());

    std::vector<Project> projects;
    std::string relative;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(directory.get());
        if (!entry) {
            if (errno != 0)
                return std::nullopt;
            break;
        }
        if (entry->d_name[0] == '.' || !isFolderEntry(rootFd, *entry))
            continue;

        Project project;
        project.name = entry->d_name;
        project.path = joinPath(rootDirectory, project.name);
        // Read relative to the open root: the kernel resolves the root's path only once.
        relative.assign(project.name).append("/.tavoro/requirements.md");
        project.requirements = readTextFileAt(rootFd, relative.c_str());
        relative.assign(project.name).append("/.tavoro/progress.md");
        project.progress = readTextFileAt(rootFd, relative.c_str());
        projects.push_back(std::move(project));
    }

    std::stable_sort(projects.begin(), projects.end(), [](const Project& a, const Project& b) {
        return localizedCaseInsensitiveCompare(a.name, b.name) < 0;
    });
    return projects;
}

} // namespace tq
