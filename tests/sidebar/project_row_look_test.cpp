#include "sidebar_fixture.hpp"

#include "chrome/palette.hpp"
#include "support/main_loop.hpp"

#include <gtk/gtk.h>

#include <cmath>
#include <ostream>

namespace tq::test {
namespace {

// A drawn pixel with straight (not premultiplied) colour.
struct Pixel {
    int red, green, blue, alpha;
};

std::ostream& operator<<(std::ostream& out, const Pixel& pixel)
{
    return out << "rgba(" << pixel.red << ", " << pixel.green << ", " << pixel.blue << ", " << pixel.alpha << ")";
}

bool near(const Pixel& actual, std::uint32_t rgb, int alpha)
{
    const auto close = [](int a, int b) { return std::abs(a - b) <= 3; };
    if (!close(actual.alpha, alpha))
        return false;
    return alpha == 0 || (close(actual.red, int(rgb >> 16 & 0xFF)) && close(actual.green, int(rgb >> 8 & 0xFF)) &&
                          close(actual.blue, int(rgb & 0xFF)));
}

// The widget alone, drawn on a transparent ground; (x, y) from its top left corner.
Pixel pixelAt(Gtk::Widget& widget, int x, int y)
{
    const int width = widget.get_width();
    const int height = widget.get_height();
    if (x < 0 || y < 0 || x >= width || y >= height)
        return {};
    GdkPaintable* paintable = gtk_widget_paintable_new(widget.gobj());
    GtkSnapshot* snapshot = gtk_snapshot_new();
    gdk_paintable_snapshot(paintable, snapshot, width, height);
    Pixel pixel{};
    if (GskRenderNode* node = gtk_snapshot_free_to_node(snapshot)) {
        const graphene_rect_t bounds = GRAPHENE_RECT_INIT(0, 0, float(width), float(height));
        GdkTexture* texture =
            gsk_renderer_render_texture(gtk_native_get_renderer(gtk_widget_get_native(widget.gobj())), node, &bounds);
        std::vector<guchar> data(std::size_t(width) * height * 4);
        gdk_texture_download(texture, data.data(), std::size_t(width) * 4);
        // Premultiplied ARGB in native-endian words.
        const auto word = *reinterpret_cast<const std::uint32_t*>(&data[(std::size_t(y) * width + x) * 4]);
        const int alpha = int(word >> 24 & 0xFF);
        const auto straight = [alpha](std::uint32_t channel) {
            return alpha == 0 ? 0 : int(std::lround((channel & 0xFF) * 255.0 / alpha));
        };
        pixel = {straight(word >> 16), straight(word >> 8), straight(word), alpha};
        g_object_unref(texture);
        gsk_render_node_unref(node);
    }
    g_object_unref(paintable);
    return pixel;
}

Gtk::Widget& part(Gtk::Widget& row, const char* cssClass)
{
    std::vector<Gtk::Widget*> pending{&row};
    while (!pending.empty()) {
        auto* widget = pending.back();
        pending.pop_back();
        if (widget->has_css_class(cssClass))
            return *widget;
        for (auto* child = widget->get_first_child(); child; child = child->get_next_sibling())
            pending.push_back(child);
    }
    throw std::runtime_error(std::string("no part ") + cssClass);
}

bool hasColor(Gtk::Widget& widget, const AdaptiveColor& color)
{
    const auto expected = rgbaFromHex(color.light);
    const auto actual = widget.get_style_context()->get_color();
    return std::abs(actual.get_red() - expected.red) < 0.002 && std::abs(actual.get_green() - expected.green) < 0.002 &&
           std::abs(actual.get_blue() - expected.blue) < 0.002;
}

class ProjectRowLookTest : public SidebarFixture {
protected:
    ProjectRowLookTest()
    {
        adw_style_manager_set_color_scheme(adw_style_manager_get_default(), ADW_COLOR_SCHEME_FORCE_LIGHT);
    }
    ~ProjectRowLookTest() override
    {
        adw_style_manager_set_color_scheme(adw_style_manager_get_default(), ADW_COLOR_SCHEME_DEFAULT);
    }
};

TEST_F(ProjectRowLookTest, StatesSelectionAndHoverTakeTheirColoursFromThePalette)
{
    addFolders({"n", "p", "q", "a"});
    writeFile(root_ + "/q/BOOTSTRAP.md", "");
    projectManager_->loadProjects();
    projectManager_->togglePin("p");
    makeActive("a");
    selection_.set(project("n"));
    ASSERT_TRUE(waitForRowNames({"p", "q", "a", "n"}));

    struct Expected {
        const char* name;
        const AdaptiveColor& folder;
    };
    for (const auto& [name, folder] : {Expected{"p", palette::accent}, Expected{"q", palette::statusPreparing},
                                       Expected{"a", palette::statusActive}, Expected{"n", palette::textTertiary}}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(hasColor(part(*row(name), "project-folder"), folder));
    }
    EXPECT_TRUE(hasColor(part(*row("p"), "project-pin"), palette::textTertiary));
    auto& dot = part(*row("q"), "project-indicator-dot");
    EXPECT_TRUE(near(pixelAt(dot, dot.get_width() / 2, dot.get_height() / 2), palette::statusPreparing.light, 255));
    auto& halo = part(*row("a"), "project-indicator");
    EXPECT_TRUE(near(pixelAt(halo, 1, halo.get_height() / 2), palette::statusActive.light, 102))
        << pixelAt(halo, 1, halo.get_height() / 2);

    // At rest: no fill, secondary name.
    auto& restShape = part(*row("q"), "project-row-shape");
    EXPECT_TRUE(near(pixelAt(restShape, restShape.get_width() / 2, 2), 0, 0));
    EXPECT_TRUE(hasColor(part(*row("q"), "project-name"), palette::textSecondary));

    // Selected and hovered: the selected tint and outline win over the hover fill.
    pointerAt(*row("n"), 2, 2);
    ASSERT_TRUE(runMainLoopUntil([&] { return rowHasClass("n", "hovering"); }));
    auto& selectedShape = part(*row("n"), "project-row-shape");
    const int middle = selectedShape.get_height() / 2;
    EXPECT_TRUE(near(pixelAt(selectedShape, selectedShape.get_width() / 2, middle), palette::accent.light, 31))
        << pixelAt(selectedShape, selectedShape.get_width() / 2, middle);
    // The outline: 0.3 of the accent over the 0.12 tint (about 98 of 255; renderers smooth the
    // one-pixel edge differently, so only its colour and a clearly stronger cover are checked).
    const auto edge = pixelAt(selectedShape, 0, middle);
    EXPECT_TRUE(near(edge, palette::accent.light, edge.alpha)) << edge;
    EXPECT_GE(edge.alpha, 80) << edge;
    EXPECT_LE(edge.alpha, 110) << edge;
    EXPECT_TRUE(hasColor(part(*row("n"), "project-name"), palette::textPrimary));

    // Hovered only: the hover fill and a primary name; the selected row keeps its primary name.
    pointerAt(*row("q"), 2, 2);
    ASSERT_TRUE(runMainLoopUntil([&] { return rowHasClass("q", "hovering"); }));
    auto& hoveredShape = part(*row("q"), "project-row-shape");
    EXPECT_TRUE(near(pixelAt(hoveredShape, hoveredShape.get_width() / 2, 2), palette::surfaceHover.light, 255))
        << pixelAt(hoveredShape, hoveredShape.get_width() / 2, 2);
    EXPECT_TRUE(hasColor(part(*row("q"), "project-name"), palette::textPrimary));
    EXPECT_TRUE(hasColor(part(*row("n"), "project-name"), palette::textPrimary));
    EXPECT_TRUE(hasColor(part(*row("a"), "project-name"), palette::textSecondary));
}

TEST_F(ProjectRowLookTest, ALongNameIsCutOnOneLineAndThePinMarkerStaysInside)
{
    const std::string name(200, 'x');
    addFolders({name, "short"});
    projectManager_->togglePin(name);
    ASSERT_TRUE(waitForRowNames({name, "short"}));
    auto& longRow = *row(name);
    auto& label = dynamic_cast<Gtk::Label&>(part(longRow, "project-name"));
    EXPECT_TRUE(label.get_layout()->is_ellipsized());
    EXPECT_EQ(label.get_layout()->get_line_count(), 1);
    EXPECT_EQ(longRow.get_height(), row("short")->get_height());

    auto& pin = part(longRow, "project-pin");
    ASSERT_TRUE(pin.get_visible());
    double pinX = 0;
    double pinY = 0;
    ASSERT_TRUE(pin.translate_coordinates(longRow, 0, 0, pinX, pinY));
    EXPECT_GT(pin.get_width(), 0);
    // Inside the highlighted shape: 6 px margin plus 12 px padding from the row's right edge.
    EXPECT_LE(pinX + pin.get_width(), longRow.get_width() - 18);
    double labelX = 0;
    double labelY = 0;
    ASSERT_TRUE(label.translate_coordinates(longRow, 0, 0, labelX, labelY));
    EXPECT_LE(labelX + label.get_width(), pinX);
}

} // namespace
} // namespace tq::test
