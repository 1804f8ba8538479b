#pragma once

#include "terminals/split_node.hpp"

#include <sigc++/sigc++.h>

#include <optional>

namespace tq {

// The menu's one-shot requests, shared by every window. Each assignment notifies, even one
// that writes the value already held; a window clears a request once it has handled it.
class AppState {
public:
    const std::optional<SplitDirection>& splitAction() const { return splitAction_; }
    void setSplitAction(std::optional<SplitDirection> value)
    {
        splitAction_ = value;
        splitActionChanged_.emit();
    }
    bool closePaneAction() const { return closePaneAction_; }
    void setClosePaneAction(bool value)
    {
        closePaneAction_ = value;
        closePaneActionChanged_.emit();
    }
    bool newTabAction() const { return newTabAction_; }
    void setNewTabAction(bool value)
    {
        newTabAction_ = value;
        newTabActionChanged_.emit();
    }

    sigc::signal<void()>& splitActionChanged() { return splitActionChanged_; }
    sigc::signal<void()>& closePaneActionChanged() { return closePaneActionChanged_; }
    sigc::signal<void()>& newTabActionChanged() { return newTabActionChanged_; }

private:
    std::optional<SplitDirection> splitAction_;
    bool closePaneAction_ = false;
    bool newTabAction_ = false;
    sigc::signal<void()> splitActionChanged_;
    sigc::signal<void()> closePaneActionChanged_;
    sigc::signal<void()> newTabActionChanged_;
};

} // namespace tq
