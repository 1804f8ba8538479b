#include "chrome/status_bar_view.hpp"

#include "chrome/theme.hpp"
#include "support/main_loop.hpp"

#include <gtest/gtest.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>

namespace tq {
namespace {

using namespace std::chrono_literals;
using test::runMainLoopUntil;

Gtk::Widget* findByClass(Gtk::Widget& root, const char* cssClass)
{
    if (root.has_css_class(cssClass))
        return &root;
    for (auto* child = root.get_first_child(); child; child = child->get_next_sibling()) {
        if (auto* found = findByClass(*child, cssClass))
            return found;
    }
    return nullptr;
}

// The text of the value label inside an item.
std::string valueOf(Gtk::Widget& item)
{
    auto* label = dynamic_cast<Gtk::Label*>(findByClass(item, "status-value"));
    return label ? std::string(label->get_text()) : std::string("<no label>");
}

int naturalHeight(Gtk::Widget& widget)
{
    int minimum = 0, natural = 0, minimumBaseline = 0, naturalBaseline = 0;
    widget.measure(Gtk::Orientation::VERTICAL, -1, minimum, natural, minimumBaseline, naturalBaseline);
    return natural;
}

TEST(StatusBarView, ShowsOnlyTheItemsItHasValuesForAtOneHeight)
{
    Theme::install(Gdk::Display::get_default());
    Gtk::Window window;
    window.set_default_size(700, 40);
    StatusBarView bar;
    window.set_child(bar);
    window.present();
    ASSERT_TRUE(runMainLoopUntil([&] { return bar.get_width() > 0; }));

    Gtk::Widget* projectItem = findByClass(bar, "project-item");
    Gtk::Widget* paneItem = findByClass(bar, "pane-item");
    auto* change = dynamic_cast<Gtk::Label*>(findByClass(bar, "change-text"));
    ASSERT_TRUE(projectItem && paneItem && change);

    const FileChangeEvent progressChange { "/home/u/Projects/demo/.tavoro/progress.md",
                                           std::chrono::system_clock::now() - 5min };
    struct Case {
        const char* name;
        std::optional<std::string> projectName;
        int paneCount;
        std::optional<FileChangeEvent> lastChange;
        bool showsProject;
        bool showsPanes;
        bool showsChange;
    };
    const Case cases[] = {
        { "nothing", std::nullopt, 0, std::nullopt, false, false, false },
        { "project without a tree yet", "demo", 0, std::nullopt, true, false, false },
        { "one pane", "demo", 1, std::nullopt, true, true, false },
        { "everything", "Ünïcødé project", 3, progressChange, true, true, true },
        { "a change with no selection", std::nullopt, 0, progressChange, false, false, true },
    };
    std::optional<int> height;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        bar.update(row.projectName, row.paneCount, row.lastChange);
        EXPECT_EQ(projectItem->get_visible(), row.showsProject);
        EXPECT_EQ(paneItem->get_visible(), row.showsPanes);
        if (row.showsProject) {
            EXPECT_EQ(valueOf(*projectItem), *row.projectName);
        }
        if (row.showsPanes) {
            EXPECT_EQ(valueOf(*paneItem), std::to_string(row.paneCount));
        }
        const std::string text = change->get_text();
        if (row.showsChange) {
            EXPECT_EQ(text.rfind("progress.md changed ", 0), 0u) << text;
            EXPECT_EQ(text.find('/'), std::string::npos) << text;
            EXPECT_GT(text.size(), std::string("progress.md changed ").size()) << text;
        } else {
            EXPECT_EQ(text, "");
        }
        if (!height)
            height = naturalHeight(bar);
        EXPECT_EQ(naturalHeight(bar), *height);
        EXPECT_GE(*height, 5 + 5 + 11);
    }

    // Project and pane items keep 16 between them.
    bar.update("demo", 1, std::nullopt);
    ASSERT_TRUE(runMainLoopUntil([&] {
        graphene_rect_t project, panes;
        return gtk_widget_compute_bounds(projectItem->gobj(), GTK_WIDGET(bar.gobj()), &project)
            && gtk_widget_compute_bounds(paneItem->gobj(), GTK_WIDGET(bar.gobj()), &panes)
            && int(panes.origin.x - (project.origin.x + project.size.width)) == 16;
    }));
}

} // namespace
} // namespace tq
