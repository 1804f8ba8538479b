#include "terminals/terminal_container_view.hpp"

#include "terminals/terminal_pane_wrapper.hpp"
#include "terminals/vte_terminal_view.hpp"

#include <glibmm/main.h>
#include <gtkmm/paned.h>
#include <gtkmm/window.h>

namespace tq {

TerminalContainerView::TerminalContainerView(
    TerminalSessionManager& manager, std::string projectId, std::string workingDirectory)
    : manager_(manager)
    , projectId_(std::move(projectId))
    , workingDirectory_(std::move(workingDirectory))
{
    add_css_class("terminal-container");
    set_hexpand(true);
    set_vexpand(true);
    manager_.projectTreesChanged().connect(sigc::mem_fun(*this, &TerminalContainerView::render));
    manager_.focusedTerminalIdChanged().connect(sigc::mem_fun(*this, &TerminalContainerView::onFocusChanged));
    render();
}

// The manager may already be gone here (a window's layout owns both); the panes let go of
// their terminals as they are destroyed.
TerminalContainerView::~TerminalContainerView() = default;

std::vector<TerminalPaneWrapper*> TerminalContainerView::panes() const
{
    std::vector<TerminalPaneWrapper*> result;
    for (const auto& id : order_)
        result.push_back(panes_.at(id));
    return result;
}

TerminalPaneWrapper* TerminalContainerView::pane(const Uuid& terminalId) const
{
    const auto found = panes_.find(terminalId);
    return found == panes_.end() ? nullptr : found->second;
}

void TerminalContainerView::render()
{
    const auto found = manager_.projectTrees().find(projectId_);
    const SplitNodePtr tree = found == manager_.projectTrees().end() ? nullptr : found->second;
    if (tree == shownTree_)
        return; // another project's tree changed

    // Removing a subtree that holds the keyboard focus confuses GtkPaned: drop the focus first
    // and give it back to the focused pane afterwards.
    auto* window = dynamic_cast<Gtk::Window*>(get_root());
    const auto* focus = window ? window->get_focus() : nullptr;
    const bool hadKeyboardFocus = focus && focus->is_ancestor(*this);
    if (hadKeyboardFocus)
        window->unset_focus();

    // The terminals move into new panes: detach them before the old tree goes.
    for (auto& [id, pane] : panes_)
        pane->releaseTerminal();
    if (root_)
        remove(*root_);
    root_ = nullptr;
    panes_.clear();
    order_.clear();

    shownTree_ = tree;
    if (tree) {
        root_ = build(tree, paneCount(tree));
        append(*root_);
    }
    if (hadKeyboardFocus)
        focusKeyboardOnFocusedPane();
}

Gtk::Widget* TerminalContainerView::build(const SplitNodePtr& node, int panesInTree)
{
    if (node->isTerminal()) {
        const auto id = node->id();
        const auto view = manager_.getOrCreateTerminalView(id, workingDirectory_);
        const auto& focused = manager_.focusedTerminalId();
        auto onTap = [this, id] { manager_.setFocusedTerminalId(id); };
        // Closing rebuilds this container, which would destroy the pane inside its own button
        // handler: close from the main loop instead, unless this container is gone by then.
        auto onClose = [this, id] {
            Glib::signal_idle().connect_once(
                sigc::track_object([this, id] { manager_.closeTerminal(projectId_, id); }, *this));
        };
        auto* pane = Gtk::make_managed<TerminalPaneWrapper>(VteTerminalView::widgetOf(*view), focused == id,
            panesInTree >= 2, std::move(onTap), std::move(onClose));
        panes_[id] = pane;
        order_.push_back(id);
        return pane;
    }

    const bool sideBySide = node->direction() == SplitDirection::horizontal;
    auto* paned = Gtk::make_managed<Gtk::Paned>(
        sideBySide ? Gtk::Orientation::HORIZONTAL : Gtk::Orientation::VERTICAL);
    paned->add_css_class("terminal-split");
    auto* first = build(node->first(), panesInTree);
    auto* second = build(node->second(), panesInTree);
    for (auto* child : { first, second }) {
        if (sideBySide)
            child->set_size_request(minimumPaneWidth, -1);
        else
            child->set_size_request(-1, minimumPaneHeight);
    }
    paned->set_start_child(*first);
    paned->set_end_child(*second);
    paned->set_resize_start_child(true);
    paned->set_resize_end_child(true);
    paned->set_shrink_start_child(false);
    paned->set_shrink_end_child(false);
    return paned;
}

void TerminalContainerView::onFocusChanged()
{
    const auto& focused = manager_.focusedTerminalId();
    for (auto& [id, pane] : panes_)
        pane->setFocused(focused == id);
    // New Terminal, split, close and clicks move the focus: the keyboard goes with it.
    focusKeyboardOnFocusedPane();
}

void TerminalContainerView::focusKeyboardOnFocusedPane()
{
    const auto& focused = manager_.focusedTerminalId();
    if (!focused)
        return;
    if (auto* pane = this->pane(*focused))
        pane->focusTerminal();
}

} // namespace tq
