#include "terminals/shell_environment.hpp"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

namespace tq {

namespace {

constexpr std::array copiedVariables {
    "LOGNAME",
    "USER",
    "DISPLAY",
    "LC_TYPE",
    "HOME",
    // Without PATH bash falls back to a built-in search path ending in ".", so a program in the
    // project folder could shadow a command; tools in the user's own bin folders would be missed.
    "PATH",
    // What programs started from the shell need to reach the user's session (an agent opening
    // the browser to log in, git over ssh).
    "WAYLAND_DISPLAY",
    "XAUTHORITY",
    "XDG_RUNTIME_DIR",
    "DBUS_SESSION_BUS_ADDRESS",
    "SSH_AUTH_SOCK",
};

bool isSetAndNotEmpty(const char* value)
{
    return value && *value;
}

} // namespace

std::vector<std::string> shellEnvironment(const EnvironmentLookup& lookup)
{
    std::vector<std::string> environment {
        "TERM=xterm-256color",
        "COLORTERM=truecolor",
        "LANG=en_US.UTF-8",
    };
    for (const char* name : copiedVariables) {
        if (const char* value = lookup(name))
            environment.push_back(std::string(name) + "=" + value);
    }
    return environment;
}

std::string chooseShell(const char* shellVariable, const char* loginShell)
{
    if (isSetAndNotEmpty(shellVariable))
        return shellVariable;
    if (isSetAndNotEmpty(loginShell))
        return loginShell;
    return "/bin/sh";
}

std::string userShell()
{
    std::string loginShell;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found
        && found->pw_shell)
        loginShell = found->pw_shell;
    return chooseShell(std::getenv("SHELL"), loginShell.c_str());
}

} // namespace tq
