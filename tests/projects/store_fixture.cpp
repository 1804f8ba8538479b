#include "store_fixture.hpp"

#include <algorithm>
#include <filesystem>

namespace tq::test {

SignalLog::SignalLog(ProjectManager& manager)
{
    const auto record = [this](const char* name) { return [this, name] { fired_.push_back(name); }; };
    connections_.push_back(manager.projectsChanged().connect(record("projects")));
    connections_.push_back(manager.pinnedProjectIdsChanged().connect(record("pinned")));
    connections_.push_back(manager.rootDirectoryChanged().connect(record("root")));
    connections_.push_back(manager.preparingProjectIdsChanged().connect(record("preparing")));
}

SignalLog::~SignalLog()
{
    for (auto& connection : connections_)
        connection.disconnect();
}

std::vector<std::string> SignalLog::take()
{
    return std::exchange(fired_, {});
}

StoreTest::StoreTest() : configHome_("XDG_CONFIG_HOME", (temp_ / "config").c_str()) {}

std::unique_ptr<ProjectManager> StoreTest::makeManager() const
{
    return std::make_unique<ProjectManager>(settings(), root());
}

void StoreTest::writeSettings(const std::string& content) const
{
    makeDirectories(temp_ / "config/tavoro-quelm");
    writeFile(settings().path(), content);
}

void StoreTest::makeProject(const std::string& name, const std::string* requirements,
                            const std::string* progress, bool bootstrap) const
{
    const std::string folder = projectPath(name);
    makeDirectories(folder);
    if (requirements || progress)
        makeDirectories(folder + "/.tavoro");
    if (requirements)
        writeFile(folder + "/.tavoro/requirements.md", *requirements);
    if (progress)
        writeFile(folder + "/.tavoro/progress.md", *progress);
    if (bootstrap)
        writeFile(folder + "/BOOTSTRAP.md", "bootstrap");
}

std::vector<std::string> namesOf(const std::vector<Project>& projects)
{
    std::vector<std::string> names;
    for (const auto& project : projects)
        names.push_back(project.name);
    return names;
}

std::vector<std::string> treeOf(const std::string& path)
{
    std::vector<std::string> entries;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(path, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        entries.push_back(std::filesystem::relative(it->path(), path).string());
    std::sort(entries.begin(), entries.end());
    return entries;
}

} // namespace tq::test
