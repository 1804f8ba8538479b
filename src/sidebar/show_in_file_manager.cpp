#include "sidebar/show_in_file_manager.hpp"

#include <giomm/appinfo.h>
#include <giomm/asyncresult.h>
#include <giomm/dbusconnection.h>
#include <giomm/init.h>
#include <glibmm/convert.h>
#include <glibmm/variant.h>

#include <exception>
#include <vector>

namespace tq {

namespace {

void finish(const sigc::slot<void(MaybeError)>& done, MaybeError error) noexcept
{
    try {
        done(std::move(error));
    } catch (...) {
        // The caller's handler must not take the main loop down.
    }
}

void openWithDefaultHandler(const std::string& uri, const sigc::slot<void(MaybeError)>& done) noexcept
{
    try {
        Gio::AppInfo::launch_default_for_uri_async(uri, [done](Glib::RefPtr<Gio::AsyncResult>& result) {
            try {
                Gio::AppInfo::launch_default_for_uri_finish(result);
                finish(done, std::nullopt);
            } catch (const std::exception& error) {
                finish(done, Error{error.what()});
            }
        });
    } catch (const std::exception& error) {
        finish(done, Error{error.what()});
    }
}

void askFileManagerService(const std::string& uri, const std::string& busName,
                           const sigc::slot<void(MaybeError)>& done)
{
    Gio::DBus::Connection::get(Gio::DBus::BusType::SESSION, [uri, busName, done](Glib::RefPtr<Gio::AsyncResult>& result) {
        try {
            auto connection = Gio::DBus::Connection::get_finish(result);
            const std::vector<Glib::ustring> uris{uri};
            auto parameters = Glib::VariantContainerBase::create_tuple(
                {Glib::Variant<std::vector<Glib::ustring>>::create(uris), Glib::Variant<Glib::ustring>::create("")});
            connection->call(
                "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1", "ShowFolders", parameters,
                [connection, uri, done](Glib::RefPtr<Gio::AsyncResult>& callResult) {
                    try {
                        connection->call_finish(callResult);
                        finish(done, std::nullopt);
                    } catch (const std::exception&) {
                        openWithDefaultHandler(uri, done);
                    }
                },
                busName);
        } catch (const std::exception&) {
            // No session bus: go straight to the default handler.
            openWithDefaultHandler(uri, done);
        }
    });
}

} // namespace

void showInFileManager(const std::string& folderPath, sigc::slot<void(MaybeError)> done, const std::string& busName)
{
    Gio::init(); // idempotent; a program without gtkmm may not have done it yet
    std::string uri;
    try {
        uri = Glib::filename_to_uri(folderPath);
    } catch (const Glib::Error& error) {
        finish(done, Error{error.what()});
        return;
    }
    askFileManagerService(uri, busName, done);
}

} // namespace tq
