#include "sidebar/project_row.hpp"
#include "chrome/accessible_text.hpp"

#include "sidebar/sidebar_texts.hpp"

#include <gtk/gtk.h>

namespace tq {

namespace {

const char* const stateClasses[] = {"pinned", "preparing", "active", "normal"};

} // namespace

ProjectRow::ProjectRow()
    : Gtk::Box(Gtk::Orientation::HORIZONTAL),
      shape_(Gtk::Orientation::HORIZONTAL, 10),
      stateColumn_(Gtk::Orientation::HORIZONTAL)
{
    add_css_class("project-row");
    add_css_class("normal");
    set_hexpand(true);

    // The margin around the shape belongs to this widget, so it counts for hover and clicks.
    shape_.add_css_class("project-row-shape");
    shape_.set_hexpand(true);
    shape_.set_margin_start(6);
    shape_.set_margin_end(6);
    append(shape_);

    stateColumn_.add_css_class("project-state");
    stateColumn_.set_size_request(20, -1);
    stateColumn_.set_valign(Gtk::Align::CENTER);
    stateOverlay_.set_halign(Gtk::Align::CENTER);
    stateOverlay_.set_valign(Gtk::Align::CENTER);
    folder_.add_css_class("project-folder");
    folder_.set_from_icon_name("tq-sidebar-folder-symbolic");
    stateOverlay_.set_child(folder_);
    // Halo and dot sit on the folder's upper right corner; CSS shifts them 3 px right and up.
    indicator_.add_css_class("project-indicator");
    indicator_.set_halign(Gtk::Align::END);
    indicator_.set_valign(Gtk::Align::START);
    indicator_.set_can_target(false);
    indicatorDot_.add_css_class("project-indicator-dot");
    indicator_.append(indicatorDot_);
    indicator_.set_visible(false);
    stateOverlay_.add_overlay(indicator_);
    stateColumn_.append(stateOverlay_);
    shape_.append(stateColumn_);

    nameLabel_.add_css_class("project-name");
    nameLabel_.set_xalign(0.0f);
    nameLabel_.set_hexpand(true);
    nameLabel_.set_single_line_mode(true);
    nameLabel_.set_ellipsize(Pango::EllipsizeMode::END);
    shape_.append(nameLabel_);

    pinMarker_.add_css_class("project-pin");
    pinMarker_.set_from_icon_name("view-pin-symbolic");
    pinMarker_.set_visible(false);
    shape_.append(pinMarker_);

    motion_ = Gtk::EventControllerMotion::create();
    motion_->signal_enter().connect([this](double, double) { pointerInside_.emit(true); });
    motion_->signal_motion().connect([this](double, double) {
        if (!isHovering_)
            pointerInside_.emit(true);
    });
    motion_->signal_leave().connect([this] { pointerInside_.emit(false); });
    add_controller(motion_);
}

void ProjectRow::setProject(const std::string& projectId, const std::string& name, ProjectState state)
{
    projectId_ = projectId;
    if (name != name_ || nameLabel_.get_text().empty()) {
        name_ = name;
        const auto shown = displayName(name);
        nameLabel_.set_text(shown);
        setAccessibleLabel(*this, shown);
    }
    if (state != state_ || !has_css_class(stateClasses[static_cast<int>(state)])) {
        setClass(stateClasses[static_cast<int>(state_)], false);
        state_ = state;
        setClass(stateClasses[static_cast<int>(state)], true);
        folder_.set_from_icon_name(state == ProjectState::pinned ? "tq-sidebar-folder-filled-symbolic" : "tq-sidebar-folder-symbolic");
        indicator_.set_visible(state == ProjectState::preparing || state == ProjectState::active);
        pinMarker_.set_visible(state == ProjectState::pinned);
        setAccessibleDescription(*this, accessibleDescription(state));
    }
}

void ProjectRow::setSelected(bool selected)
{
    isSelected_ = selected;
    setClass("selected", selected);
    gtk_accessible_update_state(GTK_ACCESSIBLE(gobj()), GTK_ACCESSIBLE_STATE_SELECTED, selected ? TRUE : FALSE, -1);
}

void ProjectRow::setHovering(bool hovering)
{
    isHovering_ = hovering;
    setClass("hovering", hovering);
}

void ProjectRow::setClass(const char* name, bool present)
{
    if (present)
        add_css_class(name);
    else
        remove_css_class(name);
}

} // namespace tq
