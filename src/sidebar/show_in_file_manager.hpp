#pragma once

#include "projects/error.hpp"

#include <sigc++/sigc++.h>

#include <string>

namespace tq {

inline constexpr const char* fileManagerBusName = "org.freedesktop.FileManager1";

// Opens a folder in the user's file manager: asks the freedesktop FileManager1 service on the
// session bus to show it and, when that fails, launches the default handler of the folder's
// file URI. `done` runs once, with the error when both failed: from the main loop, or at once
// when the path cannot be turned into a file URI. A slot tied to an object that is gone by
// then does nothing. `busName` is for tests.
void showInFileManager(const std::string& folderPath, sigc::slot<void(MaybeError)> done,
                       const std::string& busName = fileManagerBusName);

} // namespace tq
