// The pane views over a fake session (no shells) and, for clicks, real terminals.
#include "chrome/theme.hpp"
#include "fake_terminal_view.hpp"
#include "support/main_loop.hpp"
#include "support/temp_dir.hpp"
#include "terminals/terminal_container_view.hpp"
#include "terminals/terminal_pane_wrapper.hpp"
#include "terminals/vte_terminal_view.hpp"
#include "terminals/vte_terminal_view_factory.hpp"

#include <gtest/gtest.h>
#include <gtkmm/paned.h>
#include <gtkmm/window.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

// From <gdk/x11/gdkx.h>, whose X11 macros clash with GoogleTest.
extern "C" unsigned long gdk_x11_surface_get_xid(GdkSurface* surface);

namespace tq {
namespace {

using namespace std::chrono_literals;
using test::runMainLoopUntil;

Project project(const std::string& name)
{
    return Project { name, "/projects/" + name, "", "" };
}

// The application's bundled stylesheets and palette, as the window uses them.
void loadStylesheet()
{
    const auto& theme = Theme::install(Gdk::Display::get_default());
    const auto& loaded = theme.stylesheets();
    ASSERT_NE(
        std::find(loaded.begin(), loaded.end(), std::string(Theme::resourcePrefix) + "/css/terminals.css"),
        loaded.end());
    for (const auto& error : theme.stylesheetErrors())
        EXPECT_EQ(error.find("terminals.css"), std::string::npos) << error;
}

struct Bounds {
    double x, y, width, height;
    double get_x() const { return x; }
    double get_y() const { return y; }
    double get_width() const { return width; }
    double get_height() const { return height; }
};

Bounds boundsIn(Gtk::Widget& widget, Gtk::Widget& target)
{
    graphene_rect_t rect;
    EXPECT_TRUE(gtk_widget_compute_bounds(widget.gobj(), target.gobj(), &rect));
    return { rect.origin.x, rect.origin.y, rect.size.width, rect.size.height };
}

class TerminalContainer : public testing::Test {
protected:
    void show(TerminalSessionManager& session, int width = 900, int height = 600)
    {
        loadStylesheet();
        window = std::make_unique<Gtk::Window>();
        window->set_default_size(width, height);
        container = Gtk::make_managed<TerminalContainerView>(session, "a", "/projects/a");
        window->set_child(*container);
        window->present();
        ASSERT_TRUE(runMainLoopUntil([&] { return container->get_width() > 0; }));
    }

    std::unique_ptr<Gtk::Window> window;
    TerminalContainerView* container = nullptr;
};

TEST_F(TerminalContainer, PanesFollowTheTreeWithMinimumSizesOutlinesAndCloseButtons)
{
    test::FakeTerminalViewFactory factory;
    TerminalSessionManager manager(factory, [](int) { return false; });
    const auto p1 = manager.getOrCreateTree(project("a"))->id();
    manager.splitTerminal("a", p1, SplitDirection::horizontal, "/projects/a");
    const auto p2 = *manager.focusedTerminalId();
    manager.splitTerminal("a", p2, SplitDirection::vertical, "/projects/a");
    const auto p3 = *manager.focusedTerminalId();
    const auto otherProjectsPane = manager.getOrCreateTree(project("b"))->id();
    manager.setFocusedTerminalId(p3);
    show(manager);
    // The display may be shared with other tests that move the pointer: only this test hovers.
    container->set_can_target(false);

    // P1 on the left; P2 above P3 on the right.
    auto* root = dynamic_cast<Gtk::Paned*>(container->get_first_child());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->get_orientation(), Gtk::Orientation::HORIZONTAL);
    EXPECT_EQ(root->get_start_child(), container->pane(p1));
    auto* right = dynamic_cast<Gtk::Paned*>(root->get_end_child());
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right->get_orientation(), Gtk::Orientation::VERTICAL);
    EXPECT_EQ(right->get_start_child(), container->pane(p2));
    EXPECT_EQ(right->get_end_child(), container->pane(p3));

    // Dividers cannot squeeze a side below 100 wide or 50 high, and never touch the tree.
    const auto tree = manager.projectTrees().at("a");
    for (int position : { 0, 10000 }) {
        root->set_position(position);
        right->set_position(position);
        test::runMainLoopFor(100ms);
        SCOPED_TRACE(position);
        EXPECT_GE(container->pane(p1)->get_width(), TerminalContainerView::minimumPaneWidth);
        EXPECT_GE(right->get_width(), TerminalContainerView::minimumPaneWidth);
        EXPECT_GE(container->pane(p2)->get_height(), TerminalContainerView::minimumPaneHeight);
        EXPECT_GE(container->pane(p3)->get_height(), TerminalContainerView::minimumPaneHeight);
    }
    EXPECT_EQ(manager.projectTrees().at("a"), tree);

    // The outline marks the focused pane only, and none when the focus is elsewhere; the
    // outline covers the whole pane either way.
    auto focusedPanes = [&] {
        std::vector<Uuid> focused;
        for (const auto& id : { p1, p2, p3 }) {
            if (container->pane(id)->isFocused() && container->pane(id)->has_css_class("focused"))
                focused.push_back(id);
        }
        return focused;
    };
    EXPECT_EQ(focusedPanes(), std::vector<Uuid> { p3 });
    manager.setFocusedTerminalId(p1);
    EXPECT_EQ(focusedPanes(), std::vector<Uuid> { p1 });
    manager.setFocusedTerminalId(otherProjectsPane);
    EXPECT_TRUE(focusedPanes().empty());
    manager.setFocusedTerminalId(std::nullopt);
    EXPECT_TRUE(focusedPanes().empty());
    auto* outline = container->pane(p1)->get_last_child()->get_prev_sibling();
    ASSERT_TRUE(outline && outline->has_css_class("terminal-pane-outline"));
    const auto outlineBounds = boundsIn(*outline, *container->pane(p1));
    EXPECT_EQ(outlineBounds.get_width(), container->pane(p1)->get_width());
    EXPECT_EQ(outlineBounds.get_height(), container->pane(p1)->get_height());

