#include "app/main_layout.hpp"

#include "app/onboarding_view.hpp"
#include "app/placeholder_view.hpp"
#include "app/workspace_columns.hpp"
#include "chrome/status_bar_view.hpp"
#include "documents/right_panel_view.hpp"
#include "sidebar/project_list_view.hpp"
#include "terminals/terminal_container_view.hpp"
#include "terminals/vte_terminal_view_factory.hpp"

#include <glibmm/main.h>

namespace tq {

namespace {
constexpr const char* onboardingPage = "onboarding";
constexpr const char* workspacePage = "workspace";
constexpr const char* placeholderPage = "placeholder";
constexpr const char* contentPage = "content";
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

    projectManager_.rootDirectoryChanged().connect(sigc::mem_fun(*this, &MainLayout::showGateOrWorkspace));
    projectManager_.projectsChanged().connect(sigc::mem_fun(*this, &MainLayout::updateDocumentsColumn));
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
    while (auto* page = gate_.get_first_child())
        gate_.remove(*page);
}

void MainLayout::showGateOrWorkspace()
{
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

    auto* terminalColumn = Gtk::make_managed<Gtk::Stack>();
    terminalColumn->add_css_class("terminal-column");
    terminalPlaceholder_ = Gtk::make_managed<PlaceholderView>("utilities-terminal-symbolic");
    terminalColumn->add(*terminalPlaceholder_, placeholderPage);
    columns_->setCenter(*terminalColumn);

    auto* documentsColumn = Gtk::make_managed<Gtk::Stack>();
    documentsColumn->add_css_class("documents-column");
    documentsPlaceholder_ = Gtk::make_managed<PlaceholderView>("text-x-generic-symbolic");
    documentsColumn->add(*documentsPlaceholder_, placeholderPage);
    columns_->setDocuments(*documentsColumn);

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
    auto* column = dynamic_cast<Gtk::Stack*>(terminalPlaceholder_->get_parent());
    const auto& project = selection_.project();
    const auto projectId = selection_.projectId();
    if (terminalContainer_ && terminalContainerProjectId_ != projectId) {
        column->remove(*terminalContainer_);
        terminalContainer_ = nullptr;
        terminalContainerProjectId_.reset();
    }
    if (!project) {
        column->set_visible_child(placeholderPage);
        return;
    }
    if (!terminalContainer_) {
        sessionManager_.getOrCreateTree(*project);
        terminalContainer_ = Gtk::make_managed<TerminalContainerView>(sessionManager_, *projectId, project->path);
        terminalContainerProjectId_ = projectId;
        column->add(*terminalContainer_, contentPage);
    }
    column->set_visible_child(*terminalContainer_);
}

void MainLayout::updateDocumentsColumn()
{
    if (!workspace_)
        return;
    auto* column = dynamic_cast<Gtk::Stack*>(documentsPlaceholder_->get_parent());
    const auto projectId = selection_.projectId();
    if (!projectId) {
        // A later selection opens a fresh panel at its first tab.
        if (rightPanel_) {
            column->remove(*rightPanel_);
            rightPanel_ = nullptr;
        }
        column->set_visible_child(placeholderPage);
        return;
    }
    if (!rightPanel_) {
        rightPanel_ = Gtk::make_managed<RightPanelView>(projectManager_, *projectId);
        column->add(*rightPanel_, contentPage);
    } else {
        rightPanel_->setProjectId(*projectId);
    }
    // The panel shows the store's record; while the folder is gone there is nothing to show.
    if (controller_.selectedRecord())
        column->set_visible_child(*rightPanel_);
    else
        column->set_visible_child(placeholderPage);
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
