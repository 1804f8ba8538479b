#include "app/main_window.hpp"

#include "app/main_layout.hpp"

#include <giomm/simpleaction.h>
#include <gtkmm/application.h>

namespace tq {

MainWindow::MainWindow(AppState& appState)
{
    set_title("Tavoro Quelm");
    set_default_size(defaultWidth, defaultHeight);
    set_show_menubar(true);

    layout_ = Gtk::make_managed<MainLayout>(appState, [this] {
        auto app = get_application();
        return app && app->get_active_window() == this;
    });
    set_child(*layout_);

    auto sidebarAction = Gio::SimpleAction::create_bool("show-sidebar", true);
    sidebarAction->signal_change_state().connect([this, action = sidebarAction.get()](const Glib::VariantBase& value) {
        const bool visible = Glib::VariantBase::cast_dynamic<Glib::Variant<bool>>(value).get();
        layout_->setSidebarVisible(visible);
        action->set_state(Glib::Variant<bool>::create(visible));
    });
    add_action(sidebarAction);
    auto documentsAction = Gio::SimpleAction::create_bool("show-documents", true);
    documentsAction->signal_change_state().connect(
        [this, action = documentsAction.get()](const Glib::VariantBase& value) {
            const bool visible = Glib::VariantBase::cast_dynamic<Glib::Variant<bool>>(value).get();
            layout_->setDocumentsVisible(visible);
            action->set_state(Glib::Variant<bool>::create(visible));
        });
    add_action(documentsAction);
}

MainWindow::~MainWindow()
{
    // The layout (and with it the terminals and their shells) goes with the window.
    unset_child();
}

} // namespace tq
