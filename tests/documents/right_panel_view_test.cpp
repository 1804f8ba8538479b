#include "documents/right_panel_view.hpp"

#include "chrome/palette.hpp"
#include "chrome/theme.hpp"
#include "projects/project_manager.hpp"
#include "support/main_loop.hpp"
#include "support/temp_dir.hpp"

#include <gtest/gtest.h>
#include <gtkmm/stylecontext.h>
#include <gtkmm/window.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace tq {
namespace {

using namespace std::chrono_literals;
using test::readFile;
using test::runMainLoopFor;
using test::runMainLoopUntil;
using test::TempDir;
using test::writeFile;

// What a pointer click does, without the delay of keyboard activation.
void click(Gtk::Button& button)
{
    g_signal_emit_by_name(button.gobj(), "clicked");
}

class RightPanelViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        addProject("alpha", "alpha requirements\n", "# Progress\n\n- [ ] Project created\n");
        addProject("beta", "", "");
        store = std::make_unique<ProjectManager>(SettingsFile(config / "settings.ini"), root.path());
        store->loadProjects();
        panel = Gtk::make_managed<RightPanelView>(*store, "alpha");
        window.set_default_size(320, 480);
        window.set_child(*panel);
        window.present();
        runMainLoopUntil([&] { return panel->get_mapped(); });
    }

    void TearDown() override { window.destroy(); }

    void addProject(const std::string& name, const std::string& requirements, const std::string& progress)
    {
        test::makeDirectories(root / (name + "/.tavoro"));
        writeFile(requirementsPath(name), requirements);
        writeFile(root / (name + "/.tavoro/progress.md"), progress);
    }

    std::string requirementsPath(const std::string& name) const { return root / (name + "/.tavoro/requirements.md"); }

    RequirementsView& requirements() { return panel->requirementsView(); }
    bool showsRequirements() { return requirements().is_drawable(); }
    bool showsProgress() { return panel->progressLabel().is_drawable(); }
    void typeInEditor(const std::string& text) { requirements().textView().get_buffer()->insert_at_cursor(text); }
    std::string editorText() { return requirements().textView().get_buffer()->get_text(); }

    Theme& theme = Theme::install(Gdk::Display::get_default());
    TempDir root;
    TempDir config;
    std::unique_ptr<ProjectManager> store;
    Gtk::Window window;
    RightPanelView* panel = nullptr;
};

TEST_F(RightPanelViewTest, TabsSwitchAndTheOpenTabSurvivesProjectSwitches)
{
    Gtk::ToggleButton& requirementsTab = panel->tabButton(RightPanelTab::requirements);
    Gtk::ToggleButton& progressTab = panel->tabButton(RightPanelTab::progress);
    EXPECT_EQ(requirementsTab.get_label(), "REQUIREMENTS");
    EXPECT_EQ(progressTab.get_label(), "PROGRESS");
    EXPECT_TRUE(requirementsTab.get_active());
    EXPECT_TRUE(showsRequirements());

    click(requirementsTab); // pressing the open tab changes nothing
    EXPECT_TRUE(requirementsTab.get_active());
    EXPECT_EQ(panel->selectedTab(), RightPanelTab::requirements);

    click(progressTab);
    runMainLoopUntil([&] { return showsProgress(); }, 1s);
    EXPECT_EQ(panel->selectedTab(), RightPanelTab::progress);
    EXPECT_FALSE(requirementsTab.get_active());
    EXPECT_TRUE(showsProgress());
    EXPECT_EQ(panel->progressLabel().get_text(), "# Progress\n\n- [ ] Project created\n");
    EXPECT_TRUE(panel->progressLabel().get_selectable());

    panel->setProjectId("beta");
    EXPECT_EQ(panel->selectedTab(), RightPanelTab::progress);
    EXPECT_TRUE(progressTab.get_active());
    EXPECT_EQ(panel->progressLabel().get_text(), RightPanelView::emptyProgressText);
    EXPECT_TRUE(panel->progressLabel().has_css_class("placeholder"));

    click(requirementsTab);
    runMainLoopUntil([&] { return showsRequirements(); }, 1s);
    EXPECT_TRUE(showsRequirements());
    EXPECT_EQ(requirements().documentLabel().get_text(), RequirementsView::emptyText);
    panel->setProjectId("alpha");
    EXPECT_TRUE(requirementsTab.get_active());
    EXPECT_EQ(requirements().documentLabel().get_text(), "alpha requirements\n");
}

