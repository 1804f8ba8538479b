#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tq {

// Looks a variable up in some environment; nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The complete environment a pane's shell starts with ("NAME=value" entries): the terminal's
// own settings, then the listed variables copied from `lookup` where they are set. Nothing
// else of the application's environment is passed on.
std::vector<std::string> shellEnvironment(const EnvironmentLookup& lookup);

// SHELL when set and not empty, else the account's login shell, else /bin/sh.
// `shellVariable` and `loginShell` may be nullptr.
std::string chooseShell(const char* shellVariable, const char* loginShell);

// chooseShell for this process: its SHELL and the password database entry of its user.
std::string userShell();

} // namespace tq
