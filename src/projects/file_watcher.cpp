#include "projects/file_watcher.hpp"

#include <glib-unix.h>
#include <glib.h>

#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <set>
#include <unordered_set>

namespace tq {

namespace {

constexpr guint batchLatencyMs = 1000;

constexpr uint32_t treeMask = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVED_FROM
    | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// A folder above a watched folder that does not exist yet: only its sub-folders coming and going matter.
constexpr uint32_t ancestorMask = IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

bool endsWithMd(const std::string& path)
{
    return path.size() >= 3 && path.compare(path.size() - 3, 3, ".md") == 0;
}

bool isDirectory(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isUnder(const std::string& path, const std::string& folder)
{
    if (folder == "/")
        return path.size() > 1 && path.front() == '/';
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

std::string parentOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string join(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string absolutePath(const std::string& path)
{
    gchar* canonical = g_canonicalize_filename(path.c_str(), nullptr);
    std::string result(canonical);
    g_free(canonical);
    return result;
}

std::string nearestExistingAncestor(const std::string& path)
{
    std::string folder = parentOf(path);
    while (folder != "/" && !isDirectory(folder))
        folder = parentOf(folder);
    return folder;
}

} // namespace

// One inotify instance over the watched folders and everything below them, read on the
// default GLib main context. Folders that do not exist yet are waited for by watching their
// nearest existing ancestor.
struct FileWatcher::Stream {
    struct Root {
        std::string path;
        bool present = false;
    };
    struct Folder {
        std::string path;
        bool tree = false;     // inside a watched folder: its files are reported
        bool ancestor = false; // above a watched folder that does not exist yet
    };

    FileWatcher& owner;
    int fd = -1;
    guint ioSource = 0;
    guint batchTimer = 0;
    std::vector<Root> roots;
    std::map<int, Folder> folders;
    std::map<std::string, int> watchByPath;
    std::vector<std::string> batch;
    std::unordered_set<std::string> batched;

    Stream(FileWatcher& watcher, const std::vector<std::string>& directories) : owner(watcher)
    {
        fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd < 0)
            return;
        ioSource = g_unix_fd_add(fd, G_IO_IN, &Stream::onReadable, this);
        for (const auto& directory : directories)
            roots.push_back(Root { absolutePath(directory), false });
        for (auto& root : roots) {
            if (isDirectory(root.path)) {
                root.present = true;
                addTree(root.path, false);
            }
        }
        refreshPendingRoots();
    }

    ~Stream()
    {
        if (batchTimer)
            g_source_remove(batchTimer);
        if (ioSource)
            g_source_remove(ioSource);
        if (fd >= 0)
            ::close(fd);
    }

    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    bool valid() const { return fd >= 0; }

    static gboolean onReadable(gint, GIOCondition, gpointer data) noexcept
    {
        static_cast<Stream*>(data)->readEvents();
        return G_SOURCE_CONTINUE;
    }

    static gboolean onBatchDue(gpointer data) noexcept
    {
        auto* stream = static_cast<Stream*>(data);
        stream->batchTimer = 0;
        std::vector<std::string> paths = std::move(stream->batch);
        stream->batch.clear();
        stream->batched.clear();
        // An observer may stop or replace this stream while the batch is published: touch
        // nothing of it from here on.
        FileWatcher& watcher = stream->owner;
        try {
            watcher.publish(std::move(paths));
        } catch (...) {
            g_critical("FileWatcher: an observer of lastChange threw an exception");
        }
        return G_SOURCE_REMOVE;
    }

    void enqueue(const std::string& path)
    {
        if (!batched.insert(path).second)
            return;
        batch.push_back(path);
        if (!batchTimer)
            batchTimer = g_timeout_add(batchLatencyMs, &Stream::onBatchDue, this);
    }

    // Adds or updates the watch on `path` with the given role; returns the watch or -1.
    int addWatch(const std::string& path, bool tree, bool ancestor, bool followLink)
    {
        Folder wanted { path, tree, ancestor };
        if (auto known = watchByPath.find(path); known != watchByPath.end()) {
            const Folder& current = folders[known->second];
            wanted.tree = wanted.tree || current.tree;
            wanted.ancestor = wanted.ancestor || current.ancestor;
        }
        const uint32_t mask = (wanted.tree ? treeMask : ancestorMask) | (followLink ? 0 : IN_DONT_FOLLOW);
        const int wd = inotify_add_watch(fd, path.c_str(), mask);
        if (wd < 0)
            return -1;
        if (auto known = watchByPath.find(path); known != watchByPath.end() && known->second != wd) {
            // The folder was replaced by another one of that name.
            inotify_rm_watch(fd, known->second);
            folders.erase(known->second);
        }
        if (auto other = folders.find(wd); other != folders.end() && other->second.path != path) {
            // The same folder reached under a second path: keep reporting it under the first.
            other->second.tree = other->second.tree || wanted.tree;
            other->second.ancestor = other->second.ancestor || wanted.ancestor;
            return wd;
        }
        folders[wd] = wanted;
        watchByPath[path] = wd;
        return wd;
    }

    void dropWatch(int wd)
    {
        auto found = folders.find(wd);
        if (found == folders.end())
            return;
        inotify_rm_watch(fd, wd);
        if (auto byPath = watchByPath.find(found->second.path); byPath != watchByPath.end() && byPath->second == wd)
            watchByPath.erase(byPath);
        folders.erase(found);
    }

    // Watches `top` and every folder below it, each before it is listed so that nothing
    // created meanwhile is missed. With `report`, the ".md" files found count as changes
    // (the folder is new, so they are too).
    void addTree(const std::string& top, bool report)
    {
        std::vector<std::string> pending { top };
        while (!pending.empty()) {
            std::string folder = std::move(pending.back());
            pending.pop_back();
            if (addWatch(folder, true, false, folder == top) < 0)
                continue;
            DIR* listing = ::opendir(folder.c_str());
            if (!listing)
                continue;
            while (const dirent* entry = ::readdir(listing)) {
                const std::string name = entry->d_name;
                if (name == "." || name == "..")
                    continue;
                const std::string path = join(folder, name);
                bool directory = entry->d_type == DT_DIR;
                if (entry->d_type == DT_UNKNOWN) {
                    struct stat info {};
                    directory = ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
                }
                if (directory)
                    pending.push_back(path);
                if (report && endsWithMd(path))
                    enqueue(path);
            }
            ::closedir(listing);
        }
    }

    // Stops reporting `top` and everything below it (moved away or deleted).
    void removeTree(const std::string& top)
    {
        std::vector<int> affected;
        if (auto exact = watchByPath.find(top); exact != watchByPath.end())
            affected.push_back(exact->second);
        // "top/…" sorts together, but not right after "top" ("top-2" and "top.x" come between).
        const std::string below = top == "/" ? top : top + "/";
        for (auto it = watchByPath.lower_bound(below); it != watchByPath.end() && isUnder(it->first, top); ++it)
            affected.push_back(it->second);
        for (int wd : affected) {
            Folder& folder = folders[wd];
            folder.tree = false;
            if (folder.ancestor)
                inotify_add_watch(fd, folder.path.c_str(), ancestorMask);
            else
                dropWatch(wd);
        }
    }

    // Picks up watched folders that appeared and keeps one watch on the nearest existing
    // ancestor of each one still missing. Repeats until nothing changes between the check
    // and the watch (a folder created in between would otherwise go unnoticed).
    void refreshPendingRoots()
    {
        for (int pass = 0; pass < 64; ++pass) {
            std::set<std::string> needed;
            for (auto& root : roots) {
                if (root.present)
                    continue;
                if (isDirectory(root.path)) {
                    root.present = true;
                    addTree(root.path, true);
                } else {
                    needed.insert(nearestExistingAncestor(root.path));
                }
            }
            std::vector<int> stale;
            for (auto& [wd, folder] : folders) {
                if (folder.ancestor && !needed.count(folder.path))
                    stale.push_back(wd);
            }
            for (int wd : stale) {
                Folder& folder = folders[wd];
                folder.ancestor = false;
                if (!folder.tree)
                    dropWatch(wd);
            }
            for (const auto& path : needed)
                addWatch(path, false, true, true);

            bool stable = true;
            for (const auto& root : roots) {
                if (!root.present && (isDirectory(root.path) || !needed.count(nearestExistingAncestor(root.path))))
                    stable = false;
            }
            if (stable)
                return;
        }
    }

    Root* rootAt(const std::string& path)
    {
        for (auto& root : roots) {
            if (root.path == path)
                return &root;
        }
        return nullptr;
    }

    // Events were lost: start over from what is on disk and report every document found.
    void recoverFromOverflow()
    {
        std::vector<int> all;
        for (const auto& [wd, folder] : folders)
            all.push_back(wd);
        for (int wd : all)
            dropWatch(wd);
        for (auto& root : roots) {
            root.present = isDirectory(root.path);
            if (root.present)
                addTree(root.path, true);
        }
        refreshPendingRoots();
    }

    void readEvents()
    {
        alignas(inotify_event) char buffer[16 * 1024];
        for (;;) {
            const ssize_t length = ::read(fd, buffer, sizeof buffer);
            if (length <= 0) {
                if (length < 0 && errno == EINTR)
                    continue;
                return;
            }
            for (ssize_t offset = 0; offset < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                handle(*event);
            }
        }
    }

    void handle(const inotify_event& event)
    {
        if (event.mask & IN_Q_OVERFLOW) {
            recoverFromOverflow();
            return;
        }
        auto found = folders.find(event.wd);
        if (found == folders.end())
            return;
        if (event.mask & IN_IGNORED) {
            // The kernel dropped the watch (folder deleted or unmounted).
            if (auto byPath = watchByPath.find(found->second.path);
                byPath != watchByPath.end() && byPath->second == event.wd)
                watchByPath.erase(byPath);
            folders.erase(found);
            return;
        }
        const Folder folder = found->second; // handling may erase the entry
        if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
            if (Root* root = rootAt(folder.path); root && root->present) {
                root->present = false;
                removeTree(root->path);
            }
            if (event.mask & IN_MOVE_SELF) {
                // Renamed away: the watch still follows the folder, which is no longer there.
                if (folders.count(event.wd) && !folders[event.wd].tree)
                    dropWatch(event.wd);
            }
            refreshPendingRoots();
            return;
        }
        if (event.len == 0)
            return;
        const std::string path = join(folder.path, event.name);
        if (folder.tree) {
            if (event.mask & IN_ISDIR) {
                if (event.mask & (IN_MOVED_FROM | IN_DELETE))
                    removeTree(path);
                if (event.mask & (IN_CREATE | IN_MOVED_TO))
                    addTree(path, true);
            }
            if (endsWithMd(path))
                enqueue(path);
        }
        if (folder.ancestor && (event.mask & (IN_CREATE | IN_MOVED_TO)))
            refreshPendingRoots();
    }
};

FileWatcher::FileWatcher() = default;

FileWatcher::~FileWatcher()
{
    stop();
}

void FileWatcher::watch(const std::vector<std::string>& directories)
{
    stream_.reset();
    watchedDirectories_ = directories;
    auto stream = std::make_unique<Stream>(*this, directories);
    if (stream->valid())
        stream_ = std::move(stream);
}

void FileWatcher::stop()
{
    stream_.reset();
}

void FileWatcher::publish(std::vector<std::string> paths)
{
    const std::weak_ptr<bool> alive = alive_;
    for (auto& path : paths) {
        if (alive.expired())
            return;
        lastChange_ = FileChangeEvent { std::move(path), std::chrono::system_clock::now() };
        lastChangeChanged_.emit();
    }
}

} // namespace tq