TEST_F(RightPanelViewTest, ProgressFollowsTheStoresReload)
{
    click(panel->tabButton(RightPanelTab::progress));
    writeFile(root / "alpha/.tavoro/progress.md", "# Progress\n\n- [x] Project created\n- [ ] Interview\n");
    store->loadProjects();
    EXPECT_EQ(panel->progressLabel().get_text(), "# Progress\n\n- [x] Project created\n- [ ] Interview\n");
    EXPECT_FALSE(panel->progressLabel().has_css_class("placeholder"));

    std::remove((root / "alpha/.tavoro/progress.md").c_str());
    store->loadProjects();
    EXPECT_EQ(panel->progressLabel().get_text(), RightPanelView::emptyProgressText);
    EXPECT_TRUE(panel->progressLabel().has_css_class("placeholder"));
}

TEST_F(RightPanelViewTest, EditTypeAndWaitPutsTheTextOnDisk)
{
    Gtk::Button& button = requirements().editButton();
    EXPECT_EQ(button.get_label(), "Edit");
    EXPECT_TRUE(button.has_css_class("ghost-button"));

    click(button);
    EXPECT_EQ(button.get_label(), "Done");
    EXPECT_TRUE(button.has_css_class("accent-button"));
    EXPECT_FALSE(button.has_css_class("ghost-button"));
    runMainLoopUntil([&] { return requirements().textView().is_drawable(); }, 1s);
    EXPECT_TRUE(requirements().textView().is_drawable());
    EXPECT_TRUE(requirements().textView().get_monospace());
    EXPECT_EQ(editorText(), "alpha requirements\n");

    typeInEditor("# Goal\n");
    ASSERT_TRUE(runMainLoopUntil([&] { return readFile(requirementsPath("alpha")) == "# Goal\nalpha requirements\n"; },
                                 3s));
    click(button);
    EXPECT_EQ(button.get_label(), "Edit");
    EXPECT_EQ(requirements().documentLabel().get_text(), "# Goal\nalpha requirements\n");

    // Leaving the tab while a save is pending ends edit mode; the save still lands.
    panel->setProjectId("beta");
    EXPECT_EQ(requirements().documentLabel().get_text(), RequirementsView::emptyText);
    EXPECT_TRUE(requirements().documentLabel().has_css_class("placeholder"));
    click(button);
    EXPECT_EQ(editorText(), "") << "the editor starts empty, not with the placeholder";
    typeInEditor("beta goal");
    click(panel->tabButton(RightPanelTab::progress));
    EXPECT_EQ(button.get_label(), "Edit");
    ASSERT_TRUE(runMainLoopUntil([&] { return readFile(requirementsPath("beta")) == "beta goal"; }, 3s));
    click(panel->tabButton(RightPanelTab::requirements));
    EXPECT_EQ(requirements().documentLabel().get_text(), "beta goal");
}

