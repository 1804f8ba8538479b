#include "projects/project_manager.hpp"

#include "projects/file_io.hpp"
#include "projects/project_listing.hpp"
#include "projects/project_name.hpp"
#include "projects/scaffold_documents.hpp"
#include "projects/utf8.hpp"

#include <gio/gio.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tq {

namespace {

constexpr const char* bootstrapFileName = "BOOTSTRAP.md";
constexpr const char* documentsFolderName = ".tavoro";
constexpr const char* requirementsFileName = "requirements.md";

std::string homeDirectory()
{
    const char* home = std::getenv("HOME");
    return home && *home ? home : g_get_home_dir();
}

// Absolute (relative paths are taken from the current folder), without "." or ".."
// components or doubled slashes. Symbolic links are kept as they are.
std::string absolutePath(const std::string& path)
{
    char* canonical = g_canonicalize_filename(path.c_str(), nullptr);
    std::string result(canonical);
    g_free(canonical);
    return result;
}

// The longest single name the file system of `directory` (or of its nearest existing
// ancestor) accepts.
std::size_t maxNameBytes(std::string directory)
{
    for (;;) {
        errno = 0;
        const long limit = ::pathconf(directory.c_str(), _PC_NAME_MAX);
        if (limit > 0)
            return static_cast<std::size_t>(limit);
        const auto slash = directory.rfind('/');
        if (errno != ENOENT || slash == std::string::npos || directory == "/")
            return 255;
        directory.resize(slash == 0 ? 1 : slash);
    }
}

// Creates `path` as a folder unless a folder is there already. Symbolic links count as
// folders only when `followLinks` is set.
MaybeError ensureFolder(const std::string& path, bool followLinks)
{
    if (::mkdir(path.c_str(), 0777) == 0)
        return std::nullopt;
    const int mkdirError = errno;
    struct stat status;
    if (mkdirError != EEXIST || (followLinks ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status)) != 0)
        return fileError("create the folder", path, mkdirError);
    if (S_ISLNK(status.st_mode))
        return Error { "“" + path + "” is a symbolic link, not a folder; projects must be real folders." };
    if (!S_ISDIR(status.st_mode))
        return Error { "“" + path + "” already exists and is not a folder." };
    return std::nullopt;
}

} // namespace

ProjectManager::ProjectManager(SettingsFile settings, std::optional<std::string> rootDirectory)
    : settings_(std::move(settings))
{
    if (rootDirectory) {
        rootDirectory_ = absolutePath(*rootDirectory);
    } else if (auto stored = settings_.readString(SettingsFile::rootDirectoryKey); stored && !stored->empty()) {
        rootDirectory_ = absolutePath(*stored);
    } else {
        rootDirectory_ = joinPath(homeDirectory(), "Desktop/Projects");
    }
    if (auto ids = settings_.readStringList(SettingsFile::pinnedProjectIdsKey))
        pinnedProjectIds_ = std::set<std::string>(ids->begin(), ids->end());
}

void ProjectManager::setPinnedProjectIds(std::set<std::string> ids)
{
    pinnedProjectIds_ = std::move(ids);
    // Stored before observers hear of it, so anything they read back is already current.
    savePinnedProjectIds();
    pinnedProjectIdsChanged_.emit();
}

bool ProjectManager::hasRootDirectory() const
{
    return settings_.readString(SettingsFile::rootDirectoryKey).has_value();
}

void ProjectManager::setRootDirectory(const std::string& path)
{
    rootDirectory_ = absolutePath(path);
    rootDirectoryChanged_.emit();
    // A path the settings file cannot hold (not UTF-8) still serves this session.
    settings_.writeString(SettingsFile::rootDirectoryKey, rootDirectory_);
    loadProjects();
}

void ProjectManager::togglePin(const std::string& id)
{
    auto ids = pinnedProjectIds_;
    if (!ids.erase(id))
        ids.insert(id);
    setPinnedProjectIds(std::move(ids));
}

void ProjectManager::savePinnedProjectIds()
{
    // The settings file holds text only; an id that is not UTF-8 (a folder name in another
    // encoding) stays pinned for this session instead of making the whole list unreadable.
    std::vector<std::string> storable;
    storable.reserve(pinnedProjectIds_.size());
    for (const auto& id : pinnedProjectIds_) {
        if (isValidUtf8(id) && id.find('\0') == std::string::npos)
            storable.push_back(id);
    }
    settings_.writeStringList(SettingsFile::pinnedProjectIdsKey, storable);
}

