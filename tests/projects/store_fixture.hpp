#pragma once

#include "projects/project_manager.hpp"
#include "projects/settings_file.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tq::test {

// Records the manager's notifications in the order they fire.
class SignalLog {
public:
    explicit SignalLog(ProjectManager& manager);
    ~SignalLog();
    SignalLog(const SignalLog&) = delete;
    SignalLog& operator=(const SignalLog&) = delete;

    // What fired since the last call ("projects", "pinned", "root", "preparing").
    std::vector<std::string> take();

private:
    std::vector<std::string> fired_;
    std::vector<sigc::connection> connections_;
};

// A temporary folder holding the projects root ("root", not created) and the settings file
// (XDG_CONFIG_HOME points into the folder for the duration of the test).
class StoreTest : public ::testing::Test {
protected:
    StoreTest();

    std::string root() const { return temp_ / "root"; }
    std::string projectPath(const std::string& name) const { return root() + "/" + name; }
    SettingsFile settings() const { return SettingsFile::atDefaultLocation(); }
    std::unique_ptr<ProjectManager> makeManager() const;
    void writeSettings(const std::string& content) const;

    // A project folder under root(); documents are written only when given.
    void makeProject(const std::string& name, const std::string* requirements = nullptr,
                     const std::string* progress = nullptr, bool bootstrap = false) const;

    TempDir temp_;
    ScopedEnv configHome_;
};

std::vector<std::string> namesOf(const std::vector<Project>& projects);
// Every entry below `path`, relative to it, sorted ("a", "a/b", …); symbolic links not followed.
std::vector<std::string> treeOf(const std::string& path);

} // namespace tq::test
