#include "app/main_layout.hpp"

#include "app/onboarding_view.hpp"
#include "app/placeholder_view.hpp"
#include "app/workspace_columns.hpp"
#include "chrome/status_bar_view.hpp"
#include "documents/right_panel_view.hpp"
#include "sidebar/project_list_view.hpp"
#include "terminals/terminal_container_view.hpp"
#include "terminals/terminal_pane_wrapper.hpp"
#include "terminals/vte_terminal_view_factory.hpp"

#include <glibmm/main.h>
#include <gtkmm/stack.h>

namespace tq {

namespace {

constexpr const char* onboardingPage = "onboarding";
constexpr const char* workspacePage = "workspace";

void showOnly(Gtk::Box& column, Gtk::Widget& widget)
{
    if (widget.get_parent() == &column && !widget.get_next_sibling() && !widget.get_prev_sibling())
        return;
    while (auto* child = column.get_first_child())
        column.remove(*child);
    column.append(widget);
}

} // namespace

MainLayout::MainLayout(AppState& appState, std::function<bool()> isActiveWindow)
    : Gtk::Box(Gtk::Orientation::VERTICAL), projectManager_(SettingsFile::atDefaultLocation()),
      terminalFactory_(std::make_unique<VteTerminalViewFactory>()), sessionManager_(*terminalFactory_),
      controller_(appState, projectManager_, sessionManager_, fileWatcher_, selection_, std::move(isActiveWindow))
{
    add_css_class("main-layout");
    gate_.set_hexpand(true);
    gate_.set_vexpand(true);
    append(gate_);

    // The root is published before it is stored; the list that follows comes after both.
    projectManager_.rootDirectoryChanged().connect(sigc::mem_fun(*this, &MainLayout::showGateOrWorkspace));
    projectManager_.projectsChanged().connect([this] {
        showGateOrWorkspace();
        updateDocumentsColumn();
    });
    selection_.changed().connect([this] {
        updateTerminalColumn();
        updateDocumentsColumn();
        updateStatusBar();
    });
    sessionManager_.projectTreesChanged().connect(sigc::mem_fun(*this, &MainLayout::updateStatusBar));
    fileWatcher_.lastChangeChanged().connect(sigc::mem_fun(*this, &MainLayout::updateStatusBar));
    controller_.ticked().connect(sigc::mem_fun(*this, &MainLayout::updateStatusBar));

    showGateOrWorkspace();
}

MainLayout::~MainLayout()
{
    controller_.workspaceDisappeared();
    // The views borrow the stores: take them down while the stores still exist.
    if (rightPanel_)
        rightPanel_->savePendingNow();
    while (auto* page = gate_.get_first_child())
        gate_.remove(*page);
    terminalContainer_.reset();
    rightPanel_.reset();
}

void MainLayout::showGateOrWorkspace()
{
    if (controller_.isWorkspaceShown())
        return; // there is no way back to onboarding
    if (!projectManager_.hasRootDirectory()) {
        if (!onboarding_) {
            onboarding_ = Gtk::make_managed<OnboardingView>(projectManager_);
            gate_.add(*onboarding_, onboardingPage);
        }
        gate_.set_visible_child(onboardingPage);
        return;
    }
    if (!workspace_)
        buildWorkspace();
    gate_.set_visible_child(workspacePage);
    if (onboarding_) {
        // This may run inside the onboarding view's own callback: let it return first.
        auto* onboarding = onboarding_;
        onboarding_ = nullptr;
        Glib::signal_idle().connect_once(sigc::track_object([this, onboarding] { gate_.remove(*onboarding); }, *this));
    }
    controller_.workspaceAppeared();
}

void MainLayout::buildWorkspace()
{
    workspace_ = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL);
    columns_ = Gtk::make_managed<WorkspaceColumns>();

    sidebar_ = Gtk::make_managed<ProjectListView>(projectManager_, sessionManager_, selection_);
    columns_->setSidebar(*sidebar_);

