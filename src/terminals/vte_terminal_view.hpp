#pragma once

#include "terminals/terminal_view.hpp"

#include <gtkmm/widget.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct _VteTerminal;

namespace tq {

// What a pane's shell is started with.
struct ShellLaunch {
    std::string shell; // absolute path; also the shell's argument zero
    std::vector<std::string> environment; // the whole environment, "NAME=value"
    std::string workingDirectory;
};

// A VTE terminal running one shell. The view holds its own reference to the terminal widget,
// so the widget survives being moved between pane containers; releasing the view (and every
// container letting go) finalises the terminal: the pty closes and the shell gets a hang-up.
//
// A missing working folder or a shell that cannot be started leaves a terminal that says so
// and has no process.
class VteTerminalView : public TerminalView {
public:
    explicit VteTerminalView(const ShellLaunch& launch);
    ~VteTerminalView() override;
    VteTerminalView(const VteTerminalView&) = delete;
    VteTerminalView& operator=(const VteTerminalView&) = delete;

    int shellProcessId() const override;

    // The widget to embed. Pane views borrow it; it may have no parent.
    Gtk::Widget& widget() const { return *widget_; }
    // The widget of a view made by this class, nullptr for any other kind of view.
    static Gtk::Widget* widgetOf(const TerminalView& view);

    // The visible screen as text, one line per row.
    std::string screenText() const;
    // Sends text to the shell as if typed.
    void sendText(std::string_view text);

private:
    struct SpawnState;

    void show(std::string_view message);

    _VteTerminal* terminal_;
    Gtk::Widget* widget_;
    std::shared_ptr<SpawnState> state_;
    unsigned long childExitedHandler_ = 0;
};

} // namespace tq
