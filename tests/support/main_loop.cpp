#include "support/main_loop.hpp"

#include <glibmm/main.h>

namespace tq::test {

bool runMainLoopUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    auto context = Glib::MainContext::get_default();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    // Wake up at least every 10 ms so the deadline is noticed even when nothing happens.
    auto tick = Glib::signal_timeout().connect([] { return true; }, 10);
    bool satisfied = condition();
    while (!satisfied && std::chrono::steady_clock::now() < deadline) {
        context->iteration(true);
        satisfied = condition();
    }
    tick.disconnect();
    return satisfied;
}

void runMainLoopFor(std::chrono::milliseconds duration)
{
    runMainLoopUntil([] { return false; }, duration);
}

} // namespace tq::test
