#pragma once

#include <chrono>
#include <functional>

namespace tq::test {

// Turns the default GLib main context until `condition` holds or `timeout` passes.
// Returns whether the condition held.
bool runMainLoopUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Turns the default main context for the whole duration (for "nothing happens" checks).
void runMainLoopFor(std::chrono::milliseconds duration);

} // namespace tq::test
