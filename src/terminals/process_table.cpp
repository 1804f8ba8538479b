#include "terminals/process_table.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string_view>

namespace tq {

namespace {

// Reads a small /proc file with a single read: the kernel hands out such a file whole when
// the buffer is large enough, and each system call counts in a pass over many shells.
// Returns the byte count, or nothing when the file cannot be opened or read.
std::optional<std::size_t> readSmallFile(const std::string& path, char* buffer, std::size_t capacity)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    ssize_t count;
    do
        count = ::read(fd, buffer, capacity);
    while (count < 0 && errno == EINTR);
    ::close(fd);
    if (count < 0)
        return std::nullopt;
    return static_cast<std::size_t>(count);
}

// The kernel's short process name (at most 15 bytes), without the trailing newline.
std::optional<std::string> processName(const std::string& procRoot, std::string_view pid)
{
    char buffer[64];
    std::string path;
    path.reserve(procRoot.size() + pid.size() + 8);
    path.append(procRoot).append("/").append(pid).append("/comm");
    const auto size = readSmallFile(path, buffer, sizeof buffer);
    if (!size || *size == 0)
        return std::nullopt;
    std::string_view name(buffer, *size);
    if (name.back() == '\n')
        name.remove_suffix(1);
    return std::string(name);
}

bool isDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace

bool hasActiveChildProcess(int processId, const std::string& procRoot)
{
    if (processId <= 0)
        return false;
    const std::string pid = std::to_string(processId);

    // A shell forks its programs from its only thread, whose id is the process id.
    // 64 ids of at most 10 digits and a separator each fit; anything past is not examined.
    char buffer[64 * 11];
    const auto size
        = readSmallFile(procRoot + "/" + pid + "/task/" + pid + "/children", buffer, sizeof buffer);
    if (!size)
        return false;
    const std::string_view list(buffer, *size);
    const bool complete = *size < sizeof buffer;

    // Read only when there is a child to compare with: a shell at its prompt costs one file.
    std::optional<std::string> shellName;
    int examined = 0;
    std::size_t position = 0;
    while (examined < maxExaminedChildren && position < list.size()) {
        const auto end = list.find_first_of(" \n", position);
        if (end == std::string_view::npos && !complete)
            break; // the last id may have been cut off
        const auto child = list.substr(position, end == std::string_view::npos ? list.npos : end - position);
        position = end == std::string_view::npos ? list.size() : end + 1;
        if (!isDigits(child))
            continue;
        ++examined;
        if (!shellName) {
            shellName = processName(procRoot, pid);
            if (!shellName)
                return false;
        }
        const auto childName = processName(procRoot, child);
        if (childName && *childName != *shellName)
            return true;
    }
    return false;
}

} // namespace tq
