#pragma once

#include "projects/file_watcher.hpp"

#include <gtkmm/box.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>

#include <optional>
#include <string>

namespace tq {

// The bar along the bottom of the window: the selected project's name, its pane count and,
// at the right end, the last changed document with how long ago it changed. A pure display:
// the main layout calls update() whenever one of the three values changes.
class StatusBarView : public Gtk::Box {
public:
    StatusBarView();

    // The relative time is taken now and not refreshed until the next update.
    void update(std::optional<std::string> projectName, int paneCount, std::optional<FileChangeEvent> lastChange);

private:
    Gtk::Box projectItem_;
    Gtk::Image projectSymbol_;
    Gtk::Label projectName_;
    Gtk::Box paneItem_;
    Gtk::Image paneSymbol_;
    Gtk::Label paneCount_;
    Gtk::Box spacer_;
    Gtk::Label changeText_;
};

} // namespace tq