    // Every pane of a three-pane tree can close; only the hovered one shows its button,
    // 18 x 18 and 8 inside the top-right corner.
    for (const auto& id : { p1, p2, p3 }) {
        EXPECT_TRUE(container->pane(id)->canClose());
        EXPECT_FALSE(container->pane(id)->isCloseButtonShown());
    }
    container->pane(p2)->setHovering(true);
    EXPECT_TRUE(container->pane(p2)->isCloseButtonShown());
    EXPECT_FALSE(container->pane(p3)->isCloseButtonShown());
    test::runMainLoopFor(100ms);
    auto& button = container->pane(p2)->closeButton();
    const auto buttonBounds = boundsIn(button, *container->pane(p2));
    EXPECT_EQ(buttonBounds.get_width(), 18);
    EXPECT_EQ(buttonBounds.get_height(), 18);
    EXPECT_EQ(buttonBounds.get_y(), 8);
    EXPECT_EQ(container->pane(p2)->get_width() - buttonBounds.get_x() - buttonBounds.get_width(), 8);

    // Pressing it closes that pane; with one pane left no button shows, even hovered.
    button.activate();
    ASSERT_TRUE(runMainLoopUntil([&] { return container->panes().size() == 2; }));
    EXPECT_EQ(allTerminalIds(manager.projectTrees().at("a")), (std::vector<Uuid> { p1, p3 }));
    EXPECT_FALSE(container->pane(p3)->isHovering()) << "a pane built anew starts unhovered";
    container->pane(p3)->setHovering(true);
    container->pane(p3)->closeButton().activate();
    ASSERT_TRUE(runMainLoopUntil([&] { return container->panes().size() == 1; }));
    container->pane(p1)->setHovering(true);
    EXPECT_FALSE(container->pane(p1)->canClose());
    EXPECT_FALSE(container->pane(p1)->isCloseButtonShown());
}

unsigned long xWindowOf(Gtk::Window& window)
{
    return gdk_x11_surface_get_xid(window.get_surface()->gobj());
}

// Windows of other tests sharing the display open at the top-left corner: keep out of their way.
void moveToBottomRight(Gtk::Window& window)
{
    const auto command = "xdotool windowmove " + std::to_string(xWindowOf(window)) + " 1300 780";
    ASSERT_EQ(std::system(command.c_str()), 0);
    window.present();
    test::runMainLoopFor(200ms);
}

// Moves the pointer over the middle of a widget and clicks there, as a user would.
void clickOn(Gtk::Window& window, Gtk::Widget& widget)
{
    const auto bounds = boundsIn(widget, window);
    double surfaceX = 0;
    double surfaceY = 0;
    gtk_native_get_surface_transform(GTK_NATIVE(window.gobj()), &surfaceX, &surfaceY);
    const auto command = "xdotool mousemove --window " + std::to_string(xWindowOf(window)) + " "
        + std::to_string(int(surfaceX + bounds.get_x() + bounds.get_width() / 2)) + " "
        + std::to_string(int(surfaceY + bounds.get_y() + bounds.get_height() / 2)) + " click 1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

TEST_F(TerminalContainer, AClickFocusesThePaneAndTypingGoesToItsShell)
{
    test::TempDir root;
    const auto folder = root / "a";
    test::makeDirectories(folder);
    test::ScopedEnv shell("SHELL", "/bin/bash");
    test::ScopedEnv home("HOME", root.path().c_str());
    VteTerminalViewFactory factory;
    TerminalSessionManager manager(factory);
    const auto left = manager.getOrCreateTree(Project { "a", folder, "", "" })->id();
    manager.getOrCreateTerminalView(left, folder);
    manager.splitTerminal("a", left, SplitDirection::horizontal, folder);
    const auto right = *manager.focusedTerminalId();
    show(manager, 600, 400);
    moveToBottomRight(*window);
    auto& leftView = dynamic_cast<VteTerminalView&>(*manager.terminalView(left));
    ASSERT_TRUE(runMainLoopUntil([&] { return leftView.shellProcessId() > 0; }));

    // The terminal sits 4 below the pane's top, 8 from its left, 4 from its right, on its bottom.
    auto* leftPane = container->pane(left);
    const auto inset = boundsIn(leftView.widget(), *leftPane);
    EXPECT_EQ(inset.get_y(), 4);
    EXPECT_EQ(inset.get_x(), 8);
    EXPECT_EQ(leftPane->get_width() - inset.get_x() - inset.get_width(), 4);
    EXPECT_EQ(leftPane->get_height() - inset.get_y() - inset.get_height(), 0);

    ASSERT_EQ(manager.focusedTerminalId(), right);
    clickOn(*window, leftView.widget());
    ASSERT_TRUE(runMainLoopUntil([&] { return manager.focusedTerminalId() == left; }));
    EXPECT_TRUE(leftPane->isFocused());
    EXPECT_FALSE(container->pane(right)->isFocused());
    EXPECT_EQ(window->get_focus(), &leftView.widget());

    ASSERT_EQ(std::system("xdotool type 'echo typed-$((6*7))' && xdotool key Return"), 0);
    EXPECT_TRUE(runMainLoopUntil([&] { return leftView.screenText().find("typed-42") != std::string::npos; }))
        << leftView.screenText();
}

} // namespace
} // namespace tq
