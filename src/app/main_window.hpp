#pragma once

#include "app/app_state.hpp"

#include <gtkmm/applicationwindow.h>

namespace tq {

class MainLayout;

// One window: its own main layout, stores and selection; the app state is shared.
class MainWindow : public Gtk::ApplicationWindow {
public:
    static constexpr int defaultWidth = 1200;
    static constexpr int defaultHeight = 800;

    explicit MainWindow(AppState& appState);
    ~MainWindow() override;

    MainLayout& layout() { return *layout_; }

private:
    MainLayout* layout_;
};

} // namespace tq
