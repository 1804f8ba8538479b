#include "app/placeholder_view.hpp"

#include <gtkmm/image.h>
#include <gtkmm/label.h>

namespace tq {

PlaceholderView::PlaceholderView(const char* iconName) : Gtk::Box(Gtk::Orientation::VERTICAL)
{
    add_css_class("placeholder");
    set_hexpand(true);
    set_vexpand(true);

    auto* stack = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 12);
    stack->set_halign(Gtk::Align::CENTER);
    stack->set_valign(Gtk::Align::CENTER);
    stack->set_vexpand(true);
    auto* symbol = Gtk::make_managed<Gtk::Image>();
    symbol->set_from_icon_name(iconName);
    symbol->set_pixel_size(36);
    symbol->add_css_class("placeholder-symbol");
    auto* text = Gtk::make_managed<Gtk::Label>("Select a project");
    text->add_css_class("placeholder-text");
    stack->append(*symbol);
    stack->append(*text);
    append(*stack);
}

} // namespace tq