void ProjectManager::loadProjects()
{
    auto listed = listProjects(rootDirectory_);
    if (!listed) {
        projects_.clear();
        projectsChanged_.emit();
        return;
    }
    projects_ = std::move(*listed);
    projectsChanged_.emit();
    refreshPreparingProjects();
}

void ProjectManager::refreshPreparingProjects()
{
    // Paths relative to the open root spare the kernel walking the root's own path once per
    // project; a project listed from elsewhere is tested by its full path.
    const int rootFd = ::open(rootDirectory_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const std::string rootPrefix = joinPath(rootDirectory_, "");
    std::set<std::string> preparing;
    std::string relative;
    for (const auto& project : projects_) {
        std::string id = project.id();
        struct stat status;
        bool exists;
        if (rootFd >= 0 && project.path.size() == rootPrefix.size() + id.size()
            && project.path.compare(0, rootPrefix.size(), rootPrefix) == 0 && isSingleComponent(id)) {
            relative.assign(id).append("/").append(bootstrapFileName);
            exists = ::fstatat(rootFd, relative.c_str(), &status, 0) == 0;
        } else {
            exists = ::stat(joinPath(project.path, bootstrapFileName).c_str(), &status) == 0;
        }
        if (exists)
            preparing.insert(std::move(id));
    }
    if (rootFd >= 0)
        ::close(rootFd);
    if (preparing == preparingProjectIds_)
        return;
    preparingProjectIds_ = std::move(preparing);
    preparingProjectIdsChanged_.emit();
}

MaybeError ProjectManager::createProject(const std::string& name)
{
    if (auto error = checkNewProjectName(name, maxNameBytes(rootDirectory_)))
        return error;

    if (g_mkdir_with_parents(rootDirectory_.c_str(), 0777) != 0)
        return fileError("create the projects folder", rootDirectory_, errno);
    const std::string folder = joinPath(rootDirectory_, name);
    // An existing folder is adopted, but a link is not: it would lead outside the root and
    // would never be listed as a project anyway.
    if (auto error = ensureFolder(folder, false))
        return error;
    if (auto error = ensureFolder(joinPath(folder, documentsFolderName), true))
        return error;

    // Only missing documents are written: an existing one is somebody's work.
    for (const auto& document : scaffoldDocuments(name)) {
        const auto result
            = writeFileAtomically(joinPath(folder, document.relativePath), document.content, ExistingFile::keep);
        if (result.error)
            return result.error;
    }
    loadProjects();
    return std::nullopt;
}

MaybeError ProjectManager::deleteProject(const std::string& name)
{
    if (!isSingleComponent(name))
        return Error { "“" + name + "” does not name a project folder inside the projects folder." };
    const std::string folder = joinPath(rootDirectory_, name);
    const std::unique_ptr<GFile, decltype(&g_object_unref)> file(g_file_new_for_path(folder.c_str()),
                                                                 &g_object_unref);
    GError* error = nullptr;
    if (!g_file_trash(file.get(), nullptr, &error)) {
        Error result { "Cannot move “" + folder + "” to the Trash: "
                       + (error ? error->message : std::string("unknown error")) };
        if (error)
            g_error_free(error);
        return result;
    }
    loadProjects();
    return std::nullopt;
}

MaybeError ProjectManager::saveRequirements(const Project& project, const std::string& text)
{
    if (!isValidUtf8(text))
        return Error { "The requirements are not valid UTF-8 text; nothing was saved." };
    // The project folder itself is never created here: when it is gone (moved to the Trash
    // while a save was pending) the save must not bring it back.
    struct stat status;
    if (::stat(project.path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return Error { "The project folder “" + project.path + "” no longer exists; the requirements were not saved." };
    const std::string documents = joinPath(project.path, documentsFolderName);
    if (auto error = ensureFolder(documents, true))
        return error;
    if (auto result = writeFileAtomically(joinPath(documents, requirementsFileName), text); result.error)
        return result.error;

    const std::string id = project.id();
    const auto entry
        = std::find_if(projects_.begin(), projects_.end(), [&](const Project& listed) { return listed.id() == id; });
    if (entry != projects_.end()) {
        entry->requirements = text;
        projectsChanged_.emit();
    }
    return std::nullopt;
}

std::string ProjectManager::readRequirementsFromDisk(const Project& project) const
{
    return readTextFile(joinPath(joinPath(project.path, documentsFolderName), requirementsFileName));
}

} // namespace tq
