#include "sidebar/project_list_view.hpp"
#include "chrome/accessible_text.hpp"

#include "sidebar/project_ordering.hpp"
#include "sidebar/project_row.hpp"
#include "sidebar/show_in_file_manager.hpp"
#include "sidebar/sidebar_dialogs.hpp"
#include "sidebar/sidebar_texts.hpp"

#include <giomm/menu.h>
#include <giomm/simpleactiongroup.h>
#include <gtk/gtk.h>
#include <gtkmm/gestureclick.h>
#include <gtkmm/noselection.h>

#include <algorithm>

namespace tq {

namespace {

constexpr const char* actionGroupName = "sidebar";

// For handlers run by GLib's main loop, where an escaping exception would end the program.
template <typename Function>
void guarded(const Function& function) noexcept
{
    try {
        function();
    } catch (const std::exception& error) {
        g_warning("Project list: %s", error.what());
    } catch (...) {
        g_warning("Project list: unexpected exception");
    }
}

Glib::RefPtr<Gio::MenuItem> menuItem(const char* label, const char* action, const std::string& projectId)
{
    auto item = Gio::MenuItem::create(label, "");
    item->set_action_and_target(Glib::ustring(actionGroupName) + "." + action,
                                Glib::Variant<std::string>::create(projectId));
    return item;
}

std::string projectIdOf(const Glib::VariantBase& parameter)
{
    return Glib::VariantBase::cast_dynamic<Glib::Variant<std::string>>(parameter).get();
}

} // namespace

ProjectListView::ProjectListView(ProjectManager& projectManager, TerminalSessionManager& sessionManager,
                                 ProjectSelection& selectedProject)
    : Gtk::Box(Gtk::Orientation::VERTICAL),
      projectManager_(projectManager),
      sessionManager_(sessionManager),
      selectedProject_(selectedProject),
      items_(Gio::ListStore<ProjectListItem>::create()),
      factory_(Gtk::SignalListItemFactory::create()),
      header_(Gtk::Orientation::HORIZONTAL),
      brandFirst_("TAVORO"),
      brandSpace_(" "),
      brandSecond_("QUELM"),
      sectionBar_(Gtk::Orientation::HORIZONTAL, 8),
      sectionTitle_("PROJECTS")
{
    add_css_class("project-list-view");

    header_.add_css_class("sidebar-header");
    brandFirst_.add_css_class("brand-first");
    brandSpace_.add_css_class("brand-space");
    brandSecond_.add_css_class("brand-second");
    header_.append(brandFirst_);
    header_.append(brandSpace_);
    header_.append(brandSecond_);
    // One name for assistive technologies instead of three fragments.
    setAccessibleLabel(header_, "Tavoro Quelm");
    append(header_);

    sectionBar_.add_css_class("sidebar-section-bar");
    sectionTitle_.add_css_class("sidebar-section-title");
    sectionTitle_.set_xalign(0.0f);
    sectionTitle_.set_hexpand(true);
    sectionBar_.append(sectionTitle_);
    addButton_.add_css_class("add-project-button");
    addButton_.add_css_class("flat");
    addButton_.set_icon_name("list-add-symbolic");
    addButton_.set_tooltip_text("New Project");
    addButton_.set_valign(Gtk::Align::CENTER);
    setAccessibleLabel(addButton_, "New Project");
    addButton_.set_action_name(Glib::ustring(actionGroupName) + ".new-project");
    sectionBar_.append(addButton_);
    append(sectionBar_);

    divider_.add_css_class("sidebar-divider");
    append(divider_);

    factory_->signal_setup().connect(sigc::mem_fun(*this, &ProjectListView::setUpRow));
    factory_->signal_bind().connect(sigc::mem_fun(*this, &ProjectListView::bindRow));
    factory_->signal_unbind().connect(sigc::mem_fun(*this, &ProjectListView::unbindRow));
    list_.set_model(Gtk::NoSelection::create(items_));
    list_.set_factory(factory_);
    list_.add_css_class("project-list");
    // Return on a focused row selects it, like a click.
    list_.signal_activate().connect([this](guint position) {
        guarded([&] {
            if (position < shownEntries_.size())
                select(shownEntries_[position].projectId);
        });
    });
    scroller_.add_css_class("project-list-scroller");
    scroller_.set_policy(Gtk::PolicyType::NEVER, Gtk::PolicyType::AUTOMATIC);
    scroller_.set_vexpand(true);
    scroller_.set_child(list_);
    append(scroller_);

    contextMenu_.set_parent(*this);
    contextMenu_.set_has_arrow(false);
    contextMenu_.set_halign(Gtk::Align::START);

    addActions();

    projectManager_.projectsChanged().connect(sigc::mem_fun(*this, &ProjectListView::onStoresChanged));
    projectManager_.pinnedProjectIdsChanged().connect(sigc::mem_fun(*this, &ProjectListView::onStoresChanged));
    projectManager_.preparingProjectIdsChanged().connect(sigc::mem_fun(*this, &ProjectListView::onStoresChanged));
    sessionManager_.activeProjectIdsChanged().connect(sigc::mem_fun(*this, &ProjectListView::onStoresChanged));
    selectedProject_.changed().connect(sigc::mem_fun(*this, &ProjectListView::refreshRowLooks));
    rebuild();
}

ProjectListView::~ProjectListView()
{
    // Rows may still report pointer crossings while the list is torn down.
    destroying_ = true;
    boundRows_.clear();
    contextMenu_.unparent();
}

void ProjectListView::addActions()
{
    auto group = Gio::SimpleActionGroup::create();
    group->add_action("new-project", [this] { guarded([&] { showNewProjectDialog(); }); });
    const Glib::VariantType idType = Glib::Variant<std::string>::variant_type();
    group->add_action_with_parameter("toggle-pin", idType, [this](const Glib::VariantBase& parameter) {
        guarded([&] { projectManager_.togglePin(projectIdOf(parameter)); });
    });
    group->add_action_with_parameter("show-in-file-manager", idType, [this](const Glib::VariantBase& parameter) {
        guarded([&] { showInFileManager(projectIdOf(parameter)); });
    });
    group->add_action_with_parameter("delete", idType, [this](const Glib::VariantBase& parameter) {
        guarded([&] {
            if (const auto* project = findProject(projectIdOf(parameter)))
                confirmDelete(*project);
        });
    });
    insert_action_group(actionGroupName, group);
}

void ProjectListView::onStoresChanged()
{
    guarded([this] { rebuild(); });
}

void ProjectListView::rebuild()
{
    const auto listed = sortedProjects(projectManager_.projects(), projectManager_.pinnedProjectIds(),
                                       projectManager_.preparingProjectIds(), sessionManager_.activeProjectIds(),
                                       sessionManager_.activationTimes());
    std::vector<Entry> next;
    next.reserve(listed.size());
    for (const auto& entry : listed)
        next.push_back({entry.project->id(), entry.project->name, entry.state});

    // Replace only the changed middle of the list, so unchanged rows and the scroll position stay.
    const auto same = [](const Entry& a, const Entry& b) {
        return a.projectId == b.projectId && a.name == b.name && a.state == b.state;
    };
    const std::size_t oldCount = shownEntries_.size();
    const std::size_t newCount = next.size();
    std::size_t prefix = 0;
    while (prefix < oldCount && prefix < newCount && same(shownEntries_[prefix], next[prefix]))
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < oldCount - prefix && suffix < newCount - prefix &&
           same(shownEntries_[oldCount - 1 - suffix], next[newCount - 1 - suffix]))
        ++suffix;

