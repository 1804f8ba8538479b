#pragma once

#include <memory>
#include <string>

namespace tq {

// A terminal emulator running one local shell in a pseudo-terminal. The session manager owns
// every terminal view; pane widgets only borrow them. The widget-side implementation lives in
// the UI library, so the manager and its tests need no display.
class TerminalView {
public:
    virtual ~TerminalView() = default;
    // The shell's process id, below 1 while there is none (not started, or failed to start).
    virtual int shellProcessId() const = 0;
};

class TerminalViewFactory {
public:
    virtual ~TerminalViewFactory() = default;
    // Creates a view and starts the user's shell in `workingDirectory`.
    virtual std::shared_ptr<TerminalView> createTerminalView(const std::string& workingDirectory) = 0;
};

} // namespace tq