    terminalColumn_ = Gtk::make_managed<Gtk::Box>();
    terminalColumn_->add_css_class("terminal-column");
    terminalPlaceholder_ = std::make_unique<PlaceholderView>("utilities-terminal-symbolic");
    columns_->setCenter(*terminalColumn_);

    documentsColumn_ = Gtk::make_managed<Gtk::Box>();
    documentsColumn_->add_css_class("documents-column");
    documentsPlaceholder_ = std::make_unique<PlaceholderView>("text-x-generic-symbolic");
    columns_->setDocuments(*documentsColumn_);

    statusBar_ = Gtk::make_managed<StatusBarView>();

    workspace_->append(*columns_);
    workspace_->append(*statusBar_);
    gate_.add(*workspace_, workspacePage);

    updateTerminalColumn();
    updateDocumentsColumn();
    updateStatusBar();
}

void MainLayout::updateTerminalColumn()
{
    if (!workspace_)
        return;
    const auto& project = selection_.project();
    const auto projectId = selection_.projectId();
    if (!project) {
        showOnly(*terminalColumn_, *terminalPlaceholder_);
        terminalContainer_.reset();
        terminalContainerProjectId_.reset();
        return;
    }
    // Another project gets a container of its own; its terminals live on in the session manager.
    if (!terminalContainer_ || terminalContainerProjectId_ != projectId) {
        sessionManager_.getOrCreateTree(*project);
        auto container = std::make_unique<TerminalContainerView>(sessionManager_, *projectId, project->path);
        showOnly(*terminalColumn_, *container);
        terminalContainer_ = std::move(container);
        terminalContainerProjectId_ = projectId;
        // Ready to type: the keyboard goes to the focused pane when it is one of this project's
        // (always so on a project's first display). A pane of another project keeps the
        // outline, so the keyboard stays where it is rather than go where the outline is not.
        // Deferred: the click that selected the project is still giving the sidebar its focus.
        Glib::signal_idle().connect_once(sigc::track_object(
            [this] {
                const auto& focused = sessionManager_.focusedTerminalId();
                if (terminalContainer_ && focused)
                    if (auto* pane = terminalContainer_->pane(*focused))
                        pane->focusTerminal();
            },
            *this));
    }
}

void MainLayout::updateDocumentsColumn()
{
    if (!workspace_)
        return;
    const auto projectId = selection_.projectId();
    if (!projectId) {
        // A later selection opens a fresh panel at its first tab.
        showOnly(*documentsColumn_, *documentsPlaceholder_);
        rightPanel_.reset(); // a save it still had pending runs on its own
        return;
    }
    if (!rightPanel_)
        rightPanel_ = std::make_unique<RightPanelView>(projectManager_, *projectId);
    else
        rightPanel_->setProjectId(*projectId);
    // The panel shows the store's record; while the folder is gone there is nothing to show.
    if (controller_.selectedRecord())
        showOnly(*documentsColumn_, *rightPanel_);
    else
        showOnly(*documentsColumn_, *documentsPlaceholder_);
}

void MainLayout::updateStatusBar()
{
    if (!statusBar_)
        return;
    const auto& project = selection_.project();
    int panes = 0;
    if (project) {
        const auto& trees = sessionManager_.projectTrees();
        if (const auto tree = trees.find(project->id()); tree != trees.end())
            panes = paneCount(tree->second);
    }
    statusBar_->update(project ? std::optional<std::string>(project->name) : std::nullopt, panes,
                       fileWatcher_.lastChange());
}

bool MainLayout::isSidebarVisible() const
{
    return columns_ && columns_->isSidebarVisible();
}

bool MainLayout::isDocumentsVisible() const
{
    return columns_ && columns_->isDocumentsVisible();
}

void MainLayout::setSidebarVisible(bool visible)
{
    if (columns_)
        columns_->setSidebarVisible(visible);
}

void MainLayout::setDocumentsVisible(bool visible)
{
    if (columns_)
        columns_->setDocumentsVisible(visible);
}

} // namespace tq
