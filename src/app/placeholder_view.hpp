#pragma once

#include <gtkmm/box.h>

namespace tq {

// "Select a project" under a large dim symbol, for a column with nothing to show.
class PlaceholderView : public Gtk::Box {
public:
    explicit PlaceholderView(const char* iconName);
};

} // namespace tq
