#pragma once

#include "app/app_state.hpp"

#include <gtkmm/application.h>

namespace tq {

// The application: one AppState for the process, the Terminal menu and its windows.
class TavoroQuelmApp : public Gtk::Application {
public:
    static int run(int argc, char* argv[]);

    AppState& appState() { return appState_; }

protected:
    TavoroQuelmApp();
    void on_startup() override;
    void on_activate() override;

private:
    AppState appState_;
};

} // namespace tq
