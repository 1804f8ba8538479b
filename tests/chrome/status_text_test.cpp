#include "chrome/status_text.hpp"

#include <gtest/gtest.h>
#include <unicode/locid.h>

namespace tq {
namespace {

using namespace std::chrono_literals;

TEST(StatusText, ShowsTheFileNameAndTheAbbreviatedTimeSinceTheChange)
{
    // A fixed moment away from any month or year boundary: 2024-03-15 12:00:00 UTC.
    const auto now = std::chrono::system_clock::time_point(std::chrono::seconds(1710504000));
    struct Case {
        std::chrono::system_clock::duration age;
        const char* expected;
    };
    const Case cases[] = {
        { 5min, "progress.md changed 5 min. ago" },
        { 0s, "progress.md changed 0 sec. ago" },
        { 59s, "progress.md changed 59 sec. ago" },
        { 90s, "progress.md changed 1 min. ago" },
        { 2h + 59min, "progress.md changed 2 hr. ago" },
        { 24h * 3, "progress.md changed 3 days ago" },
        { 24h * 15, "progress.md changed 2 wk. ago" },
        { 24h * 45, "progress.md changed 1 mo. ago" },
        { 24h * 800, "progress.md changed 2 yr. ago" },
        // A timestamp ahead of the clock (set back meanwhile) still reads as a past change.
        { -10s, "progress.md changed 0 sec. ago" },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.expected);
        const FileChangeEvent change { "/home/u/Projects/demo/.tavoro/progress.md", now - row.age };
        EXPECT_EQ(changeText(change, now, icu::Locale("en")), row.expected);
    }
}

TEST(StatusText, FollowsTheLocale)
{
    const auto now = std::chrono::system_clock::now();
    const FileChangeEvent change { "/p/.tavoro/requirements.md", now - 5min };
    EXPECT_EQ(changeText(change, now, icu::Locale("de")), "requirements.md changed vor 5 Min.");
    EXPECT_EQ(changeText(change, now, icu::Locale("fr")), "requirements.md changed il y a 5\u00A0min");
}

} // namespace
} // namespace tq
