#include "terminals/vte_terminal_view_factory.hpp"

#include "terminals/shell_environment.hpp"
#include "terminals/vte_terminal_view.hpp"

#include <cstdlib>

namespace tq {

std::shared_ptr<TerminalView> VteTerminalViewFactory::createTerminalView(const std::string& workingDirectory)
{
    ShellLaunch launch { userShell(), shellEnvironment([](const char* name) { return std::getenv(name); }),
        workingDirectory };
    return std::make_shared<VteTerminalView>(launch);
}

} // namespace tq
