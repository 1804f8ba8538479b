#pragma once

#include <string>

namespace tq {

// At most this many children of a shell are examined per pass.
inline constexpr int maxExaminedChildren = 64;

// True when the process has a child whose kernel short name (`comm`) differs from its own, so
// another copy of the same shell does not count. Reads only `procRoot/PID/comm`,
// `procRoot/PID/task/PID/children` and each listed child's `comm`, never the whole table; an
// entry that cannot be read counts as no active child.
bool hasActiveChildProcess(int processId, const std::string& procRoot = "/proc");

} // namespace tq