    if (prefix + suffix < oldCount || prefix + suffix < newCount) {
        std::vector<Glib::RefPtr<ProjectListItem>> additions;
        additions.reserve(newCount - prefix - suffix);
        for (std::size_t i = prefix; i < newCount - suffix; ++i)
            additions.push_back(ProjectListItem::create(next[i].projectId, next[i].name, next[i].state));
        shownEntries_ = std::move(next);
        if (hoveredProjectId_ && std::none_of(shownEntries_.begin(), shownEntries_.end(), [&](const Entry& entry) {
                return entry.projectId == *hoveredProjectId_;
            }))
            hoveredProjectId_.reset();
        items_->splice(static_cast<guint>(prefix), static_cast<guint>(oldCount - prefix - suffix), additions);
    }
    refreshRowLooks();
}

void ProjectListView::refreshRowLooks()
{
    if (destroying_)
        return;
    const auto selectedId = selectedProject_.projectId();
    for (auto* row : boundRows_) {
        row->setSelected(selectedId && *selectedId == row->projectId());
        row->setHovering(hoveredProjectId_ && *hoveredProjectId_ == row->projectId());
    }
}

void ProjectListView::setUpRow(const Glib::RefPtr<Gtk::ListItem>& listItem)
{
    auto* row = Gtk::make_managed<ProjectRow>();
    listItem->set_child(*row);
    listItem->set_activatable(true);

    row->pointerInside().connect([this, row](bool inside) { onPointerInside(*row, inside); });

    // A primary click anywhere in the row (its margins included) selects; a secondary click opens
    // the context menu.
    auto selectClick = Gtk::GestureClick::create();
    selectClick->set_button(GDK_BUTTON_PRIMARY);
    selectClick->signal_pressed().connect([this, row](int, double, double) {
        if (!destroying_ && !row->projectId().empty())
            guarded([&] { select(row->projectId()); });
    });
    row->add_controller(selectClick);

    auto menuClick = Gtk::GestureClick::create();
    menuClick->set_button(GDK_BUTTON_SECONDARY);
    auto* menuGesture = menuClick.get();
    menuClick->signal_pressed().connect([this, row, menuGesture](int, double x, double y) {
        if (destroying_ || row->projectId().empty())
            return;
        menuGesture->set_state(Gtk::EventSequenceState::CLAIMED);
        guarded([&] { openContextMenu(*row, x, y); });
    });
    row->add_controller(menuClick);
}

