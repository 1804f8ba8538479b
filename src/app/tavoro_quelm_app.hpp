#pragma once

#include "app/app_state.hpp"

#include <gtkmm/application.h>

namespace tq {

class MainWindow;

// The application: one AppState for the process, the menus and their shortcuts, the windows.
// A second launch presents the open window.
class TavoroQuelmApp : public Gtk::Application {
public:
    static constexpr const char* applicationId = "org.tavoroquelm.TavoroQuelm";

    static int run(int argc, char* argv[]);

    AppState& appState() { return appState_; }
    MainWindow& openWindow();

protected:
    TavoroQuelmApp();
    void on_startup() override;
    void on_activate() override;

private:
    void addActions();
    void buildMenuBar();

    AppState appState_;
};

} // namespace tq
