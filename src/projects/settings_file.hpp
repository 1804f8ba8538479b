#pragma once

#include "projects/error.hpp"

#include <optional>
#include <string>
#include <vector>

namespace tq {

// The user defaults: a key file ($XDG_CONFIG_HOME/tavoro-quelm/settings.ini) whose group
// [defaults] holds the application's keys. Every read goes to the file; a missing, unreadable
// or malformed file, or a value of the wrong type, reads as absent. Writes are atomic.
class SettingsFile {
public:
    static constexpr const char* rootDirectoryKey = "TavoroQuelm.rootDirectory";
    static constexpr const char* pinnedProjectIdsKey = "TavoroQuelm.pinnedProjectIds";

    // The file at its standard place for the current environment.
    static SettingsFile atDefaultLocation();
    explicit SettingsFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }

    std::optional<std::string> readString(const std::string& key) const;
    std::optional<std::vector<std::string>> readStringList(const std::string& key) const;
    MaybeError writeString(const std::string& key, const std::string& value);
    MaybeError writeStringList(const std::string& key, const std::vector<std::string>& values);

private:
    std::string path_;
};

} // namespace tq
