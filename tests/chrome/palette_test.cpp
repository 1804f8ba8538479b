#include "chrome/palette.hpp"

#include <gtest/gtest.h>

#include <regex>

namespace tq {
namespace {

TEST(Palette, AccentResolvesPerAppearance)
{
    EXPECT_EQ(resolveColor(palette::accent, Appearance::dark), (Rgba { 168 / 255.0, 1.0, 0.0, 1.0 }));
    EXPECT_EQ(resolveColor(palette::accent, Appearance::light), (Rgba { 77 / 255.0, 139 / 255.0, 0.0, 1.0 }));
}

TEST(Palette, UnknownAppearanceResolvesEveryColourToItsLightValue)
{
    for (const auto& color : palette::adaptiveColors) {
        SCOPED_TRACE(std::string(color.cssName));
        EXPECT_EQ(resolveColor(color, Appearance::unknown), rgbaFromHex(color.light));
        EXPECT_EQ(resolveColor(color, Appearance::light), rgbaFromHex(color.light));
        EXPECT_EQ(resolveColor(color, Appearance::dark), rgbaFromHex(color.dark));
        EXPECT_NE(color.light, color.dark);
    }
}

TEST(Palette, HexSplitsIntoRedGreenBlue)
{
    EXPECT_EQ(rgbaFromHex(0x123456), (Rgba { 0x12 / 255.0, 0x34 / 255.0, 0x56 / 255.0, 1.0 }));
    EXPECT_EQ(rgbaFromHex(0xFFFFFF), (Rgba { 1.0, 1.0, 1.0, 1.0 }));
}

TEST(Palette, TerminalColoursAreFixed)
{
    EXPECT_EQ(terminalBackground(), (Rgba { 0.067, 0.067, 0.075, 1.0 }));
    EXPECT_EQ(terminalForeground(), (Rgba { 0.88, 0.88, 0.88, 1.0 }));
}

std::map<std::string, std::string> definitions(const std::string& css)
{
    std::map<std::string, std::string> result;
    static const std::regex line(R"(@define-color (\w+) ([^;]+);\n)");
    std::string rest = css;
    std::smatch match;
    while (std::regex_search(rest, match, line)) {
        EXPECT_EQ(match.position(0), 0) << "unexpected text: " << rest;
        EXPECT_TRUE(result.emplace(match[1], match[2]).second) << "defined twice: " << match[1];
        rest = match.suffix();
    }
    EXPECT_EQ(rest, "");
    return result;
}

TEST(Palette, StylesheetDefinesEveryNameForTheAppearance)
{
    const std::map<std::string, std::string> light = definitions(paletteCss(Appearance::light));
    const std::map<std::string, std::string> dark = definitions(paletteCss(Appearance::dark));
    const std::map<std::string, std::string> expectedLight {
        { "tq_background", "#F8F8FA" }, { "tq_sidebar_background", "#F0F0F3" }, { "tq_surface", "#FFFFFF" },
        { "tq_surface_hover", "#EBEBEE" }, { "tq_border", "#E0E0E3" }, { "tq_accent", "#4D8B00" },
        { "tq_text_primary", "#1A1A1E" }, { "tq_text_secondary", "#6B6B70" }, { "tq_text_tertiary", "#9B9BA0" },
        { "tq_status_preparing", "#D4920A" }, { "tq_status_active", "#16A34A" },
        { "tq_terminal_background", "rgb(6.7%, 6.7%, 7.5%)" }, { "tq_terminal_foreground", "rgb(88%, 88%, 88%)" },
    };
    EXPECT_EQ(light, expectedLight);
    EXPECT_EQ(dark.at("tq_accent"), "#A8FF00");
    EXPECT_EQ(dark.at("tq_background"), "#0D0D0F");
    EXPECT_EQ(dark.size(), light.size());
    for (const auto& color : palette::adaptiveColors)
        EXPECT_NE(dark.at(std::string(color.cssName)), light.at(std::string(color.cssName))) << color.cssName;
    EXPECT_EQ(dark.at("tq_terminal_background"), light.at("tq_terminal_background"));
    EXPECT_EQ(dark.at("tq_terminal_foreground"), light.at("tq_terminal_foreground"));
    EXPECT_EQ(paletteCss(Appearance::unknown), paletteCss(Appearance::light));
}

} // namespace
} // namespace tq