TEST_F(RightPanelViewTest, TheConflictBannerOffersReloadAndKeepMine)
{
    const auto agentWrites = [&](const std::string& text, bool atomically) {
        if (!atomically)
            return writeFile(requirementsPath("alpha"), text);
        writeFile(requirementsPath("alpha") + ".tmp", text);
        ASSERT_EQ(std::rename((requirementsPath("alpha") + ".tmp").c_str(), requirementsPath("alpha").c_str()), 0);
    };
    RequirementsView& view = requirements();
    EXPECT_FALSE(view.banner().get_visible());
    click(view.editButton());

    typeInEditor("mine ");
    agentWrites("agent's first text", true);
    ASSERT_TRUE(runMainLoopUntil([&] { return view.banner().get_visible(); }, 3s));
    EXPECT_EQ(view.bannerLabel().get_text(), "The requirements changed on disk.");
    EXPECT_EQ(view.reloadButton().get_label(), "Reload");
    EXPECT_EQ(view.keepMineButton().get_label(), "Keep Mine");
    EXPECT_EQ(readFile(requirementsPath("alpha")), "agent's first text");
    click(view.reloadButton());
    EXPECT_FALSE(view.banner().get_visible());
    EXPECT_EQ(editorText(), "agent's first text");
    runMainLoopFor(900ms);
    EXPECT_EQ(readFile(requirementsPath("alpha")), "agent's first text");

    typeInEditor("mine again ");
    agentWrites("agent's second text", false);
    ASSERT_TRUE(runMainLoopUntil([&] { return view.banner().get_visible(); }, 3s));
    EXPECT_EQ(readFile(requirementsPath("alpha")), "agent's second text");
    click(view.keepMineButton());
    EXPECT_FALSE(view.banner().get_visible());
    EXPECT_EQ(readFile(requirementsPath("alpha")), editorText());
    EXPECT_NE(editorText().find("mine again"), std::string::npos);
}

TEST_F(RightPanelViewTest, LooksComeFromTheBundledStylesheetAndThePalette)
{
    const std::string stylesheet = std::string(Theme::resourcePrefix) + "/css/documents.css";
    const auto& sheets = theme.stylesheets();
    EXPECT_NE(std::find(sheets.begin(), sheets.end(), stylesheet), sheets.end());
    for (const auto& error : theme.stylesheetErrors())
        EXPECT_EQ(error.find(stylesheet), std::string::npos) << error;

    const auto expectColor = [&](Gtk::Widget& widget, const AdaptiveColor& color, const char* what) {
        SCOPED_TRACE(what);
        const Gdk::RGBA actual = widget.get_style_context()->get_color();
        const Rgba expected = resolveColor(color, theme.appearance());
        EXPECT_NEAR(actual.get_red(), expected.red, 0.002);
        EXPECT_NEAR(actual.get_green(), expected.green, 0.002);
        EXPECT_NEAR(actual.get_blue(), expected.blue, 0.002);
    };
    const auto expectFont = [](Gtk::Widget& widget, int size, Pango::Weight weight, const char* what) {
        SCOPED_TRACE(what);
        const Pango::FontDescription font = widget.get_pango_context()->get_font_description();
        EXPECT_EQ(font.get_size(), size * PANGO_SCALE);
        EXPECT_EQ(font.get_weight(), weight);
    };

    Gtk::ToggleButton& open = panel->tabButton(RightPanelTab::requirements);
    Gtk::ToggleButton& closed = panel->tabButton(RightPanelTab::progress);
    expectColor(open, palette::accent, "open tab");
    expectColor(closed, palette::textTertiary, "other tab");
    expectFont(*open.get_child(), 11, Pango::Weight::SEMIBOLD, "tab label");
    expectColor(requirements().documentLabel(), palette::textSecondary, "requirements text");
    expectFont(requirements().documentLabel(), 13, Pango::Weight::NORMAL, "requirements text");

    panel->setProjectId("beta");
    expectColor(requirements().documentLabel(), palette::textTertiary, "empty requirements");
    click(requirements().editButton());
    expectColor(requirements().textView(), palette::textPrimary, "editor");
    expectFont(requirements().textView(), 13, Pango::Weight::NORMAL, "editor");
    EXPECT_EQ(requirements().textView().get_pango_context()->get_font_description().get_family(), "monospace");

    click(closed);
    expectColor(closed, palette::accent, "open tab");
    expectColor(open, palette::textTertiary, "other tab");
    expectColor(panel->progressLabel(), palette::textTertiary, "empty progress");
    EXPECT_EQ(panel->progressLabel().get_pango_context()->get_font_description().get_family(), "monospace");
}

} // namespace
} // namespace tq
