#include "sidebar_fixture.hpp"

#include "chrome/theme.hpp"
#include "support/main_loop.hpp"
#include "terminals/split_node.hpp"

#include <gtk/gtk.h>

#include <algorithm>
#include <functional>

namespace tq::test {

SidebarFixture::SidebarFixture()
    : root_(home_ / "projects"), settingsPath_(home_ / "config/tavoro-quelm/settings.ini")
{
    makeDirectories(root_);
    Theme::install(Gdk::Display::get_default());
    projectManager_ = std::make_unique<ProjectManager>(SettingsFile(settingsPath_), root_);
    sessionManager_ = std::make_unique<TerminalSessionManager>(
        factory_, [this](int processId) { return busyProcessIds_.contains(processId); });
    window_ = std::make_unique<Gtk::Window>();
    window_->set_default_size(260, 600);
    view_ = Gtk::make_managed<ProjectListView>(*projectManager_, *sessionManager_, selection_);
    window_->set_child(*view_);
    window_->present();
    EXPECT_TRUE(runMainLoopUntil([this] { return view_->get_mapped() && view_->get_width() > 0; }));
}

SidebarFixture::~SidebarFixture()
{
    for (auto* dialog : openDialogs())
        gtk_window_destroy(GTK_WINDOW(dialog));
    window_.reset();
    runMainLoopFor(std::chrono::milliseconds(20));
}

void SidebarFixture::addFolders(const std::vector<std::string>& names)
{
    for (const auto& name : names)
        makeDirectories(root_ + "/" + name);
    projectManager_->loadProjects();
}

void SidebarFixture::makeActive(const std::string& name)
{
    const auto tree = sessionManager_->getOrCreateTree(project(name));
    const auto view = sessionManager_->getOrCreateTerminalView(allTerminalIds(tree).front(), root_ + "/" + name);
    busyProcessIds_.insert(view->shellProcessId());
    sessionManager_->refreshActiveProjects();
}

const Project& SidebarFixture::project(const std::string& name) const
{
    for (const auto& project : projectManager_->projects()) {
        if (project.name == name)
            return project;
    }
    throw std::runtime_error("no project named " + name);
}

namespace {

void collectRows(Gtk::Widget& widget, std::vector<ProjectRow*>& found)
{
    if (auto* row = dynamic_cast<ProjectRow*>(&widget)) {
        // Rows the list has not laid out yet are not on screen.
        if (row->get_mapped() && row->get_height() > 0)
            found.push_back(row);
        return;
    }
    for (auto* child = widget.get_first_child(); child; child = child->get_next_sibling())
        collectRows(*child, found);
}

} // namespace

std::vector<ProjectRow*> SidebarFixture::rows()
{
    std::vector<ProjectRow*> found;
    collectRows(*view_, found);
    const auto top = [this](ProjectRow* row) {
        double x = 0;
        double y = 0;
        row->translate_coordinates(*view_, 0, 0, x, y);
        return y;
    };
    std::stable_sort(found.begin(), found.end(), [&](ProjectRow* a, ProjectRow* b) { return top(a) < top(b); });
    return found;
}

std::vector<std::string> SidebarFixture::rowNames()
{
    std::vector<std::string> names;
    for (auto* row : rows())
        names.push_back(row->name());
    return names;
}

ProjectRow* SidebarFixture::row(const std::string& name)
{
    for (auto* row : rows()) {
        if (row->name() == name)
            return row;
    }
    return nullptr;
}

bool SidebarFixture::rowHasClass(const std::string& name, const char* cssClass)
{
    auto* shown = row(name);
    return shown && shown->has_css_class(cssClass);
}

bool SidebarFixture::waitForRowNames(const std::vector<std::string>& expected)
{
    const bool matched = runMainLoopUntil([&] { return rowNames() == expected; });
    if (!matched)
        ADD_FAILURE() << "rows stayed " << ::testing::PrintToString(rowNames()) << ", expected "
                      << ::testing::PrintToString(expected);
    return matched;
}

Gtk::Widget* SidebarFixture::pickAt(Gtk::Widget& widget, double x, double y)
{
    double windowX = 0;
    double windowY = 0;
    if (!widget.translate_coordinates(*window_, x, y, windowX, windowY))
        return nullptr;
    return window_->pick(windowX, windowY);
}

namespace {

GObject* controllerOf(Gtk::Widget& widget, GType type, const std::function<bool(GObject*)>& wanted = {})
{
    auto controllers = widget.observe_controllers();
    for (guint i = 0; i < controllers->get_n_items(); ++i) {
        auto* object = static_cast<GObject*>(g_list_model_get_item(controllers->gobj(), i));
        g_object_unref(object); // the widget keeps it
        if (G_TYPE_CHECK_INSTANCE_TYPE(object, type) && (!wanted || wanted(object)))
            return object;
    }
    return nullptr;
}

ProjectRow* enclosingRow(Gtk::Widget* widget)
{
    while (widget && !dynamic_cast<ProjectRow*>(widget))
        widget = widget->get_parent();
    return dynamic_cast<ProjectRow*>(widget);
}

} // namespace

ProjectRow* SidebarFixture::pointerAt(Gtk::Widget& widget, double x, double y)
{
    if (!runMainLoopUntil([&] { return widget.get_mapped() && widget.get_height() > 0; })) {
        ADD_FAILURE() << "the widget is not on screen";
        return nullptr;
    }
    // The row GTK would deliver pointer events at that point to, and the crossing it would report.
    auto* target = enclosingRow(pickAt(widget, x, y));
    if (target != rowUnderPointer_) {
        const auto shown = rows();
        if (rowUnderPointer_ && std::find(shown.begin(), shown.end(), rowUnderPointer_) != shown.end()) {
            if (auto* motion = controllerOf(*rowUnderPointer_, GTK_TYPE_EVENT_CONTROLLER_MOTION))
                g_signal_emit_by_name(motion, "leave");
        }
        if (target) {
            if (auto* motion = controllerOf(*target, GTK_TYPE_EVENT_CONTROLLER_MOTION))
                g_signal_emit_by_name(motion, "enter", x, y);
        }
        rowUnderPointer_ = target;
    }
    runMainLoopFor(std::chrono::milliseconds(10));
    return target;
}

void SidebarFixture::clickAt(Gtk::Widget& widget, double x, double y, unsigned button)
{
    auto* target = pointerAt(widget, x, y);
    ASSERT_NE(target, nullptr) << "no row at that point";
    auto* gesture = controllerOf(*target, GTK_TYPE_GESTURE_CLICK, [button](GObject* click) {
        return gtk_gesture_single_get_button(GTK_GESTURE_SINGLE(click)) == button;
    });
    ASSERT_NE(gesture, nullptr) << "the row takes no clicks of button " << button;
    g_signal_emit_by_name(gesture, "pressed", 1, x, y);
    g_signal_emit_by_name(gesture, "released", 1, x, y);
}

std::vector<AdwMessageDialog*> SidebarFixture::openDialogs()
{
    std::vector<AdwMessageDialog*> dialogs;
    auto* toplevels = gtk_window_get_toplevels();
    for (guint i = 0; i < g_list_model_get_n_items(toplevels); ++i) {
        auto* object = static_cast<GObject*>(g_list_model_get_item(toplevels, i));
        if (ADW_IS_MESSAGE_DIALOG(object) && gtk_widget_get_visible(GTK_WIDGET(object)))
            dialogs.push_back(ADW_MESSAGE_DIALOG(object));
        g_object_unref(object);
    }
    return dialogs;
}

AdwMessageDialog* SidebarFixture::waitForDialog(const std::string& heading)
{
    AdwMessageDialog* found = nullptr;
    runMainLoopUntil([&] {
        for (auto* dialog : openDialogs()) {
            if (heading == adw_message_dialog_get_heading(dialog))
                found = dialog;
        }
        return found != nullptr;
    });
    return found;
}

void SidebarFixture::choose(AdwMessageDialog* dialog, const std::string& label)
{
    // The response buttons are the dialog's only buttons; a click closes the dialog and responds.
    std::vector<GtkWidget*> pending{GTK_WIDGET(dialog)};
    while (!pending.empty()) {
        auto* widget = pending.back();
        pending.pop_back();
        if (GTK_IS_BUTTON(widget) && gtk_button_get_label(GTK_BUTTON(widget)) &&
            label == gtk_button_get_label(GTK_BUTTON(widget))) {
            g_signal_emit_by_name(widget, "clicked");
            return;
        }
        for (auto* child = gtk_widget_get_first_child(widget); child; child = gtk_widget_get_next_sibling(child))
            pending.push_back(child);
    }
    ADD_FAILURE() << "the dialog has no button " << label;
}

bool SidebarFixture::activate(const char* action, const std::string& projectId)
{
    return view_->activate_action(std::string("sidebar.") + action, Glib::Variant<std::string>::create(projectId));
}

std::vector<std::string> SidebarFixture::pinnedIdsOnDisk() const
{
    auto ids = SettingsFile(settingsPath_).readStringList(SettingsFile::pinnedProjectIdsKey).value_or(
        std::vector<std::string>{});
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace tq::test
