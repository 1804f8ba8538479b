#pragma once

#include "projects/file_watcher.hpp"

#include <unicode/locid.h>

#include <chrono>
#include <string>

namespace tq {

// "<file name> changed <relative time>", e.g. "progress.md changed 5 min. ago": the
// abbreviated, numeric relative time of the change's timestamp as seen from `now`.
// The first overload uses the current locale through one formatter shared by the process.
std::string changeText(const FileChangeEvent& change, std::chrono::system_clock::time_point now);
std::string changeText(const FileChangeEvent& change, std::chrono::system_clock::time_point now,
                       const icu::Locale& locale);

} // namespace tq
