#include "chrome/theme.hpp"

#include "support/main_loop.hpp"

#include <adwaita.h>
#include <giomm/settings.h>
#include <gtest/gtest.h>
#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/icontheme.h>
#include <gtkmm/label.h>
#include <gtkmm/stylecontext.h>
#include <gtkmm/window.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tq {
namespace {

using namespace std::chrono_literals;
using test::runMainLoopUntil;

bool sameColor(const Gdk::RGBA& actual, const Rgba& expected)
{
    constexpr double tolerance = 1.0 / 512;
    return std::abs(actual.get_red() - expected.red) < tolerance
        && std::abs(actual.get_green() - expected.green) < tolerance
        && std::abs(actual.get_blue() - expected.blue) < tolerance
        && std::abs(actual.get_alpha() - expected.alpha) < tolerance;
}

std::string describe(const Gdk::RGBA& color)
{
    return color.to_string();
}

// A pixel of a widget as drawn, with straight (not premultiplied) colour.
struct Pixel {
    int red, green, blue, alpha;
    bool operator==(const Pixel&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Pixel& pixel)
{
    return out << "rgba(" << pixel.red << ", " << pixel.green << ", " << pixel.blue << ", " << pixel.alpha << ")";
}

Pixel opaque(std::uint32_t hex)
{
    return Pixel { int(hex >> 16 & 0xFF), int(hex >> 8 & 0xFF), int(hex & 0xFF), 255 };
}

bool near(const Pixel& a, const Pixel& b)
{
    return std::abs(a.red - b.red) <= 2 && std::abs(a.green - b.green) <= 2 && std::abs(a.blue - b.blue) <= 2
        && std::abs(a.alpha - b.alpha) <= 2;
}

// The whole widget as drawn, border box included.
std::pair<int, int> drawnSize(Gtk::Widget& widget)
{
    graphene_rect_t bounds;
    if (!gtk_widget_compute_bounds(widget.gobj(), widget.gobj(), &bounds))
        return { 0, 0 };
    return { int(std::lround(bounds.size.width)), int(std::lround(bounds.size.height)) };
}

// (x, y) from the top left corner of the border box.
Pixel pixelAt(Gtk::Widget& widget, int x, int y)
{
    const auto [width, height] = drawnSize(widget);
    if (width <= 0 || height <= 0 || x >= width || y >= height)
        return Pixel {};
    GdkPaintable* paintable = gtk_widget_paintable_new(widget.gobj());
    GtkSnapshot* snapshot = gtk_snapshot_new();
    gdk_paintable_snapshot(paintable, snapshot, width, height);
    GskRenderNode* node = gtk_snapshot_free_to_node(snapshot);
    Pixel pixel {};
    if (node) {
        GskRenderer* renderer = gtk_native_get_renderer(gtk_widget_get_native(widget.gobj()));
        const graphene_rect_t bounds = GRAPHENE_RECT_INIT(0, 0, float(width), float(height));
        GdkTexture* texture = gsk_renderer_render_texture(renderer, node, &bounds);
        std::vector<guchar> data(std::size_t(width) * height * 4);
        gdk_texture_download(texture, data.data(), std::size_t(width) * 4);
        // Cairo's ARGB32: premultiplied, native-endian words.
        const std::uint32_t word = *reinterpret_cast<const std::uint32_t*>(&data[(std::size_t(y) * width + x) * 4]);
        const int alpha = int(word >> 24 & 0xFF);
        auto straight = [alpha](std::uint32_t premultiplied) {
            return alpha == 0 ? 0 : int(std::lround(double(premultiplied & 0xFF) * 255.0 / alpha));
        };
        pixel = Pixel { straight(word >> 16), straight(word >> 8), straight(word), alpha };
        g_object_unref(texture);
        gsk_render_node_unref(node);
    }
    g_object_unref(paintable);
    return pixel;
}

class ThemeTest : public testing::Test {
protected:
    ThemeTest()
    {
        adw_style_manager_set_color_scheme(adw_style_manager_get_default(), ADW_COLOR_SCHEME_FORCE_LIGHT);
        window.set_child(box);
        window.set_default_size(400, 200);
    }
    ~ThemeTest() override
    {
        window.destroy();
        adw_style_manager_set_color_scheme(adw_style_manager_get_default(), ADW_COLOR_SCHEME_DEFAULT);
    }

