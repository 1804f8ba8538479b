#include "sidebar/sidebar_dialogs.hpp"

#include <adwaita.h>

namespace tq {

namespace {

// What a dialog's "response" handler needs; freed with the signal connection.
struct ResponseHandler {
    std::string affirmative;
    GtkEntry* entry = nullptr; // owned by the dialog
    sigc::slot<void()> onConfirm;
    sigc::slot<void(std::string)> onCreate;
};

void onResponse(AdwMessageDialog*, const char* response, gpointer data) noexcept
{
    auto* handler = static_cast<ResponseHandler*>(data);
    if (!response || handler->affirmative != response)
        return;
    try {
        if (handler->entry) {
            const char* text = gtk_editable_get_text(GTK_EDITABLE(handler->entry));
            handler->onCreate(text ? text : "");
        } else {
            handler->onConfirm();
        }
    } catch (...) {
        // Nothing may escape into GTK's signal emission.
    }
}

void freeHandler(gpointer data, GClosure*) noexcept
{
    delete static_cast<ResponseHandler*>(data);
}

AdwMessageDialog* newDialog(Gtk::Window* parent, const std::string& heading, const std::string& body)
{
    auto* widget = adw_message_dialog_new(parent ? parent->gobj() : nullptr, heading.c_str(), body.c_str());
    auto* dialog = ADW_MESSAGE_DIALOG(widget);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_destroy_with_parent(GTK_WINDOW(dialog), TRUE);
    return dialog;
}

void present(AdwMessageDialog* dialog, ResponseHandler* handler)
{
    if (handler)
        g_signal_connect_data(dialog, "response", G_CALLBACK(onResponse), handler, freeHandler, GConnectFlags(0));
    gtk_window_present(GTK_WINDOW(dialog));
}

} // namespace

void presentNewProjectDialog(Gtk::Window* parent, sigc::slot<void(std::string)> onCreate)
{
    auto* dialog = newDialog(parent, "New Project", "Enter the project name:");
    adw_message_dialog_add_response(dialog, createResponse, "Create");
    adw_message_dialog_add_response(dialog, cancelResponse, "Cancel");
    adw_message_dialog_set_response_appearance(dialog, createResponse, ADW_RESPONSE_SUGGESTED);
    adw_message_dialog_set_default_response(dialog, createResponse);
    adw_message_dialog_set_close_response(dialog, cancelResponse);

    auto* entry = gtk_entry_new();
    gtk_entry_set_placeholder_text(GTK_ENTRY(entry), "project-name");
    gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
    gtk_widget_set_size_request(entry, 250, -1);
    gtk_accessible_update_property(GTK_ACCESSIBLE(entry), GTK_ACCESSIBLE_PROPERTY_LABEL, "Project name", -1);
    adw_message_dialog_set_extra_child(dialog, entry);

    auto* handler = new ResponseHandler{createResponse, GTK_ENTRY(entry), {}, std::move(onCreate)};
    present(dialog, handler);
    gtk_widget_grab_focus(entry);
}

void presentDeleteConfirmation(Gtk::Window* parent, const std::string& projectName, sigc::slot<void()> onConfirm)
{
    auto* dialog = newDialog(parent, deleteConfirmationMessage(projectName),
                             "The project directory will be moved to Trash.");
    adw_message_dialog_add_response(dialog, moveToTrashResponse, "Move to Trash");
    adw_message_dialog_add_response(dialog, cancelResponse, "Cancel");
    adw_message_dialog_set_response_appearance(dialog, moveToTrashResponse, ADW_RESPONSE_DESTRUCTIVE);
    adw_message_dialog_set_default_response(dialog, moveToTrashResponse);
    adw_message_dialog_set_close_response(dialog, cancelResponse);

    auto* handler = new ResponseHandler{moveToTrashResponse, nullptr, std::move(onConfirm), {}};
    present(dialog, handler);
}

void presentFailureNotice(Gtk::Window* parent, const FailureNotice& notice)
{
    auto* dialog = newDialog(parent, notice.heading, notice.body);
    adw_message_dialog_add_response(dialog, okResponse, "OK");
    adw_message_dialog_set_default_response(dialog, okResponse);
    adw_message_dialog_set_close_response(dialog, okResponse);
    present(dialog, nullptr);
}

} // namespace tq
