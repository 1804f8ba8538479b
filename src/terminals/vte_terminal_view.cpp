#include "terminals/vte_terminal_view.hpp"

#include "chrome/palette.hpp"

#include <glib.h>
#include <unistd.h>
#include <vte/vte.h>

namespace tq {

// Shared with the asynchronous spawn callback, which may run after the view is gone.
struct VteTerminalView::SpawnState {
    int pid = -1;
    bool viewAlive = true;
    std::string shell;
};

namespace {

GdkRGBA toGdk(const Rgba& color)
{
    return GdkRGBA { static_cast<float>(color.red), static_cast<float>(color.green),
        static_cast<float>(color.blue), static_cast<float>(color.alpha) };
}

bool isDirectory(const std::string& path)
{
    return g_file_test(path.c_str(), G_FILE_TEST_IS_DIR);
}

bool canEnter(const std::string& path)
{
    return ::access(path.c_str(), X_OK) == 0;
}

// VTE words a failed exec as 'Failed to execute child process "PATH": Failed to execve: REASON'
// (GLib as '... "PATH" (REASON)'); the message names the shell itself, so only the reason is kept.
std::string spawnFailureReason(const GError* error)
{
    if (!error || !error->message || !*error->message)
        return "unknown error";
    std::string_view message(error->message);
    if (const auto open = message.rfind(" ("); message.ends_with(')') && open != std::string_view::npos)
        return std::string(message.substr(open + 2, message.size() - open - 3));
    if (const auto colon = message.rfind(": "); colon != std::string_view::npos && colon + 2 < message.size())
        return std::string(message.substr(colon + 2));
    return std::string(message);
}

} // namespace

VteTerminalView::VteTerminalView(const ShellLaunch& launch)
    : terminal_(VTE_TERMINAL(vte_terminal_new()))
    , widget_(nullptr)
    , state_(std::make_shared<SpawnState>())
{
    g_object_ref_sink(terminal_);
    widget_ = Glib::wrap(GTK_WIDGET(terminal_));
    widget_->set_hexpand(true);
    widget_->set_vexpand(true);
    const auto background = toGdk(terminalBackground());
    const auto foreground = toGdk(terminalForeground());
    vte_terminal_set_color_background(terminal_, &background);
    vte_terminal_set_color_foreground(terminal_, &foreground);
    state_->shell = launch.shell;

    // Once the shell has exited its process id may be reused by an unrelated process.
    childExitedHandler_ = g_signal_connect(terminal_, "child-exited",
        G_CALLBACK(
            +[](VteTerminal*, int, gpointer data) noexcept { static_cast<SpawnState*>(data)->pid = -1; }),
        state_.get());

    // VTE would quietly start the shell in $HOME, where an agent would work on the wrong files.
    if (!isDirectory(launch.workingDirectory)) {
        show("Project folder not found: " + launch.workingDirectory);
        return;
    }
    if (!canEnter(launch.workingDirectory)) {
        show("Project folder not accessible: " + launch.workingDirectory);
        return;
    }
    // A relative name would be looked up from the project folder, running a file found there.
    if (!g_path_is_absolute(launch.shell.c_str())) {
        show("Could not start " + launch.shell + ": not an absolute path");
        return;
    }

    std::vector<char*> argv { const_cast<char*>(launch.shell.c_str()), nullptr };
    std::vector<char*> envv;
    for (const auto& entry : launch.environment)
        envv.push_back(const_cast<char*>(entry.c_str()));
    envv.push_back(nullptr);

    auto* callbackState = new std::shared_ptr<SpawnState>(state_);
    vte_terminal_spawn_async(
        terminal_, VTE_PTY_DEFAULT, launch.workingDirectory.c_str(), argv.data(), envv.data(),
        static_cast<GSpawnFlags>(VTE_SPAWN_NO_PARENT_ENVV), nullptr, nullptr, nullptr, -1, nullptr,
        +[](VteTerminal* terminal, GPid pid, GError* error, gpointer data) noexcept {
            std::unique_ptr<std::shared_ptr<SpawnState>> owned(
                static_cast<std::shared_ptr<SpawnState>*>(data));
            auto& state = **owned;
            // Without a terminal VTE ends the child itself.
            if (!terminal || !state.viewAlive)
                return;
            if (pid > 0) {
                state.pid = pid;
                return;
            }
            try {
                const auto line
                    = "Could not start " + state.shell + ": " + spawnFailureReason(error) + "\r\n";
                vte_terminal_feed(terminal, line.c_str(), static_cast<gssize>(line.size()));
            } catch (...) {
            }
        },
        callbackState);
}

VteTerminalView::~VteTerminalView()
{
    state_->viewAlive = false;
    g_signal_handler_disconnect(terminal_, childExitedHandler_);
    // The containers' references go when they let go of the widget; this is the view's own.
    g_object_unref(terminal_);
}

int VteTerminalView::shellProcessId() const
{
    return state_->pid;
}

Gtk::Widget* VteTerminalView::widgetOf(const TerminalView& view)
{
    const auto* vteView = dynamic_cast<const VteTerminalView*>(&view);
    return vteView ? &vteView->widget() : nullptr;
}

std::string VteTerminalView::screenText() const
{
    char* text = vte_terminal_get_text(terminal_, nullptr, nullptr, nullptr);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

void VteTerminalView::sendText(std::string_view text)
{
    vte_terminal_feed_child(terminal_, text.data(), static_cast<gssize>(text.size()));
}

void VteTerminalView::show(std::string_view message)
{
    std::string line(message);
    line += "\r\n";
    vte_terminal_feed(terminal_, line.c_str(), static_cast<gssize>(line.size()));
}

} // namespace tq