    void show()
    {
        window.present();
        ASSERT_TRUE(runMainLoopUntil([&] { return box.get_width() > 0; }));
    }

    Glib::RefPtr<Gdk::Display> display = Gdk::Display::get_default();
    Theme& theme = Theme::install(display);
    Gtk::Window window;
    Gtk::Box box { Gtk::Orientation::VERTICAL, 8 };
};

TEST_F(ThemeTest, IsInstalledOncePerDisplayWithEveryBundledStylesheetAndIcon)
{
    EXPECT_EQ(&Theme::install(display), &theme);
    const auto& sheets = theme.stylesheets();
    EXPECT_NE(std::find(sheets.begin(), sheets.end(), std::string(Theme::resourcePrefix) + "/css/chrome.css"),
              sheets.end());
    EXPECT_EQ(theme.stylesheetErrors(), std::vector<std::string> {});
    auto icons = Gtk::IconTheme::get_for_display(display);
    EXPECT_TRUE(icons->has_icon("tq-folder-filled-symbolic"));
    EXPECT_TRUE(icons->has_icon("tq-pane-split-symbolic"));
}

TEST_F(ThemeTest, PaletteFollowsTheAppearanceWhileTheWindowStaysOpen)
{
    auto probes = Gtk::CssProvider::create();
    probes->load_from_data(".probe-accent { color: @tq_accent; }"
                           ".probe-terminal-background { color: @tq_terminal_background; }"
                           ".probe-terminal-foreground { color: @tq_terminal_foreground; }");
    Gtk::StyleContext::add_provider_for_display(display, probes, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    Gtk::Label accent("accent"), terminalBack("terminal"), terminalFore("terminal");
    accent.add_css_class("probe-accent");
    terminalBack.add_css_class("probe-terminal-background");
    terminalFore.add_css_class("probe-terminal-foreground");
    box.append(accent);
    box.append(terminalBack);
    box.append(terminalFore);
    show();

    auto colorOf = [](Gtk::Widget& widget) { return widget.get_style_context()->get_color(); };
    auto expectPalette = [&](Appearance appearance) {
        EXPECT_TRUE(runMainLoopUntil(
            [&] { return sameColor(colorOf(accent), resolveColor(palette::accent, appearance)); }))
            << describe(colorOf(accent));
        EXPECT_EQ(theme.appearance(), appearance);
        for (const auto& color : palette::adaptiveColors) {
            Gdk::RGBA value;
            ASSERT_TRUE(accent.get_style_context()->lookup_color(Glib::ustring(std::string(color.cssName)), value))
                << color.cssName;
            EXPECT_TRUE(sameColor(value, resolveColor(color, appearance))) << color.cssName << " " << describe(value);
        }
        EXPECT_TRUE(sameColor(colorOf(terminalBack), terminalBackground())) << describe(colorOf(terminalBack));
        EXPECT_TRUE(sameColor(colorOf(terminalFore), terminalForeground())) << describe(colorOf(terminalFore));
    };

    {
        SCOPED_TRACE("forced light");
        expectPalette(Appearance::light);
    }
    {
        SCOPED_TRACE("forced dark");
        adw_style_manager_set_color_scheme(adw_style_manager_get_default(), ADW_COLOR_SCHEME_FORCE_DARK);
        expectPalette(Appearance::dark);
    }
    // The desktop's own preference, as libadwaita reads it without a settings portal.
    GSettingsSchemaSource* schemas = g_settings_schema_source_get_default();
    GSettingsSchema* schema = schemas ? g_settings_schema_source_lookup(schemas, "org.gnome.desktop.interface", true)
                                      : nullptr;
    if (schema && g_settings_schema_has_key(schema, "color-scheme")) {
        auto desktop = Gio::Settings::create("org.gnome.desktop.interface");
        adw_style_manager_set_color_scheme(adw_style_manager_get_default(), ADW_COLOR_SCHEME_DEFAULT);
        desktop->set_string("color-scheme", "default");
        {
            SCOPED_TRACE("system light");
            expectPalette(Appearance::light);
        }
        desktop->set_string("color-scheme", "prefer-dark");
        {
            SCOPED_TRACE("system dark");
            expectPalette(Appearance::dark);
        }
        desktop->reset("color-scheme");
    }
    if (schema)
        g_settings_schema_unref(schema);
    Gtk::StyleContext::remove_provider_for_display(display, probes);
}

TEST_F(ThemeTest, ButtonStylesChangeOnlyTheirFillWhenPressed)
{
    Gtk::Button accent("Create Project"), ghost("Choose Folder");
    accent.add_css_class("accent-button");
    ghost.add_css_class("ghost-button");
    for (auto* button : { &accent, &ghost }) {
        button->set_halign(Gtk::Align::START);
        box.append(*button);
    }
    show();
    ASSERT_TRUE(runMainLoopUntil([&] { return accent.get_width() > 0 && ghost.get_width() > 0; }));

    struct Case {
        const char* name;
        Gtk::Button& button;
        Pixel rest;
        Pixel pressed;
        Gdk::RGBA label;
    };
    const Case cases[] = {
        { "accent", accent, opaque(palette::accent.light),
          // 80 % of the accent over nothing: the colour stays, the coverage drops.
          Pixel { opaque(palette::accent.light).red, opaque(palette::accent.light).green,
                  opaque(palette::accent.light).blue, 204 },
          Gdk::RGBA("#FFFFFF") },
        { "ghost", ghost, opaque(palette::surface.light), opaque(palette::surfaceHover.light),
          Gdk::RGBA("#1A1A1E") },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        Gtk::Button& button = row.button;
        auto* label = button.get_child();
        ASSERT_NE(label, nullptr);
        auto size = [&] {
            int minimum = 0, natural = 0, minimumBaseline = 0, naturalBaseline = 0;
            std::pair<int, int> result;
            button.measure(Gtk::Orientation::HORIZONTAL, -1, minimum, natural, minimumBaseline, naturalBaseline);
            result.first = natural;
            button.measure(Gtk::Orientation::VERTICAL, -1, minimum, natural, minimumBaseline, naturalBaseline);
            result.second = natural;
            return result;
        };
        auto labelSize = [&] {
            int minimum = 0, natural = 0, minimumBaseline = 0, naturalBaseline = 0;
            std::pair<int, int> result;
            label->measure(Gtk::Orientation::HORIZONTAL, -1, minimum, natural, minimumBaseline, naturalBaseline);
            result.first = natural;
            label->measure(Gtk::Orientation::VERTICAL, -1, minimum, natural, minimumBaseline, naturalBaseline);
            result.second = natural;
            return result;
        };
        // A point in the left padding, clear of the label, the corners and the outline.
        auto fill = [&] { return pixelAt(button, 6, drawnSize(button).second / 2); };

        EXPECT_TRUE(runMainLoopUntil([&] { return near(fill(), row.rest); })) << fill();
        const auto restSize = size();
        EXPECT_EQ(restSize.first, labelSize().first + 24);
        EXPECT_EQ(restSize.second, labelSize().second + 16);
        EXPECT_TRUE(sameColor(label->get_style_context()->get_color(),
                              Rgba { row.label.get_red(), row.label.get_green(), row.label.get_blue(), 1.0 }))
            << describe(label->get_style_context()->get_color());
        if (&button == &ghost) {
            EXPECT_TRUE(near(pixelAt(button, drawnSize(button).first / 2, 0), opaque(palette::border.light)))
                << pixelAt(button, drawnSize(button).first / 2, 0);
        }

        button.set_state_flags(Gtk::StateFlags::PRELIGHT | Gtk::StateFlags::ACTIVE, false);
        EXPECT_TRUE(runMainLoopUntil([&] { return near(fill(), row.pressed); })) << fill();
        EXPECT_EQ(size(), restSize);
        EXPECT_TRUE(sameColor(label->get_style_context()->get_color(),
                              Rgba { row.label.get_red(), row.label.get_green(), row.label.get_blue(), 1.0 }));

        // Hovering alone looks like rest.
        button.unset_state_flags(Gtk::StateFlags::ACTIVE);
        EXPECT_TRUE(runMainLoopUntil([&] { return !near(fill(), row.pressed); }));
        EXPECT_TRUE(near(fill(), row.rest)) << fill();
        EXPECT_EQ(size(), restSize);
        button.unset_state_flags(Gtk::StateFlags::PRELIGHT);
    }
}

} // namespace
} // namespace tq
