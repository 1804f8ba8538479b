#include "projects/settings_file.hpp"

#include "projects/file_io.hpp"
#include "projects/utf8.hpp"

#include <glib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/stat.h>

namespace tq {

namespace {

constexpr const char* group = "defaults";

struct KeyFileDeleter {
    void operator()(GKeyFile* file) const { g_key_file_unref(file); }
};
using KeyFilePtr = std::unique_ptr<GKeyFile, KeyFileDeleter>;

struct ErrorDeleter {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorDeleter>;

KeyFilePtr loadForReading(const std::string& path)
{
    KeyFilePtr file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr))
        return nullptr;
    return file;
}

// A file we cannot parse is moved aside rather than overwritten: it may hold someone's
// hand-written settings. Returns 0 or an errno value.
int moveAside(const std::string& path)
{
    for (int n = 1; n <= 100; ++n) {
        const std::string backup = path + ".malformed" + (n == 1 ? std::string() : "-" + std::to_string(n));
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

MaybeError updateFile(const std::string& path, const std::function<void(GKeyFile*)>& change)
{
    // Keep whatever else the file holds: other keys, other groups, comments.
    KeyFilePtr file(g_key_file_new());
    GError* rawError = nullptr;
    const bool loaded = g_key_file_load_from_file(file.get(), path.c_str(),
                                                  GKeyFileFlags(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS),
                                                  &rawError);
    const ErrorPtr error(rawError);
    if (!loaded) {
        struct stat status;
        const bool isFile = ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
        if (isFile && error && error->domain == G_KEY_FILE_ERROR) {
            if (const int result = moveAside(path))
                return fileError("set aside the unreadable settings file", path, result);
        } else if (!(error && g_error_matches(error.get(), G_FILE_ERROR, G_FILE_ERROR_NOENT))) {
            return Error { "Cannot read the settings file “" + path + "”: "
                           + (error ? error->message : std::string("unknown error")) };
        }
        file.reset(g_key_file_new());
        char* directory = g_path_get_dirname(path.c_str());
        const int made = g_mkdir_with_parents(directory, 0700);
        const int madeError = errno;
        const std::string directoryPath = directory;
        g_free(directory);
        if (made != 0)
            return fileError("create the folder", directoryPath, madeError);
    }
    change(file.get());
    gsize length = 0;
    char* data = g_key_file_to_data(file.get(), &length, nullptr);
    const std::string content(data, length);
    g_free(data);
    return writeFileAtomically(path, content).error;
}

} // namespace

SettingsFile SettingsFile::atDefaultLocation()
{
    std::string base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // Relative values are invalid and to be ignored.
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = joinPath(home && *home ? home : g_get_home_dir(), ".config");
    }
    return SettingsFile(joinPath(joinPath(base, "tavoro-quelm"), "settings.ini"));
}

std::optional<std::string> SettingsFile::readString(const std::string& key) const
{
    const KeyFilePtr file = loadForReading(path_);
    if (!file)
        return std::nullopt;
    GError* rawError = nullptr;
    char* value = g_key_file_get_string(file.get(), group, key.c_str(), &rawError);
    const ErrorPtr error(rawError);
    std::unique_ptr<char, decltype(&g_free)> owned(value, &g_free);
    if (error || !value)
        return std::nullopt;
    return std::string(value);
}

std::optional<std::vector<std::string>> SettingsFile::readStringList(const std::string& key) const
{
    const KeyFilePtr file = loadForReading(path_);
    if (!file)
        return std::nullopt;
    GError* rawError = nullptr;
    gsize length = 0;
    char** values = g_key_file_get_string_list(file.get(), group, key.c_str(), &length, &rawError);
    const ErrorPtr error(rawError);
    std::unique_ptr<char*, decltype(&g_strfreev)> owned(values, &g_strfreev);
    if (error || !values)
        return std::nullopt;
    return std::vector<std::string>(values, values + length);
}

MaybeError SettingsFile::writeString(const std::string& key, const std::string& value)
{
    if (!isValidUtf8(value) || value.find('\0') != std::string::npos)
        return Error { "The value for " + key + " is not valid text and cannot be stored in the settings file." };
    return updateFile(path_, [&](GKeyFile* file) { g_key_file_set_string(file, group, key.c_str(), value.c_str()); });
}

MaybeError SettingsFile::writeStringList(const std::string& key, const std::vector<std::string>& values)
{
    std::vector<const char*> pointers;
    pointers.reserve(values.size());
    for (const auto& value : values) {
        if (!isValidUtf8(value) || value.find('\0') != std::string::npos)
            return Error { "A value for " + key + " is not valid text and cannot be stored in the settings file." };
        pointers.push_back(value.c_str());
    }
    return updateFile(path_, [&](GKeyFile* file) {
        g_key_file_set_string_list(file, group, key.c_str(), pointers.data(), pointers.size());
    });
}

} // namespace tq
