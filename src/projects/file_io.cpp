#include "projects/file_io.hpp"

#include "projects/utf8.hpp"

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tq {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    // Closes now, reporting the result (a delayed write error can show up here).
    int close()
    {
        const int result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

bool writeAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::pair<std::string_view, std::string_view> splitPath(std::string_view path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return { ".", path };
    return { slash == 0 ? std::string_view("/") : path.substr(0, slash), path.substr(slash + 1) };
}

// Places `from` at `to` only when nothing is there yet. Returns 0, or an errno value
// (EEXIST when something is in the way).
int renameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without RENAME_NOREPLACE: a hard link fails the same way on an existing name.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    // No hard links either: check, then rename (the check and the rename are not atomic).
    struct stat existing;
    if (::lstat(to.c_str(), &existing) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

} // namespace

std::string joinPath(std::string_view directory, std::string_view name)
{
    std::string path(directory);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

Error fileError(std::string_view action, const std::string& path, int errorNumber)
{
    return Error { "Cannot " + std::string(action) + " “" + path + "”: " + g_strerror(errorNumber) };
}

std::string readTextFile(const std::string& path)
{
    return readTextFileAt(AT_FDCWD, path.c_str());
}

std::string readTextFileAt(int directoryFd, const char* relativePath)
{
    // O_NONBLOCK: opening or reading a FIFO must never wait for a writer.
    FileDescriptor fd(::openat(directoryFd, relativePath, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return {};

    // Documents are small and system calls dominate the cost of reading thousands of them:
    // one read into a scratch buffer normally reaches the end (a short read from a regular
    // file means the end), so the size is only asked for when the buffer fills up.
    constexpr std::size_t scratchSize = 64 * 1024;
    thread_local std::unique_ptr<char[]> scratch(new char[scratchSize]);
    ssize_t count;
    do
        count = ::read(fd.get(), scratch.get(), scratchSize);
    while (count < 0 && errno == EINTR);
    if (count < 0)
        return {};

    std::string content;
    if (static_cast<std::size_t>(count) < scratchSize) {
        content.assign(scratch.get(), static_cast<std::size_t>(count));
    } else {
        struct stat status;
        // A device that keeps producing bytes is no document.
        if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
            return {};
        content.reserve(static_cast<std::size_t>(status.st_size) + 1);
        content.assign(scratch.get(), scratchSize);
        // Read to the end, even when the file grows meanwhile.
        std::size_t length = content.size();
        for (;;) {
            content.resize(std::max(length + scratchSize, content.capacity()));
            const ssize_t more = ::read(fd.get(), content.data() + length, content.size() - length);
            if (more < 0) {
                if (errno == EINTR)
                    continue;
                return {};
            }
            if (more == 0)
                break;
            length += static_cast<std::size_t>(more);
        }
        content.resize(length);
    }
    if (!isValidUtf8(content))
        return {};
    return content;
}

AtomicWriteResult writeFileAtomically(const std::string& path, std::string_view content, ExistingFile existing)
{
    struct stat status;
    bool keepMode = false;
    if (existing == ExistingFile::keep) {
        if (::lstat(path.c_str(), &status) == 0)
            return { std::nullopt, true };
    } else if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        keepMode = true;
    }

    const auto [directory, name] = splitPath(path);
    // Hidden and without the target's extension, so watchers of "*.md" files ignore it.
    const std::string prefix = joinPath(directory, "." + std::string(name.substr(0, 200)) + ".tmp-");
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string temporary;
    int rawFd = -1;
    for (int attempt = 0; attempt < 100 && rawFd < 0; ++attempt) {
        temporary = prefix;
        for (int i = 0; i < 8; ++i)
            temporary += alphabet[g_random_int_range(0, sizeof alphabet - 1)];
        // A fresh file gets the usual 0666 less the umask; one that replaces a file gets
        // that file's exact bits below.
        rawFd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                       keepMode ? 0600 : 0666);
        if (rawFd < 0 && errno != EEXIST)
            return { fileError("write", path, errno) };
    }
    if (rawFd < 0)
        return { fileError("write", path, EEXIST) };

    FileDescriptor fd(rawFd);
    const auto fail = [&](int errorNumber) {
        ::unlink(temporary.c_str());
        return AtomicWriteResult { fileError("write", path, errorNumber) };
    };
    if (!writeAll(fd.get(), content))
        return fail(errno);
    if (keepMode)
        ::fchmod(fd.get(), status.st_mode & 07777); // best effort: a foreign owner's bits may not apply
    if (::fsync(fd.get()) != 0)
        return fail(errno);
    if (fd.close() != 0)
        return fail(errno);

    if (existing == ExistingFile::keep) {
        const int result = renameWithoutReplacing(temporary, path);
        if (result == EEXIST) {
            ::unlink(temporary.c_str());
            return { std::nullopt, true };
        }
        if (result != 0)
            return fail(result);
        return {};
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        return fail(errno);
    return {};
}

} // namespace tq
