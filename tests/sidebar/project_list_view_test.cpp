#include "sidebar_fixture.hpp"

#include "fake_file_manager.hpp"
#include "sidebar/show_in_file_manager.hpp"
#include "support/main_loop.hpp"

#include <gtkmm/popovermenu.h>

#include <filesystem>

namespace tq::test {
namespace {

using ProjectListViewTest = SidebarFixture;

const char* const stateClasses[] = {"pinned", "preparing", "active", "normal"};

Gtk::Widget* descendantWithClass(Gtk::Widget& widget, const char* cssClass)
{
    for (auto* child = widget.get_first_child(); child; child = child->get_next_sibling()) {
        if (child->has_css_class(cssClass))
            return child;
        if (auto* found = descendantWithClass(*child, cssClass))
            return found;
    }
    return nullptr;
}

bool shows(Gtk::Widget& row, const char* cssClass)
{
    auto* part = descendantWithClass(row, cssClass);
    return part && part->get_visible();
}

TEST_F(ProjectListViewTest, RowsFollowTheDisplayOrderWithTheirStateLooks)
{
    addFolders({"zeta", "Alpha", "beta", "prep", "busy", "both"});
    writeFile(root_ + "/prep/BOOTSTRAP.md", "");
    writeFile(root_ + "/both/BOOTSTRAP.md", "");
    projectManager_->loadProjects();
    projectManager_->togglePin("beta");
    // Activity order, not name order, ranks the active ones; a pinned one stays pinned.
    makeActive("busy");
    makeActive("both");
    makeActive("beta");

    ASSERT_TRUE(waitForRowNames({"beta", "prep", "busy", "both", "Alpha", "zeta"}));
    struct Expected {
        const char* name;
        const char* state;
        bool indicator;
        bool pin;
    };
    const Expected expected[] = {
        {"beta", "pinned", false, true},     {"prep", "preparing", true, false}, {"busy", "active", true, false},
        {"both", "active", true, false},     {"Alpha", "normal", false, false},  {"zeta", "normal", false, false},
    };
    for (const auto& want : expected) {
        SCOPED_TRACE(want.name);
        auto* shown = row(want.name);
        ASSERT_NE(shown, nullptr);
        for (const char* state : stateClasses)
            EXPECT_EQ(shown->has_css_class(state), std::string(state) == want.state) << state;
        EXPECT_EQ(shows(*shown, "project-indicator"), want.indicator);
        EXPECT_EQ(shows(*shown, "project-pin"), want.pin);
        EXPECT_FALSE(shown->has_css_class("selected"));
    }

    // The list follows the stores: the program in "busy" ends, "prep" finishes its set-up.
    busyProcessIds_.clear();
    sessionManager_->refreshActiveProjects();
    std::filesystem::remove(root_ + "/prep/BOOTSTRAP.md");
    projectManager_->refreshPreparingProjects();
    EXPECT_TRUE(waitForRowNames({"beta", "both", "Alpha", "busy", "prep", "zeta"}));
    EXPECT_TRUE(rowHasClass("both", "preparing"));
}

TEST_F(ProjectListViewTest, AClickAnywhereInARowSelectsItsProject)
{
    addFolders({"alpha", "beta", "gamma"});
    projectManager_->togglePin("alpha");
    ASSERT_TRUE(waitForRowNames({"alpha", "beta", "gamma"}));
    auto* beta = row("beta");
    ASSERT_NE(beta, nullptr);
    const double middle = beta->get_height() / 2.0;

    // The 6 px margin beside the highlighted shape belongs to the row.
    EXPECT_EQ(pointerAt(*beta, 2, middle), beta);
    ASSERT_TRUE(runMainLoopUntil([&] { return rowHasClass("beta", "hovering"); }));
    EXPECT_FALSE(rowHasClass("alpha", "hovering"));
    EXPECT_FALSE(selection_.project());

    // A re-render that replaces the row's entry keeps the hover with the project.
    writeFile(root_ + "/beta/BOOTSTRAP.md", "");
    projectManager_->refreshPreparingProjects();
    ASSERT_TRUE(runMainLoopUntil([&] { return rowHasClass("beta", "preparing"); }));
    EXPECT_TRUE(rowHasClass("beta", "hovering"));

    beta = row("beta");
    ASSERT_NE(beta, nullptr);
    clickAt(*beta, 2, middle);
    ASSERT_TRUE(runMainLoopUntil([&] { return selection_.projectId() == "beta"; }));
    EXPECT_EQ(*selection_.project(), project("beta"));
    EXPECT_TRUE(rowHasClass("beta", "selected"));

    auto* gamma = row("gamma");
    ASSERT_NE(gamma, nullptr);
    clickAt(*gamma, gamma->get_width() - 3, gamma->get_height() / 2.0);
    ASSERT_TRUE(runMainLoopUntil([&] { return selection_.projectId() == "gamma"; }));
    EXPECT_TRUE(rowHasClass("gamma", "selected"));
    EXPECT_TRUE(rowHasClass("gamma", "hovering"));
    EXPECT_FALSE(rowHasClass("beta", "selected"));
    EXPECT_FALSE(rowHasClass("beta", "hovering"));
}

TEST_F(ProjectListViewTest, PinningThroughTheActionReordersAndPersists)
{
    addFolders({"alpha", "beta"});
    ASSERT_TRUE(waitForRowNames({"alpha", "beta"}));

    EXPECT_TRUE(activate("toggle-pin", "beta"));
    EXPECT_TRUE(waitForRowNames({"beta", "alpha"}));
    EXPECT_TRUE(rowHasClass("beta", "pinned"));
    EXPECT_EQ(pinnedIdsOnDisk(), std::vector<std::string>{"beta"});

    EXPECT_TRUE(activate("toggle-pin", "beta"));
    EXPECT_TRUE(waitForRowNames({"alpha", "beta"}));
    EXPECT_TRUE(rowHasClass("beta", "normal"));
    EXPECT_TRUE(pinnedIdsOnDisk().empty());
}

struct MenuEntry {
    std::string label;
    std::string action;
    std::string target;
    bool operator==(const MenuEntry&) const = default;
};

void PrintTo(const MenuEntry& entry, std::ostream* out)
{
    *out << entry.label << " -> " << entry.action << "(" << entry.target << ")";
}

// The entries of a two-level menu (sections of items), with an empty entry between sections.
std::vector<MenuEntry> entriesOf(GMenuModel* menu)
{
    std::vector<MenuEntry> entries;
    for (int s = 0; s < g_menu_model_get_n_items(menu); ++s) {
        if (s > 0)
            entries.push_back({});
        GMenuModel* section = g_menu_model_get_item_link(menu, s, G_MENU_LINK_SECTION);
        for (int i = 0; section && i < g_menu_model_get_n_items(section); ++i) {
            MenuEntry entry;
            gchar* text = nullptr;
            if (g_menu_model_get_item_attribute(section, i, G_MENU_ATTRIBUTE_LABEL, "s", &text))
                entry.label = text;
            g_free(text);
            text = nullptr;
            if (g_menu_model_get_item_attribute(section, i, G_MENU_ATTRIBUTE_ACTION, "s", &text))
                entry.action = text;
            g_free(text);
            if (GVariant* target = g_menu_model_get_item_attribute_value(section, i, G_MENU_ATTRIBUTE_TARGET, nullptr)) {
                entry.target = g_variant_get_bytestring(target);
                g_variant_unref(target);
            }
            entries.push_back(entry);
        }
        if (section)
            g_object_unref(section);
    }
    return entries;
}

TEST_F(ProjectListViewTest, ARightClickOpensTheContextMenuForThatRow)
{
    addFolders({"alpha", "beta"});
    projectManager_->togglePin("beta");
    ASSERT_TRUE(waitForRowNames({"beta", "alpha"}));

    Gtk::PopoverMenu* menu = nullptr;
    for (auto* child = view_->get_first_child(); child; child = child->get_next_sibling()) {
        if (auto* popover = dynamic_cast<Gtk::PopoverMenu*>(child))
            menu = popover;
    }
    ASSERT_NE(menu, nullptr);

    struct Case {
        const char* name;
        const char* pinLabel;
    };
    for (const auto& [name, pinLabel] : {Case{"beta", "Unpin"}, Case{"alpha", "Pin to Top"}}) {
        SCOPED_TRACE(name);
        auto* shown = row(name);
        ASSERT_NE(shown, nullptr);
        clickAt(*shown, shown->get_width() / 2.0, shown->get_height() / 2.0, 3);
        ASSERT_TRUE(runMainLoopUntil([&] { return menu->get_visible(); }));
        const std::vector<MenuEntry> expected = {
            {pinLabel, "sidebar.toggle-pin", name},
            {"Show in File Manager", "sidebar.show-in-file-manager", name},
            {},
            {"Delete", "sidebar.delete", name},
        };
        EXPECT_EQ(entriesOf(menu->get_menu_model()->gobj()), expected);
        menu->popdown();
        ASSERT_TRUE(runMainLoopUntil([&] { return !menu->get_visible(); }));
    }
    // A right click selects nothing.
    EXPECT_FALSE(selection_.project());
}

bool isActivatable(const std::string& busName)
{
    auto bus = Gio::DBus::Connection::get_sync(Gio::DBus::BusType::SESSION);
    const auto reply = bus->call_sync("/org/freedesktop/DBus", "org.freedesktop.DBus", "ListActivatableNames", {},
                                      "org.freedesktop.DBus");
    Glib::Variant<std::vector<Glib::ustring>> names;
    reply.get_child(names, 0);
    for (const auto& name : names.get()) {
        if (name.raw() == busName)
            return true;
    }
    return false;
}

TEST_F(ProjectListViewTest, ShowInFileManagerOpensTheFolderOrSaysWhyNot)
{
    addFolders({"my demo #1"});
    ASSERT_TRUE(waitForRowNames({"my demo #1"}));
    {
        FakeFileManager fileManager(fileManagerBusName);
        if (!fileManager.owned())
            GTEST_SKIP() << "another program serves " << fileManagerBusName;
        ASSERT_TRUE(activate("show-in-file-manager", "my demo #1"));
        ASSERT_TRUE(runMainLoopUntil([&] { return !fileManager.shownUris().empty(); }));
        EXPECT_EQ(fileManager.shownUris().front().raw(), "file://" + root_ + "/my%20demo%20%231");
        EXPECT_TRUE(openDialogs().empty());
    }
    if (isActivatable(fileManagerBusName))
        GTEST_SKIP() << "a file manager on this machine would be started";

    // No file manager service, and a folder that is gone has no default handler either.
    std::filesystem::remove(root_ + "/my demo #1");
    ASSERT_TRUE(activate("show-in-file-manager", "my demo #1"));
    auto* notice = waitForDialog("Could not show the folder");
    ASSERT_NE(notice, nullptr);
    EXPECT_NE(std::string(adw_message_dialog_get_body(notice)).find(root_ + "/my demo #1"), std::string::npos);
}

} // namespace
} // namespace tq::test
