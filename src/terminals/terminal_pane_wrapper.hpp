#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/overlay.h>

#include <functional>

namespace tq {

// One pane of the terminal area: the borrowed terminal widget inset over the terminal
// background, the focus outline, click-to-focus and, while hovered, a close button when the
// project has more than one pane. Built anew whenever the tree changes shape.
class TerminalPaneWrapper : public Gtk::Overlay {
public:
    // `terminal` may be nullptr (a view without widget): the pane stays empty.
    TerminalPaneWrapper(Gtk::Widget* terminal, bool isFocused, bool canClose, std::function<void()> onTap,
        std::function<void()> onClose);
    ~TerminalPaneWrapper() override;

    bool isFocused() const { return isFocused_; }
    void setFocused(bool focused);
    bool canClose() const { return canClose_; }
    bool isHovering() const { return isHovering_; }
    // Driven by the pointer entering and leaving the pane.
    void setHovering(bool hovering);
    bool isCloseButtonShown() const;
    Gtk::Button& closeButton() { return closeButton_; }

    // The terminal this pane was built with, nullptr once it is finalised.
    Gtk::Widget* terminal() const;
    // Gives the terminal the keyboard.
    void focusTerminal();
    // Takes the terminal out of this pane, if it is still here.
    void releaseTerminal();
    // Takes a terminal widget out of whatever pane holds it, so it can move to a new one.
    static void detachTerminal(Gtk::Widget& terminal);

private:
    void updateCloseButton();

    Gtk::Box inset_;
    Gtk::Box outline_;
    Gtk::Button closeButton_;
    // A weak pointer: the terminal belongs to the session manager and may move to another pane.
    GtkWidget* terminal_ = nullptr;
    bool isFocused_;
    bool canClose_;
    bool isHovering_ = false;
    std::function<void()> onTap_;
    std::function<void()> onClose_;
};

} // namespace tq
