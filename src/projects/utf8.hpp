#pragma once

#include <string_view>

namespace tq {

// Well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
// NUL bytes are valid characters.
bool isValidUtf8(std::string_view text);

} // namespace tq
