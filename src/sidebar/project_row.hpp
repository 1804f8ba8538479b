#pragma once

#include "sidebar/project_state.hpp"

#include <gtkmm/box.h>
#include <gtkmm/eventcontrollermotion.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>
#include <gtkmm/overlay.h>

#include <string>

namespace tq {

// One project in the sidebar: the state's folder symbol with its indicator dot, the name on
// one line and, when pinned, a pin marker. The whole widget (the highlighted shape and the
// 6 px margin around it) is the pointer target. It performs no action itself: the list
// attaches clicks and the context menu.
//
// CSS: .project-row with one of .pinned/.preparing/.active/.normal, plus .selected and
// .hovering; the highlighted shape inside is .project-row-shape.
class ProjectRow : public Gtk::Box {
public:
    ProjectRow();

    void setProject(const std::string& projectId, const std::string& name, ProjectState state);
    // The row no longer shows a project (the list took it back); pointer reports stop counting.
    void clearProject() { projectId_.clear(); }
    void setSelected(bool selected);
    void setHovering(bool hovering);

    const std::string& projectId() const { return projectId_; }
    const std::string& name() const { return name_; }
    ProjectState state() const { return state_; }
    bool isSelected() const { return isSelected_; }
    bool isHovering() const { return isHovering_; }

    // The pointer entered the row or moved inside it (true), or left it (false).
    sigc::signal<void(bool)>& pointerInside() { return pointerInside_; }

private:
    void setClass(const char* name, bool present);

    std::string projectId_;
    std::string name_;
    ProjectState state_ = ProjectState::normal;
    bool isSelected_ = false;
    bool isHovering_ = false;

    Gtk::Box shape_;
    Gtk::Box stateColumn_;
    Gtk::Overlay stateOverlay_;
    Gtk::Image folder_;
    Gtk::Box indicator_;
    Gtk::Box indicatorDot_;
    Gtk::Label nameLabel_;
    Gtk::Image pinMarker_;
    Glib::RefPtr<Gtk::EventControllerMotion> motion_;
    sigc::signal<void(bool)> pointerInside_;
};

} // namespace tq
