#pragma once

#include "terminals/split_node.hpp"
#include "terminals/terminal_session_manager.hpp"

#include <gtkmm/box.h>

#include <map>
#include <string>
#include <vector>

namespace tq {

class TerminalPaneWrapper;

// One project's terminal area: its pane tree as nested Gtk::Paned (side by side for horizontal
// splits, stacked for vertical ones) around the panes. It follows the manager: a new tree for
// the project is rendered anew with the same terminal widgets moved into the new panes, and a
// focus change restyles the outlines and gives the focused pane the keyboard. Divider drags
// stay inside the Paned and never touch the tree.
//
// Show one container per project at a time: a container takes the terminals it shows out of
// any other. It keeps no pane state of its own, so it can be destroyed and rebuilt at will.
class TerminalContainerView : public Gtk::Box {
public:
    TerminalContainerView(
        TerminalSessionManager& manager, std::string projectId, std::string workingDirectory);
    ~TerminalContainerView() override;

    const std::string& projectId() const { return projectId_; }
    // The panes on screen, in tree order (the first is the top-left one).
    std::vector<TerminalPaneWrapper*> panes() const;
    TerminalPaneWrapper* pane(const Uuid& terminalId) const;

    // Smallest size a divider drag leaves to either side of a split.
    static constexpr int minimumPaneWidth = 100;
    static constexpr int minimumPaneHeight = 50;

private:
    void render();
    Gtk::Widget* build(const SplitNodePtr& node, int panesInTree);
    void onFocusChanged();
    void focusKeyboardOnFocusedPane();

    TerminalSessionManager& manager_;
    std::string projectId_;
    std::string workingDirectory_;
    SplitNodePtr shownTree_;
    Gtk::Widget* root_ = nullptr;
    std::map<Uuid, TerminalPaneWrapper*> panes_;
    std::vector<Uuid> order_;
};

} // namespace tq
