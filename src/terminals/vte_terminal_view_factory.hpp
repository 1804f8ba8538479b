#pragma once

#include "terminals/terminal_view.hpp"

namespace tq {

// Makes VTE terminal views running the user's shell (SHELL, else the login shell, else
// /bin/sh) with the pane environment built from this process's environment.
class VteTerminalViewFactory : public TerminalViewFactory {
public:
    std::shared_ptr<TerminalView> createTerminalView(const std::string& workingDirectory) override;
};

} // namespace tq
