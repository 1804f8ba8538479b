#include "chrome/status_bar_view.hpp"
#include "chrome/accessible_text.hpp"

#include "chrome/status_text.hpp"

namespace tq {

namespace {

constexpr int itemSpacing = 16;
constexpr int symbolSpacing = 5;

} // namespace

StatusBarView::StatusBarView()
    : Gtk::Box(Gtk::Orientation::HORIZONTAL, itemSpacing),
      projectItem_(Gtk::Orientation::HORIZONTAL, symbolSpacing),
      paneItem_(Gtk::Orientation::HORIZONTAL, symbolSpacing)
{
    add_css_class("status-bar");
    setAccessibleLabel(*this, "Status bar");

    projectItem_.add_css_class("project-item");
    projectSymbol_.set_from_icon_name("tq-folder-filled-symbolic");
    projectSymbol_.add_css_class("status-symbol");
    projectSymbol_.add_css_class("project-symbol");
    setAccessibleLabel(projectSymbol_, "Project");
    projectName_.add_css_class("status-value");
    projectItem_.append(projectSymbol_);
    projectItem_.append(projectName_);
    projectItem_.set_valign(Gtk::Align::CENTER);

    paneItem_.add_css_class("pane-item");
    paneSymbol_.set_from_icon_name("tq-pane-split-symbolic");
    paneSymbol_.add_css_class("status-symbol");
    paneSymbol_.add_css_class("pane-symbol");
    setAccessibleLabel(paneSymbol_, "Terminal panes");
    paneCount_.add_css_class("status-value");
    paneItem_.append(paneSymbol_);
    paneItem_.append(paneCount_);
    paneItem_.set_valign(Gtk::Align::CENTER);

    spacer_.set_hexpand(true);

    // Always shown, empty when there is nothing to say: its line keeps the bar at the same
    // height whatever it shows.
    changeText_.add_css_class("change-text");
    changeText_.set_valign(Gtk::Align::CENTER);
    changeText_.set_ellipsize(Pango::EllipsizeMode::END);

    append(projectItem_);
    append(paneItem_);
    append(spacer_);
    append(changeText_);

    update(std::nullopt, 0, std::nullopt);
}

void StatusBarView::update(std::optional<std::string> projectName, int paneCount,
                           std::optional<FileChangeEvent> lastChange)
{
    projectItem_.set_visible(projectName.has_value());
    projectName_.set_text(projectName.value_or(""));
    setAccessibleLabel(projectItem_, projectName ? "Project " + *projectName : std::string());

    paneItem_.set_visible(paneCount >= 1);
    paneCount_.set_text(std::to_string(paneCount));
    setAccessibleLabel(paneItem_, std::to_string(paneCount) + (paneCount == 1 ? " terminal pane" : " terminal panes"));

    changeText_.set_text(lastChange ? changeText(*lastChange, std::chrono::system_clock::now()) : std::string());
}

} // namespace tq
