#pragma once

#include "projects/error.hpp"

#include <string>
#include <string_view>

namespace tq {

// "directory/name", without doubling a slash that ends `directory`.
std::string joinPath(std::string_view directory, std::string_view name);

// A whole document as UTF-8 text: empty when it is missing, a folder, unreadable or not valid
// UTF-8. Symbolic links are followed. Special files are never waited on: a FIFO gives what
// it holds at that moment, a device that streams without end gives empty text. `relativePath` is taken relative to the
// open folder `directoryFd` (AT_FDCWD for the current folder).
std::string readTextFile(const std::string& path);
std::string readTextFileAt(int directoryFd, const char* relativePath);

enum class ExistingFile {
    replace, // replace it whole; its permission bits carry over to the new file
    keep,    // leave any item already at the path alone and write nothing
};

struct AtomicWriteResult {
    MaybeError error;
    bool keptExisting = false; // ExistingFile::keep found something at the path
};

// Writes `content` to a temporary file in the same folder, flushes it to disk and renames it
// onto `path`, so a reader sees either the old file or the whole new one. With
// ExistingFile::keep the final step refuses to replace anything, even an item that appears
// while the content is being written.
AtomicWriteResult writeFileAtomically(const std::string& path, std::string_view content,
                                      ExistingFile existing = ExistingFile::replace);

// "Cannot <action> “path”: <system error text>"
Error fileError(std::string_view action, const std::string& path, int errorNumber);

} // namespace tq
