#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/separator.h>
#include <gtkmm/stack.h>
#include <gtkmm/textview.h>

namespace tq {

class RequirementsEditor;

// The Requirements tab: the document as selectable text, or the monospaced editor after Edit.
// A banner offers the choice when the file changed on disk under unsaved edits, and tells
// when a save failed. All state lives in the RequirementsEditor, which outlives this view.
class RequirementsView : public Gtk::Box {
public:
    explicit RequirementsView(RequirementsEditor& editor);

    static constexpr const char* emptyText = "No requirements yet. Click Edit to add.";
    static constexpr const char* conflictText = "The requirements changed on disk.";

    // The parts tests and the accessibility layer reach.
    Gtk::Button& editButton() { return editButton_; }
    Gtk::Label& documentLabel() { return documentLabel_; }
    Gtk::TextView& textView() { return textView_; }
    Gtk::Box& banner() { return banner_; }
    Gtk::Label& bannerLabel() { return bannerLabel_; }
    Gtk::Button& reloadButton() { return reloadButton_; }
    Gtk::Button& keepMineButton() { return keepMineButton_; }

private:
    void onEditButtonClicked();
    void onBufferChanged();
    void showMode();
    void showEditText();
    void showDocument();

    RequirementsEditor& editor_;
    Gtk::Box header_;
    Gtk::Button editButton_;
    Gtk::Separator divider_;
    Gtk::Box banner_;
    Gtk::Label bannerLabel_;
    Gtk::Button reloadButton_;
    Gtk::Button keepMineButton_;
    Gtk::Stack body_;
    Gtk::ScrolledWindow readScroller_;
    Gtk::Label documentLabel_;
    Gtk::ScrolledWindow editScroller_;
    Gtk::TextView textView_;
    bool fillingBuffer_ = false;
};

} // namespace tq
