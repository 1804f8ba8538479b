#include "documents/right_panel_view.hpp"

#include "projects/project_manager.hpp"

namespace tq {

RightPanelView::RightPanelView(ProjectManager& projectManager, std::string projectId, RightPanelTab initialTab)
    : Gtk::Box(Gtk::Orientation::VERTICAL, 0)
    , projectManager_(projectManager)
    , editor_(projectManager, std::move(projectId))
    , selectedTab_(initialTab)
    , tabBar_(Gtk::Orientation::HORIZONTAL, 2)
    , divider_(Gtk::Orientation::HORIZONTAL)
    , requirementsView_(editor_)
{
    add_css_class("right-panel");

    tabBar_.add_css_class("right-panel-tabs");
    for (RightPanelTab tab : allRightPanelTabs) {
        Gtk::ToggleButton& button = tabButton(tab);
        // The label is also the button's accessible name.
        button.set_label(tabLabel(tab));
        button.add_css_class("panel-tab");
        button.set_valign(Gtk::Align::CENTER);
        if (tab != allRightPanelTabs.front())
            button.set_group(tabButton(allRightPanelTabs.front()));
        // In a group, pressing the open tab again leaves it as it is.
        button.signal_toggled().connect([this, tab] {
            if (tabButton(tab).get_active())
                selectTab(tab);
        });
        tabBar_.append(button);
    }
    append(tabBar_);

    divider_.add_css_class("panel-divider");
    append(divider_);

    progressLabel_.add_css_class("document-text");
    progressLabel_.add_css_class("progress-text");
    progressLabel_.set_selectable(true);
    progressLabel_.set_wrap(true);
    progressLabel_.set_wrap_mode(Pango::WrapMode::WORD_CHAR);
    progressLabel_.set_xalign(0);
    progressLabel_.set_yalign(0);
    progressLabel_.set_valign(Gtk::Align::START);
    progressScroller_.set_policy(Gtk::PolicyType::NEVER, Gtk::PolicyType::AUTOMATIC);
    progressScroller_.set_child(progressLabel_);

    content_.add(requirementsView_, textValue(RightPanelTab::requirements));
    content_.add(progressScroller_, textValue(RightPanelTab::progress));
    content_.set_vexpand(true);
    append(content_);

    projectManager_.projectsChanged().connect(sigc::mem_fun(*this, &RightPanelView::showProgress));
    tabButton(selectedTab_).set_active(true);
    content_.set_visible_child(textValue(selectedTab_));
    showProgress();
}

void RightPanelView::setProjectId(std::string id)
{
    editor_.setProjectId(std::move(id));
    showProgress();
}

void RightPanelView::selectTab(RightPanelTab tab)
{
    if (tab == selectedTab_)
        return;
    selectedTab_ = tab;
    // Leaving the Requirements tab ends edit mode; a pending save still runs.
    if (tab != RightPanelTab::requirements)
        editor_.finishEditing();
    tabButton(tab).set_active(true);
    content_.set_visible_child(textValue(tab));
}

void RightPanelView::showProgress()
{
    std::string progress;
    for (const Project& project : projectManager_.projects()) {
        if (project.id() == editor_.projectId()) {
            progress = project.progress;
            break;
        }
    }
    progressLabel_.set_text(progress.empty() ? emptyProgressText : progress);
    if (progress.empty())
        progressLabel_.add_css_class("placeholder");
    else
        progressLabel_.remove_css_class("placeholder");
}

} // namespace tq
