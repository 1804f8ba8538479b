#include "chrome/palette.hpp"

#include <charconv>
#include <cstdio>

namespace tq {

namespace {

// Locale-independent: under a locale with a decimal comma printf would break the stylesheet.
std::string percent(double component)
{
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, component * 100.0, std::chars_format::general, 6);
    return std::string(buffer, result.ptr) + "%";
}

std::string hex(std::uint32_t value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%06X", static_cast<unsigned>(value & 0xFFFFFF));
    return buffer;
}

void defineFixed(std::string& css, std::string_view name, const Rgba& color)
{
    css += "@define-color ";
    css += name;
    css += " rgb(" + percent(color.red) + ", " + percent(color.green) + ", " + percent(color.blue) + ");\n";
}

} // namespace

Rgba rgbaFromHex(std::uint32_t value)
{
    return Rgba { static_cast<double>((value >> 16) & 0xFF) / 255.0,
                  static_cast<double>((value >> 8) & 0xFF) / 255.0,
                  static_cast<double>(value & 0xFF) / 255.0, 1.0 };
}

Rgba resolveColor(const AdaptiveColor& color, Appearance appearance)
{
    return rgbaFromHex(color.resolve(appearance));
}

Rgba terminalBackground()
{
    return Rgba { 0.067, 0.067, 0.075, 1.0 };
}

Rgba terminalForeground()
{
    return Rgba { 0.88, 0.88, 0.88, 1.0 };
}

std::string paletteCss(Appearance appearance)
{
    std::string css;
    for (const auto& color : palette::adaptiveColors) {
        css += "@define-color ";
        css += color.cssName;
        css += " " + hex(color.resolve(appearance)) + ";\n";
    }
    defineFixed(css, palette::terminalBackgroundName, terminalBackground());
    defineFixed(css, palette::terminalForegroundName, terminalForeground());
    return css;
}

} // namespace tq