void ProjectListView::bindRow(const Glib::RefPtr<Gtk::ListItem>& listItem)
{
    auto* row = dynamic_cast<ProjectRow*>(listItem->get_child());
    auto item = std::dynamic_pointer_cast<ProjectListItem>(listItem->get_item());
    if (!row || !item)
        return;
    row->setProject(item->projectId(), item->name(), item->state());
    const auto selectedId = selectedProject_.projectId();
    row->setSelected(selectedId && *selectedId == item->projectId());
    row->setHovering(hoveredProjectId_ && *hoveredProjectId_ == item->projectId());
    boundRows_.insert(row);
}

void ProjectListView::unbindRow(const Glib::RefPtr<Gtk::ListItem>& listItem)
{
    if (auto* row = dynamic_cast<ProjectRow*>(listItem->get_child())) {
        boundRows_.erase(row);
        row->clearProject();
    }
}

void ProjectListView::onPointerInside(const ProjectRow& row, bool inside)
{
    if (destroying_ || row.projectId().empty())
        return;
    // A row taken off the screen under the pointer reports a leave; the hover stays with the
    // project, whose new row takes its place.
    if (!inside && !row.get_mapped())
        return;
    if (inside)
        hoveredProjectId_ = row.projectId();
    else if (hoveredProjectId_ == row.projectId())
        hoveredProjectId_.reset();
    else
        return;
    refreshRowLooks();
}

void ProjectListView::openContextMenu(ProjectRow& row, double x, double y)
{
    const auto& id = row.projectId();
    auto main = Gio::Menu::create();
    main->append_item(menuItem(pinMenuLabel(row.state()), "toggle-pin", id));
    main->append_item(menuItem("Show in File Manager", "show-in-file-manager", id));
    auto destructive = Gio::Menu::create();
    destructive->append_item(menuItem("Delete", "delete", id));
    auto menu = Gio::Menu::create();
    menu->append_section(main);
    menu->append_section(destructive);
    contextMenu_.set_menu_model(menu);

    double viewX = x;
    double viewY = y;
    row.translate_coordinates(*this, x, y, viewX, viewY);
    contextMenu_.set_pointing_to(Gdk::Rectangle(static_cast<int>(viewX), static_cast<int>(viewY), 1, 1));
    contextMenu_.popup();
}

void ProjectListView::select(const std::string& projectId)
{
    if (const auto* project = findProject(projectId))
        selectedProject_.set(*project);
}

const Project* ProjectListView::findProject(const std::string& projectId) const
{
    for (const auto& project : projectManager_.projects()) {
        if (project.id() == projectId)
            return &project;
    }
    return nullptr;
}

void ProjectListView::showNewProjectDialog()
{
    presentNewProjectDialog(window(), sigc::track_object([this](std::string typed) { createRequested(typed); }, *this));
}

void ProjectListView::createRequested(const std::string& typed)
{
    const auto name = newProjectName(typed);
    if (!name)
        return;
    // The new project shows up when the store publishes its reloaded list; it is not selected.
    if (auto error = projectManager_.createProject(*name))
        presentFailureNotice(window(), createProjectFailure(*name, *error));
}

void ProjectListView::confirmDelete(const Project& project)
{
    presentDeleteConfirmation(window(), project.name,
                              sigc::track_object([this, id = project.id(), name = project.name] {
                                  deleteConfirmed(id, name);
                              }, *this));
}

void ProjectListView::deleteConfirmed(const std::string& projectId, const std::string& name)
{
    const auto error = projectManager_.deleteProject(name);
    // Whether or not the folder went to the Trash, a deleted selection is cleared.
    if (selectedProject_.projectId() == projectId)
        selectedProject_.set(std::nullopt);
    if (error)
        presentFailureNotice(window(), deleteProjectFailure(name, *error));
}

void ProjectListView::showInFileManager(const std::string& projectId)
{
    const auto* project = findProject(projectId);
    if (!project)
        return;
    tq::showInFileManager(project->path, sigc::track_object([this, path = project->path](MaybeError error) {
        if (error)
            presentFailureNotice(window(), showFolderFailure(path, *error));
    }, *this));
}

Gtk::Window* ProjectListView::window()
{
    return dynamic_cast<Gtk::Window*>(get_root());
}

} // namespace tq
