#pragma once

#include <sigc++/sigc++.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tq {

struct FileChangeEvent {
    std::string path; // absolute path of the changed file
    std::chrono::system_clock::time_point timestamp; // when the change was published

    bool operator==(const FileChangeEvent&) const = default;
};

// Watches folders recursively (inotify on the GLib main loop) and publishes each changed
// ".md" file about a second after the first event of a burst. Main thread only.
class FileWatcher : public sigc::trackable {
public:
    FileWatcher();
    ~FileWatcher(); // stops watching first
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    const std::optional<FileChangeEvent>& lastChange() const { return lastChange_; }
    sigc::signal<void()>& lastChangeChanged() { return lastChangeChanged_; }
    const std::vector<std::string>& watchedDirectories() const { return watchedDirectories_; }

    // Replaces whatever is watched by the given folders (and everything below them).
    void watch(const std::vector<std::string>& directories);
    void stop();

private:
    std::optional<FileChangeEvent> lastChange_;
    sigc::signal<void()> lastChangeChanged_;
    std::vector<std::string> watchedDirectories_;
    // The inotify state is the implementation's; see file_watcher.cpp.
    struct Stream;
    std::unique_ptr<Stream> stream_;
    // Lets a publication notice that an observer destroyed the watcher.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    void publish(std::vector<std::string> paths);
};

} // namespace tq
