#pragma once

#include <gtkmm/widget.h>

#include <string>

namespace tq {

// What assistive technology reads for a widget (and what the end-to-end tests find it by).
inline void setAccessibleLabel(Gtk::Widget& widget, const std::string& label)
{
    gtk_accessible_update_property(GTK_ACCESSIBLE(widget.gobj()), GTK_ACCESSIBLE_PROPERTY_LABEL, label.c_str(), -1);
}

inline void setAccessibleDescription(Gtk::Widget& widget, const std::string& description)
{
    gtk_accessible_update_property(GTK_ACCESSIBLE(widget.gobj()), GTK_ACCESSIBLE_PROPERTY_DESCRIPTION,
                                   description.c_str(), -1);
}

} // namespace tq
