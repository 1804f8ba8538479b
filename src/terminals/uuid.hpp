#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tq {

// An RFC 4122 version 4 (random) UUID.
class Uuid {
public:
    static Uuid random();
    static std::optional<Uuid> parse(std::string_view text);

    // Lower-case 8-4-4-4-12 form.
    std::string toString() const;
    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }

    bool operator==(const Uuid&) const = default;
    auto operator<=>(const Uuid&) const = default;

private:
    explicit Uuid(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}
    std::array<std::uint8_t, 16> bytes_{};
};

} // namespace tq

template <>
struct std::hash<tq::Uuid> {
    std::size_t operator()(const tq::Uuid& uuid) const noexcept;
};
