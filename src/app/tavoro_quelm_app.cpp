#include "app/tavoro_quelm_app.hpp"

#include "app/main_window.hpp"
#include "chrome/theme.hpp"

#include <adwaita.h>
#include <giomm/menu.h>
#include <gtk/gtk.h>

#include <cstdio>

namespace tq {

TavoroQuelmApp::TavoroQuelmApp() : Gtk::Application(applicationId) {}

int TavoroQuelmApp::run(int argc, char* argv[])
{
    if (!gtk_init_check()) {
        std::fprintf(stderr, "tavoro-quelm: no graphical display available (DISPLAY or WAYLAND_DISPLAY is "
                             "unset or cannot be opened); start it from a desktop session.\n");
        return 1;
    }
    auto app = Glib::make_refptr_for_instance<TavoroQuelmApp>(new TavoroQuelmApp());
    return app->Gtk::Application::run(argc, argv);
}

void TavoroQuelmApp::on_startup()
{
    Gtk::Application::on_startup();
    adw_init();
    Theme::install(Gdk::Display::get_default());
    addActions();
    buildMenuBar();
}

void TavoroQuelmApp::on_activate()
{
    if (auto* window = get_active_window()) {
        window->present();
        return;
    }
    openWindow();
}

MainWindow& TavoroQuelmApp::openWindow()
{
    auto* window = new MainWindow(appState_);
    add_window(*window);
    window->signal_hide().connect([window] { delete window; });
    window->present();
    return *window;
}

void TavoroQuelmApp::addActions()
{
    // Each command only writes its request; the active window carries it out.
    add_action("new-terminal", [this] { appState_.setNewTabAction(true); });
    add_action("split-horizontal", [this] { appState_.setSplitAction(SplitDirection::horizontal); });
    add_action("split-vertical", [this] { appState_.setSplitAction(SplitDirection::vertical); });
    add_action("close-pane", [this] { appState_.setClosePaneAction(true); });
    add_action("new-window", [this] { openWindow(); });
    add_action("quit", [this] {
        for (auto* window : get_windows())
            window->close();
    });

    // Plain Ctrl+T/D/W belong to the shell and the agents; ours add Shift.
    set_accel_for_action("app.new-terminal", "<Control><Shift>t");
    set_accel_for_action("app.split-horizontal", "<Control><Shift>d");
    set_accel_for_action("app.split-vertical", "<Control><Shift>e");
    set_accel_for_action("app.close-pane", "<Control><Shift>w");
    set_accel_for_action("app.new-window", "<Control><Shift>n");
    set_accel_for_action("app.quit", "<Control><Shift>q");
    set_accel_for_action("win.show-sidebar", "F9");
    set_accel_for_action("win.show-documents", "<Shift>F9");
}

void TavoroQuelmApp::buildMenuBar()
{
    auto menuBar = Gio::Menu::create();

    auto file = Gio::Menu::create();
    file->append("New Window", "app.new-window");
    auto quit = Gio::Menu::create();
    quit->append("Quit", "app.quit");
    file->append_section(quit);
    menuBar->append_submenu("File", file);

    auto view = Gio::Menu::create();
    view->append("Show Sidebar", "win.show-sidebar");
    view->append("Show Documents Panel", "win.show-documents");
    menuBar->append_submenu("View", view);

    auto terminal = Gio::Menu::create();
    auto commands = Gio::Menu::create();
    commands->append("New Terminal", "app.new-terminal");
    commands->append("Split Horizontally", "app.split-horizontal");
    commands->append("Split Vertically", "app.split-vertical");
    terminal->append_section(commands);
    auto close = Gio::Menu::create();
    close->append("Close Pane", "app.close-pane");
    terminal->append_section(close);
    menuBar->append_submenu("Terminal", terminal);

    set_menubar(menuBar);
}

} // namespace tq
