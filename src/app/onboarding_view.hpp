#pragma once

#include "projects/project_manager.hpp"

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/filechoosernative.h>
#include <gtkmm/label.h>

namespace tq {

// Shown in place of the workspace until a projects root folder has been chosen.
class OnboardingView : public Gtk::Box {
public:
    explicit OnboardingView(ProjectManager& projectManager);
    ~OnboardingView() override;

private:
    enum class Choice { existingFolder, parentOfNewFolder };
    void chooseFolder(Choice choice);
    void onChooserResponse(int response, Choice choice);

    ProjectManager& projectManager_;
    Gtk::Button selectExistingButton_;
    Gtk::Button createNewButton_;
    Glib::RefPtr<Gtk::FileChooserNative> chooser_;
};

} // namespace tq
