#pragma once

#include "projects/error.hpp"
#include "projects/project.hpp"
#include "projects/settings_file.hpp"

#include <sigc++/sigc++.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tq {

// The single source of truth for the projects of the root folder, the pinned set and the
// preparing set. One per window; everything runs on the main thread.
class ProjectManager : public sigc::trackable {
public:
    // The root is `rootDirectory` when given, else the stored root, else ~/Desktop/Projects.
    explicit ProjectManager(SettingsFile settings, std::optional<std::string> rootDirectory = std::nullopt);

    // Published properties; each signal fires on every assignment (the preparing set only
    // when it really changes).
    const std::vector<Project>& projects() const { return projects_; }
    const std::set<std::string>& pinnedProjectIds() const { return pinnedProjectIds_; }
    void setPinnedProjectIds(std::set<std::string> ids); // persists at once
    const std::string& rootDirectory() const { return rootDirectory_; }
    const std::set<std::string>& preparingProjectIds() const { return preparingProjectIds_; }

    sigc::signal<void()>& projectsChanged() { return projectsChanged_; }
    sigc::signal<void()>& pinnedProjectIdsChanged() { return pinnedProjectIdsChanged_; }
    sigc::signal<void()>& rootDirectoryChanged() { return rootDirectoryChanged_; }
    sigc::signal<void()>& preparingProjectIdsChanged() { return preparingProjectIdsChanged_; }

    // True when the settings file holds a root folder (read from the file, not from memory).
    bool hasRootDirectory() const;
    void setRootDirectory(const std::string& path);
    void togglePin(const std::string& id);
    void savePinnedProjectIds();
    void loadProjects();
    void refreshPreparingProjects();
    MaybeError createProject(const std::string& name);
    MaybeError deleteProject(const std::string& name);
    MaybeError saveRequirements(const Project& project, const std::string& text);
    // What .tavoro/requirements.md of the project holds on disk right now (empty when missing,
    // unreadable or not UTF-8). The requirements editor uses it to notice changes made by
    // others before it saves over them.
    std::string readRequirementsFromDisk(const Project& project) const;

private:
    SettingsFile settings_;
    std::vector<Project> projects_;
    std::set<std::string> pinnedProjectIds_;
    std::string rootDirectory_;
    std::set<std::string> preparingProjectIds_;

    sigc::signal<void()> projectsChanged_;
    sigc::signal<void()> pinnedProjectIdsChanged_;
    sigc::signal<void()> rootDirectoryChanged_;
    sigc::signal<void()> preparingProjectIdsChanged_;
};

} // namespace tq
