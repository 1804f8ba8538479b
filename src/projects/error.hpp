#pragma once

#include <optional>
#include <string>

namespace tq {

// An expected failure (I/O, trash, spawn…) handed back to the caller as a value.
struct Error {
    std::string message;

    bool operator==(const Error&) const = default;
};

// Empty on success.
using MaybeError = std::optional<Error>;

} // namespace tq
