#pragma once

#include <string_view>

namespace tq {

// Compares two texts the way people expect names to be ordered in the current locale,
// ignoring case (ICU collation at secondary strength). Negative, zero or positive.
int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b);

// What the comparison falls back to when no collator can be made: Unicode case folding,
// then byte order (ASCII-only folding for text that is not valid UTF-8).
int caseFoldedCompare(std::string_view a, std::string_view b);

} // namespace tq
