#include "app/tavoro_quelm_app.hpp"

#include <gtkmm/applicationwindow.h>

namespace tq {

TavoroQuelmApp::TavoroQuelmApp() : Gtk::Application("org.tavoroquelm.TavoroQuelm") {}

int TavoroQuelmApp::run(int argc, char* argv[])
{
    auto app = Glib::make_refptr_for_instance<TavoroQuelmApp>(new TavoroQuelmApp());
    return app->Gtk::Application::run(argc, argv);
}

void TavoroQuelmApp::on_startup()
{
    Gtk::Application::on_startup();
}

void TavoroQuelmApp::on_activate()
{
    auto* window = new Gtk::ApplicationWindow();
    window->set_default_size(1200, 800);
    add_window(*window);
    window->signal_hide().connect([window] { delete window; });
    window->present();
}

} // namespace tq
