#include "terminals/shell_environment.hpp"

#include <gtest/gtest.h>

#include <map>

namespace tq {
namespace {

EnvironmentLookup lookupIn(const std::map<std::string, std::string>& environment)
{
    return [&environment](const char* name) -> const char* {
        const auto found = environment.find(name);
        return found == environment.end() ? nullptr : found->second.c_str();
    };
}

TEST(ShellEnvironment, PassesTheTerminalSettingsAndOnlyTheListedVariablesThatAreSet)
{
    const std::map<std::string, std::string> full { { "LOGNAME", "ana" }, { "USER", "ana" },
        { "DISPLAY", ":1" }, { "LC_TYPE", "UTF-8" }, { "HOME", "/home/ana" },
        { "PATH", "/home/ana/.local/bin:/usr/bin" }, { "WAYLAND_DISPLAY", "wayland-0" },
        { "XAUTHORITY", "/run/user/1000/xauth" }, { "XDG_RUNTIME_DIR", "/run/user/1000" },
        { "DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus" },
        { "SSH_AUTH_SOCK", "/run/user/1000/ssh" },
        // Never passed on.
        { "SHELL", "/bin/bash" }, { "LANG", "de_DE.UTF-8" }, { "TERM", "dumb" },
        { "LD_PRELOAD", "/tmp/evil.so" }, { "GTK_MODULES", "x" }, { "LC_ALL", "C" } };
    EXPECT_EQ(shellEnvironment(lookupIn(full)),
        (std::vector<std::string> { "TERM=xterm-256color", "COLORTERM=truecolor", "LANG=en_US.UTF-8",
            "LOGNAME=ana", "USER=ana", "DISPLAY=:1", "LC_TYPE=UTF-8", "HOME=/home/ana",
            "PATH=/home/ana/.local/bin:/usr/bin", "WAYLAND_DISPLAY=wayland-0",
            "XAUTHORITY=/run/user/1000/xauth", "XDG_RUNTIME_DIR=/run/user/1000",
            "DBUS_SESSION_BUS_ADDRESS=unix:path=/run/user/1000/bus", "SSH_AUTH_SOCK=/run/user/1000/ssh" }));

    const std::map<std::string, std::string> sparse { { "HOME", "/root" }, { "DISPLAY", "" },
        { "SHELL", "/bin/sh" } };
    EXPECT_EQ(shellEnvironment(lookupIn(sparse)),
        (std::vector<std::string> {
            "TERM=xterm-256color", "COLORTERM=truecolor", "LANG=en_US.UTF-8", "DISPLAY=", "HOME=/root" }));
}

TEST(ShellEnvironment, ShellIsShellVariableThenLoginShellThenBinSh)
{
    struct Case {
        const char* shellVariable;
        const char* loginShell;
        const char* chosen;
    };
    const Case cases[] {
        { "/usr/bin/fish", "/bin/bash", "/usr/bin/fish" },
        { nullptr, "/bin/bash", "/bin/bash" },
        { "", "/bin/bash", "/bin/bash" },
        { nullptr, "", "/bin/sh" },
        { nullptr, nullptr, "/bin/sh" },
        { "", "", "/bin/sh" },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.shellVariable ? row.shellVariable : "(unset)") + " / "
            + (row.loginShell ? row.loginShell : "(none)"));
        EXPECT_EQ(chooseShell(row.shellVariable, row.loginShell), row.chosen);
    }
}

} // namespace
} // namespace tq
