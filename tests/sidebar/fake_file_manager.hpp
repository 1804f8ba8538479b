#pragma once

#include "support/main_loop.hpp"

#include <giomm/dbusconnection.h>
#include <giomm/dbusintrospection.h>
#include <giomm/dbusownname.h>
#include <giomm/init.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tq::test {

// A FileManager1 service on the session bus, recording the folders it was asked to show.
class FakeFileManager {
public:
    explicit FakeFileManager(std::string busName) : busName_(std::move(busName))
    {
        Gio::init();
        connection_ = Gio::DBus::Connection::get_sync(Gio::DBus::BusType::SESSION);
        auto node = Gio::DBus::NodeInfo::create_for_xml(
            "<node><interface name='org.freedesktop.FileManager1'>"
            "<method name='ShowFolders'><arg type='as' name='URIs' direction='in'/>"
            "<arg type='s' name='StartupId' direction='in'/></method>"
            "</interface></node>");
        registration_ = connection_->register_object("/org/freedesktop/FileManager1", node->lookup_interface(), vtable_);
        ownerId_ = Gio::DBus::own_name(
            Gio::DBus::BusType::SESSION, busName_, {},
            [this](const Glib::RefPtr<Gio::DBus::Connection>&, const Glib::ustring&) { owned_ = true; },
            [this](const Glib::RefPtr<Gio::DBus::Connection>&, const Glib::ustring&) { lost_ = true; },
            Gio::DBus::BusNameOwnerFlags::DO_NOT_QUEUE);
        runMainLoopUntil([this] { return owned_ || lost_; });
    }
    ~FakeFileManager()
    {
        Gio::DBus::unown_name(ownerId_);
        connection_->unregister_object(registration_);
    }
    FakeFileManager(const FakeFileManager&) = delete;
    FakeFileManager& operator=(const FakeFileManager&) = delete;

    // False when someone else holds the name.
    bool owned() const { return owned_ && !lost_; }
    const std::string& busName() const { return busName_; }
    const std::vector<Glib::ustring>& shownUris() const { return shownUris_; }

private:
    void showFolders(const Glib::RefPtr<Gio::DBus::Connection>&, const Glib::ustring&, const Glib::ustring&,
                     const Glib::ustring&, const Glib::ustring& method, const Glib::VariantContainerBase& parameters,
                     const Glib::RefPtr<Gio::DBus::MethodInvocation>& invocation)
    {
        EXPECT_EQ(method, "ShowFolders");
        Glib::Variant<std::vector<Glib::ustring>> uris;
        parameters.get_child(uris, 0);
        for (const auto& uri : uris.get())
            shownUris_.push_back(uri);
        invocation->return_value(Glib::VariantContainerBase());
    }

    std::string busName_;
    Glib::RefPtr<Gio::DBus::Connection> connection_;
    Gio::DBus::InterfaceVTable vtable_{sigc::mem_fun(*this, &FakeFileManager::showFolders)};
    guint registration_ = 0;
    guint ownerId_ = 0;
    bool owned_ = false;
    bool lost_ = false;
    std::vector<Glib::ustring> shownUris_;
};

} // namespace tq::test
