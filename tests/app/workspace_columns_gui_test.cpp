#include "app/workspace_columns.hpp"

#include "support/main_loop.hpp"

#include <gtest/gtest.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>

namespace tq {
namespace {

class WorkspaceColumnsTest : public testing::Test {
protected:
    WorkspaceColumnsTest()
    {
        center.set_hexpand(true);
        columns.setSidebar(sidebar);
        columns.setCenter(center);
        columns.setDocuments(documents);
        window.set_child(columns);
        window.set_default_size(1200, 800);
        window.present();
    }
    ~WorkspaceColumnsTest() override { window.destroy(); }

    bool laidOut(int sidebarWidth, int documentsWidth)
    {
        return test::runMainLoopUntil(
            [&] { return columns.sidebarWidth() == sidebarWidth && columns.documentsWidth() == documentsWidth; });
    }

    Gtk::Window window;
    WorkspaceColumns columns;
    Gtk::Label sidebar{"sidebar"};
    Gtk::Label center{"terminals"};
    Gtk::Label documents{"documents"};
};

TEST_F(WorkspaceColumnsTest, SideColumnsOpenAtTheirIdealWidthsAndTheTerminalAreaTakesTheRest)
{
    ASSERT_TRUE(laidOut(200, 280)) << columns.sidebarWidth() << " " << columns.documentsWidth();
    EXPECT_GT(center.get_width(), 600);

    window.set_default_size(1400, 800);
    ASSERT_TRUE(test::runMainLoopUntil([&] { return window.get_width() == 1400; }));
    EXPECT_TRUE(laidOut(200, 280)) << "a wider window widens only the terminal area";
}

TEST_F(WorkspaceColumnsTest, DraggingStopsAtEachSideColumnsLimits)
{
    ASSERT_TRUE(laidOut(200, 280));
    columns.sidebarDivider().set_position(500);
    EXPECT_TRUE(laidOut(300, 280)) << columns.sidebarWidth();
    columns.sidebarDivider().set_position(20);
    EXPECT_TRUE(laidOut(180, 280)) << columns.sidebarWidth();

    // The documents divider's position is the terminal area's width.
    columns.documentsDivider().set_position(100);
    EXPECT_TRUE(laidOut(180, 400)) << columns.documentsWidth();
    columns.documentsDivider().set_position(5000);
    EXPECT_TRUE(laidOut(180, 250)) << columns.documentsWidth();
}

TEST_F(WorkspaceColumnsTest, HiddenSideColumnsGiveTheirSpaceToTheTerminalArea)
{
    ASSERT_TRUE(laidOut(200, 280));
    const int narrow = center.get_width();
    columns.setSidebarVisible(false);
    columns.setDocumentsVisible(false);
    EXPECT_TRUE(test::runMainLoopUntil([&] { return center.get_width() > narrow + 400; }));
    columns.setSidebarVisible(true);
    columns.setDocumentsVisible(true);
    EXPECT_TRUE(laidOut(200, 280));
}

} // namespace
} // namespace tq
