#include "terminals/terminal_pane_wrapper.hpp"
#include "chrome/accessible_text.hpp"

#include <gtkmm/eventcontrollermotion.h>
#include <gtkmm/gestureclick.h>
#include <gtkmm/window.h>

#include <gtk/gtk.h>

namespace tq {

namespace {

// Room around the terminal inside its pane: top, left (start), right (end); none at the bottom.
constexpr int insetTop = 4;
constexpr int insetStart = 8;
constexpr int insetEnd = 4;
constexpr int closeButtonSize = 18;
constexpr int closeButtonInset = 8;

bool holdsKeyboardFocus(Gtk::Widget& widget)
{
    auto* window = dynamic_cast<Gtk::Window*>(widget.get_root());
    if (!window)
        return false;
    const auto* focus = window->get_focus();
    return focus && (focus == &widget || focus->is_ancestor(widget));
}

} // namespace

TerminalPaneWrapper::TerminalPaneWrapper(Gtk::Widget* terminal, bool isFocused, bool canClose,
    std::function<void()> onTap, std::function<void()> onClose)
    : isFocused_(isFocused)
    , canClose_(canClose)
    , onTap_(std::move(onTap))
    , onClose_(std::move(onClose))
{
    add_css_class("terminal-pane");
    if (isFocused_)
        add_css_class("focused");

    inset_.add_css_class("terminal-pane-inset");
    inset_.set_hexpand(true);
    inset_.set_vexpand(true);
    set_child(inset_);
    if (terminal) {
        terminal_ = terminal->gobj();
        g_object_add_weak_pointer(G_OBJECT(terminal_), reinterpret_cast<gpointer*>(&terminal_));
        detachTerminal(*terminal);
        terminal->set_margin_top(insetTop);
        terminal->set_margin_start(insetStart);
        terminal->set_margin_end(insetEnd);
        terminal->set_margin_bottom(0);
        inset_.append(*terminal);
    }

    // Drawn in both states so that focusing never changes the layout; clicks go through it.
    outline_.add_css_class("terminal-pane-outline");
    outline_.set_can_target(false);
    outline_.set_can_focus(false);
    add_overlay(outline_);

    closeButton_.add_css_class("terminal-pane-close");
    closeButton_.set_has_frame(false);
    closeButton_.set_icon_name("window-close-symbolic");
    closeButton_.set_focus_on_click(false);
    closeButton_.set_size_request(closeButtonSize, closeButtonSize);
    closeButton_.set_halign(Gtk::Align::END);
    closeButton_.set_valign(Gtk::Align::START);
    closeButton_.set_margin(closeButtonInset);
    setAccessibleLabel(closeButton_, "Close Pane");
    closeButton_.signal_clicked().connect([this] {
        // The callback may rebuild the pane tree; keep it alive on the stack meanwhile.
        auto callback = onClose_;
        if (callback)
            callback();
    });
    add_overlay(closeButton_);
    updateCloseButton();

    // Any click on the terminal layer focuses the pane; the terminal still gets the click.
    auto click = Gtk::GestureClick::create();
    click->set_button(0);
    click->set_propagation_phase(Gtk::PropagationPhase::CAPTURE);
    click->signal_pressed().connect([this](int pressCount, double, double) {
        if (pressCount != 1)
            return;
        auto callback = onTap_;
        if (callback)
            callback();
        focusTerminal();
    });
    inset_.add_controller(click);

    auto motion = Gtk::EventControllerMotion::create();
    motion->signal_enter().connect([this](double, double) { setHovering(true); });
    motion->signal_leave().connect([this] { setHovering(false); });
    add_controller(motion);
}

TerminalPaneWrapper::~TerminalPaneWrapper()
{
    releaseTerminal();
    if (terminal_)
        g_object_remove_weak_pointer(G_OBJECT(terminal_), reinterpret_cast<gpointer*>(&terminal_));
}

Gtk::Widget* TerminalPaneWrapper::terminal() const
{
    return terminal_ ? Glib::wrap(terminal_) : nullptr;
}

void TerminalPaneWrapper::setFocused(bool focused)
{
    if (focused == isFocused_)
        return;
    isFocused_ = focused;
    if (focused)
        add_css_class("focused");
    else
        remove_css_class("focused");
}

void TerminalPaneWrapper::setHovering(bool hovering)
{
    isHovering_ = hovering;
    updateCloseButton();
}

bool TerminalPaneWrapper::isCloseButtonShown() const
{
    return closeButton_.get_visible();
}

void TerminalPaneWrapper::updateCloseButton()
{
    closeButton_.set_visible(canClose_ && isHovering_);
}

void TerminalPaneWrapper::focusTerminal()
{
    auto* terminal = this->terminal();
    if (terminal && terminal->get_parent() == &inset_)
        terminal->grab_focus();
}

void TerminalPaneWrapper::releaseTerminal()
{
    auto* terminal = this->terminal();
    if (terminal && terminal->get_parent() == &inset_)
        detachTerminal(*terminal);
}

void TerminalPaneWrapper::detachTerminal(Gtk::Widget& terminal)
{
    auto* parent = terminal.get_parent();
    if (!parent)
        return;
    // A widget holding the keyboard focus must lose it before it leaves the tree.
    if (holdsKeyboardFocus(terminal))
        dynamic_cast<Gtk::Window*>(terminal.get_root())->unset_focus();
    // Terminals only ever sit in a pane's inset box.
    if (auto* box = dynamic_cast<Gtk::Box*>(parent))
        box->remove(terminal);
}

} // namespace tq
