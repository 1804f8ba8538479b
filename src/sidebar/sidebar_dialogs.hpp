#pragma once

#include "sidebar/sidebar_texts.hpp"

#include <gtkmm/window.h>
#include <sigc++/sigc++.h>

#include <string>

namespace tq {

// The sidebar's modal alerts (libadwaita message dialogs, affirmative response first). Each
// dialog lives for one run and closes itself after its response. A slot tied to an object that
// is gone by then does nothing.

// Response ids, for tests that answer the dialogs.
inline constexpr const char* createResponse = "create";
inline constexpr const char* moveToTrashResponse = "move-to-trash";
inline constexpr const char* cancelResponse = "cancel";
inline constexpr const char* okResponse = "ok";

// "New Project": a name entry; `onCreate` gets the text as typed when Create (or Return) is chosen.
void presentNewProjectDialog(Gtk::Window* parent, sigc::slot<void(std::string)> onCreate);

// Delete "NAME"?; `onConfirm` runs when Move to Trash is chosen.
void presentDeleteConfirmation(Gtk::Window* parent, const std::string& projectName, sigc::slot<void()> onConfirm);

// Tells the user what did not happen and why.
void presentFailureNotice(Gtk::Window* parent, const FailureNotice& notice);

} // namespace tq
