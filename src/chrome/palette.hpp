#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tq {

// The appearance a colour is drawn for. `unknown` covers a desktop that states no preference.
enum class Appearance { light, dark, unknown };

struct Rgba {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    bool operator==(const Rgba&) const = default;
};

// One palette entry with its 24-bit sRGB values (0xRRGGBB) for the two appearances.
struct AdaptiveColor {
    std::string_view cssName; // published to CSS as @<cssName>
    std::uint32_t light;
    std::uint32_t dark;

    std::uint32_t resolve(Appearance appearance) const
    {
        return appearance == Appearance::dark ? dark : light;
    }
};

namespace palette {

inline constexpr AdaptiveColor background { "tq_background", 0xF8F8FA, 0x0D0D0F };
inline constexpr AdaptiveColor sidebarBackground { "tq_sidebar_background", 0xF0F0F3, 0x111114 };
inline constexpr AdaptiveColor surface { "tq_surface", 0xFFFFFF, 0x1A1A1E };
inline constexpr AdaptiveColor surfaceHover { "tq_surface_hover", 0xEBEBEE, 0x222226 };
inline constexpr AdaptiveColor border { "tq_border", 0xE0E0E3, 0x2A2A2E };
inline constexpr AdaptiveColor accent { "tq_accent", 0x4D8B00, 0xA8FF00 };
inline constexpr AdaptiveColor textPrimary { "tq_text_primary", 0x1A1A1E, 0xFFFFFF };
inline constexpr AdaptiveColor textSecondary { "tq_text_secondary", 0x6B6B70, 0x888888 };
inline constexpr AdaptiveColor textTertiary { "tq_text_tertiary", 0x9B9BA0, 0x555555 };
inline constexpr AdaptiveColor statusPreparing { "tq_status_preparing", 0xD4920A, 0xFFD60A };
inline constexpr AdaptiveColor statusActive { "tq_status_active", 0x16A34A, 0x34D399 };

inline constexpr std::array<AdaptiveColor, 11> adaptiveColors {
    background, sidebarBackground, surface, surfaceHover, border, accent,
    textPrimary, textSecondary, textTertiary, statusPreparing, statusActive,
};

inline constexpr std::string_view terminalBackgroundName = "tq_terminal_background";
inline constexpr std::string_view terminalForegroundName = "tq_terminal_foreground";

} // namespace palette

// 0xRRGGBB as opaque sRGB components in [0, 1].
Rgba rgbaFromHex(std::uint32_t value);

Rgba resolveColor(const AdaptiveColor& color, Appearance appearance);

// The fixed terminal colours, the same in every appearance.
Rgba terminalBackground();
Rgba terminalForeground();

// The stylesheet defining every palette name (@define-color) for one appearance.
std::string paletteCss(Appearance appearance);

} // namespace tq
