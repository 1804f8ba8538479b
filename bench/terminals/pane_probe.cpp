// Opens a window with N terminal panes running real shells (a grid of about sqrt(N) rows),
// prints "ready PID" once every shell shows its prompt, then idles until killed.
// Used by measure-panes.sh for resident memory per pane and idle CPU.
// Usage: tq_terminal_pane_probe [N] [--no-monitor]
#include "terminals/terminal_container_view.hpp"
#include "terminals/terminal_session_manager.hpp"
#include "terminals/vte_terminal_view.hpp"
#include "terminals/vte_terminal_view_factory.hpp"

#include <glibmm/main.h>
#include <gtkmm/init.h>
#include <gtkmm/window.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

int main(int argc, char* argv[])
{
    const int panes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const bool monitor = !(argc > 2 && std::string(argv[2]) == "--no-monitor");
    if (!gtk_init_check()) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    Gtk::init_gtkmm_internals();

    const auto folder
        = std::filesystem::temp_directory_path() / ("tq-pane-probe-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "project");
    const tq::Project project { "project", (folder / "project").string(), "", "" };

    tq::VteTerminalViewFactory factory;
    tq::TerminalSessionManager manager(factory);
    if (monitor)
        manager.startMonitoring();

    // Rows first, then the panes of each row side by side.
    const int rows = static_cast<int>(std::ceil(std::sqrt(panes)));
    std::vector<tq::Uuid> rowLeaders { manager.getOrCreateTree(project)->id() };
    for (int r = 1; r < rows && r < panes; ++r) {
        manager.splitTerminal(project.id(), rowLeaders.back(), tq::SplitDirection::vertical, project.path);
        rowLeaders.push_back(*manager.focusedTerminalId());
    }
    std::vector<tq::Uuid> rowLast = rowLeaders;
    for (int added = static_cast<int>(rowLeaders.size()), r = 0; added < panes; ++added, r = (r + 1) % rows) {
        manager.splitTerminal(project.id(), rowLast[r], tq::SplitDirection::horizontal, project.path);
        rowLast[r] = *manager.focusedTerminalId();
    }

    Gtk::Window window;
    window.set_default_size(1600, 1000);
    auto* container = Gtk::make_managed<tq::TerminalContainerView>(manager, project.id(), project.path);
    window.set_child(*container);
    window.present();

    auto context = Glib::MainContext::get_default();
    auto allPrompting = [&] {
        for (const auto& id : tq::allTerminalIds(manager.projectTrees().at(project.id()))) {
            auto* view = dynamic_cast<tq::VteTerminalView*>(manager.terminalView(id).get());
            if (!view || view->shellProcessId() < 1
                || view->screenText().find_first_not_of(" \n") == std::string::npos)
                return false;
        }
        return true;
    };
    while (!allPrompting())
        context->iteration(true);
    // Let a few frames go by before telling the measurement we are ready.
    bool settled = false;
    Glib::signal_timeout().connect_once([&] { settled = true; }, 1000);
    while (!settled)
        context->iteration(true);
    std::printf("ready %d panes=%d\n", getpid(), tq::paneCount(manager.projectTrees().at(project.id())));
    std::fflush(stdout);

    for (;;)
        context->iteration(true);
}
