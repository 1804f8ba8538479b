// An empty GTK 4 window, optionally with a do-nothing 2-second timer: the baseline for the
// idle CPU measured by measure-idle.sh.
#include <glibmm/main.h>
#include <gtkmm/application.h>
#include <gtkmm/window.h>

#include <cstring>

int main(int argc, char* argv[])
{
    const bool withTimer = argc > 1 && std::strcmp(argv[1], "--timer") == 0;
    auto app = Gtk::Application::create("org.tavoroquelm.BareWindowProbe", Gio::Application::Flags::NON_UNIQUE);
    app->signal_activate().connect([&] {
        auto* window = new Gtk::Window();
        window->set_default_size(1200, 800);
        app->add_window(*window);
        window->present();
        if (withTimer)
            Glib::signal_timeout().connect_seconds([] { return true; }, 2);
    });
    return app->run(1, argv);
}
