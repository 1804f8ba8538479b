#pragma once

#include <string_view>

namespace tq {

// Compares two texts the way people expect names to be ordered in the current locale,
// ignoring case (ICU collation at secondary strength). Negative, zero or positive.
int localizedCaseInsensitiveCompare(std::string_view a, std::string_view b);

} // namespace tq
