#include "chrome/theme.hpp"

#include "tq_resources.h"

#include <adwaita.h>
#include <giomm/resource.h>
#include <gtkmm/icontheme.h>
#include <gtkmm/stylecontext.h>

#include <algorithm>
#include <mutex>

namespace tq {

namespace {

constexpr const char* dataKey = "tq-theme";

void registerResources()
{
    static std::once_flag once;
    std::call_once(once, [] { tq_resources_register_resource(); });
}

} // namespace

Theme& Theme::install(const Glib::RefPtr<Gdk::Display>& display)
{
    g_assert(display);
    GObject* object = G_OBJECT(display->gobj());
    if (auto* installed = static_cast<Theme*>(g_object_get_data(object, dataKey)))
        return *installed;
    auto* theme = new Theme(display);
    g_object_set_data_full(object, dataKey, theme, &Theme::destroy);
    return *theme;
}

Theme::Theme(const Glib::RefPtr<Gdk::Display>& display)
{
    registerResources();

    paletteProvider_ = Gtk::CssProvider::create();
    Gtk::StyleContext::add_provider_for_display(display, paletteProvider_, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    if (adw_is_initialized()) {
        styleManager_ = ADW_STYLE_MANAGER(g_object_ref(adw_style_manager_get_for_display(display->gobj())));
        darkHandler_ = g_signal_connect(styleManager_, "notify::dark", G_CALLBACK(&Theme::onDarkChanged), this);
    }
    applyAppearance();

    loadStylesheets(display);

    auto icons = Gtk::IconTheme::get_for_display(display);
    const std::string iconPath = std::string(resourcePrefix) + "/icons";
    const auto paths = icons->get_resource_path();
    if (std::find(paths.begin(), paths.end(), iconPath) == paths.end())
        icons->add_resource_path(iconPath);
}

Theme::~Theme()
{
    if (styleManager_) {
        g_signal_handler_disconnect(styleManager_, darkHandler_);
        g_object_unref(styleManager_);
    }
}

void Theme::destroy(void* theme) noexcept
{
    delete static_cast<Theme*>(theme);
}

void Theme::onDarkChanged(void*, void*, void* theme) noexcept
{
    try {
        static_cast<Theme*>(theme)->applyAppearance();
    } catch (...) {
        g_critical("Theme: could not apply the appearance");
    }
}

void Theme::applyAppearance()
{
    // Without libadwaita there is no known preference, which reads as light.
    appearance_ = styleManager_ ? (adw_style_manager_get_dark(styleManager_) ? Appearance::dark : Appearance::light)
                                : Appearance::unknown;
    paletteProvider_->load_from_data(paletteCss(appearance_));
}

void Theme::loadStylesheets(const Glib::RefPtr<Gdk::Display>& display)
{
    const std::string folder = std::string(resourcePrefix) + "/css/";
    std::vector<std::string> names;
    try {
        names = Gio::Resource::enumerate_children_global(folder);
    } catch (const Glib::Error&) {
        return; // nothing bundled
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        const std::string path = folder + name;
        auto provider = Gtk::CssProvider::create();
        provider->signal_parsing_error().connect(sigc::track_object(
            [this, path](const Glib::RefPtr<const Gtk::CssSection>& section, const Glib::Error& error) {
                const std::string line = path + ":" + std::to_string(section->get_start_location().get_lines() + 1)
                    + ": " + error.what();
                g_warning("%s", line.c_str());
                stylesheetErrors_.push_back(line);
            },
            *this));
        provider->load_from_resource(path);
        Gtk::StyleContext::add_provider_for_display(display, provider, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        stylesheetProviders_.push_back(provider);
        stylesheets_.push_back(path);
    }
}

} // namespace tq
