#include "projects/localized_compare.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tq {
namespace {

int sign(int value) { return (value > 0) - (value < 0); }

struct CompareCase {
    const char* a;
    const char* b;
    int expected;
};

TEST(LocalizedCaseInsensitiveCompare, IgnoresCaseButNotAccentsAndOrdersLettersAlphabetically)
{
    const CompareCase cases[] = {
        { "Alpha", "alpha", 0 },
        { "ÉCOLE", "école", 0 },
        { "alpha", "Beta", -1 }, // byte order would put "B" first
        { "Zeta", "alpha", 1 },
        { "e", "é", -1 },        // an accent is a difference
        { "eagle", "Émile", -1 }, // but it ranks below the letters themselves
        { "Émile", "Ernest", -1 },
        { "", "a", -1 },
        { "same", "same", 0 },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.a) + " vs " + row.b);
        EXPECT_EQ(sign(localizedCaseInsensitiveCompare(row.a, row.b)), row.expected);
        EXPECT_EQ(sign(localizedCaseInsensitiveCompare(row.b, row.a)), -row.expected);
    }
}

TEST(LocalizedCaseInsensitiveCompare, SortsNamesAsPeopleExpect)
{
    std::vector<std::string> names = { "gamma", "Zeta", "épée", "beta", "Eagle", "Alpha", "10 things", "Épée" };
    std::stable_sort(names.begin(), names.end(),
                     [](const auto& a, const auto& b) { return localizedCaseInsensitiveCompare(a, b) < 0; });
    EXPECT_EQ(names,
              std::vector<std::string>({ "10 things", "Alpha", "beta", "Eagle", "épée", "Épée", "gamma", "Zeta" }));
}

TEST(CaseFoldedCompare, FoldsCaseThenComparesBytes)
{
    const CompareCase cases[] = {
        { "Alpha", "alpha", 0 },
        { "ÄBC", "äbc", 0 },
        { "alpha", "Beta", -1 },
        { "abc", "abd", -1 },
        { "\xff" "A", "\xff" "a", 0 }, // not UTF-8: ASCII letters still fold
        { "\xfe", "\xff", -1 },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.a) + " vs " + row.b);
        EXPECT_EQ(sign(caseFoldedCompare(row.a, row.b)), row.expected);
        EXPECT_EQ(sign(caseFoldedCompare(row.b, row.a)), -row.expected);
    }
}

} // namespace
} // namespace tq
