#pragma once

#include "chrome/palette.hpp"

#include <gdkmm/display.h>
#include <gtkmm/cssprovider.h>
#include <sigc++/trackable.h>

#include <string>
#include <vector>

struct _AdwStyleManager;

namespace tq {

// The application's look on one display: the palette published as CSS colour names that
// follow the system's light/dark preference (libadwaita's style manager), every bundled
// subsystem stylesheet, and the bundled symbolic icons registered with the icon theme.
class Theme : public sigc::trackable {
public:
    static constexpr const char* resourcePrefix = "/org/tavoroquelm/TavoroQuelm";

    // Installs the theme on `display` once (later calls return the installed one); it lives as
    // long as the display. Call after adw_init() and before the first window is shown.
    static Theme& install(const Glib::RefPtr<Gdk::Display>& display);

    Theme(const Theme&) = delete;
    Theme& operator=(const Theme&) = delete;

    // The appearance the palette is currently published for.
    Appearance appearance() const { return appearance_; }
    // Resource paths of the stylesheets loaded, in load order.
    const std::vector<std::string>& stylesheets() const { return stylesheets_; }
    // One line per problem the CSS parser reported in a bundled stylesheet.
    const std::vector<std::string>& stylesheetErrors() const { return stylesheetErrors_; }

private:
    explicit Theme(const Glib::RefPtr<Gdk::Display>& display);
    ~Theme();

    static void destroy(void* theme) noexcept;
    static void onDarkChanged(void* manager, void* property, void* theme) noexcept;
    void applyAppearance();
    void loadStylesheets(const Glib::RefPtr<Gdk::Display>& display);

    _AdwStyleManager* styleManager_ = nullptr;
    unsigned long darkHandler_ = 0;
    Appearance appearance_ = Appearance::unknown;
    Glib::RefPtr<Gtk::CssProvider> paletteProvider_;
    std::vector<Glib::RefPtr<Gtk::CssProvider>> stylesheetProviders_;
    std::vector<std::string> stylesheets_;
    std::vector<std::string> stylesheetErrors_;
};

} // namespace tq
