#include "documents/requirements_view.hpp"

#include "documents/requirements_editor.hpp"

#include <algorithm>

namespace tq {

RequirementsView::RequirementsView(RequirementsEditor& editor)
    : Gtk::Box(Gtk::Orientation::VERTICAL, 0)
    , editor_(editor)
    , header_(Gtk::Orientation::HORIZONTAL)
    , divider_(Gtk::Orientation::HORIZONTAL)
    , banner_(Gtk::Orientation::VERTICAL, 6)
{
    add_css_class("requirements-view");

    header_.add_css_class("requirements-header");
    auto* spacer = Gtk::make_managed<Gtk::Box>();
    spacer->set_hexpand(true);
    header_.append(*spacer);
    editButton_.signal_clicked().connect(sigc::mem_fun(*this, &RequirementsView::onEditButtonClicked));
    header_.append(editButton_);
    append(header_);

    divider_.add_css_class("panel-divider");
    append(divider_);

    banner_.add_css_class("document-banner");
    bannerLabel_.set_wrap(true);
    bannerLabel_.set_wrap_mode(Pango::WrapMode::WORD_CHAR);
    bannerLabel_.set_xalign(0);
    banner_.append(bannerLabel_);
    auto* bannerButtons = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 8);
    bannerButtons->set_halign(Gtk::Align::END);
    reloadButton_.set_label("Reload");
    reloadButton_.add_css_class("ghost-button");
    reloadButton_.signal_clicked().connect([this] { editor_.reload(); });
    bannerButtons->append(reloadButton_);
    keepMineButton_.add_css_class("ghost-button");
    keepMineButton_.signal_clicked().connect([this] { editor_.keepMine(); });
    bannerButtons->append(keepMineButton_);
    banner_.append(*bannerButtons);
    append(banner_);

    documentLabel_.add_css_class("document-text");
    documentLabel_.set_selectable(true);
    documentLabel_.set_wrap(true);
    documentLabel_.set_wrap_mode(Pango::WrapMode::WORD_CHAR);
    documentLabel_.set_xalign(0);
    documentLabel_.set_yalign(0);
    documentLabel_.set_valign(Gtk::Align::START);
    readScroller_.set_policy(Gtk::PolicyType::NEVER, Gtk::PolicyType::AUTOMATIC);
    readScroller_.set_child(documentLabel_);
    body_.add(readScroller_, "read");

    textView_.add_css_class("requirements-editor");
    textView_.set_monospace(true);
    textView_.set_wrap_mode(Gtk::WrapMode::WORD_CHAR);
    textView_.get_buffer()->signal_changed().connect(sigc::mem_fun(*this, &RequirementsView::onBufferChanged));
    editScroller_.add_css_class("requirements-editor-scroller");
    editScroller_.set_policy(Gtk::PolicyType::NEVER, Gtk::PolicyType::AUTOMATIC);
    editScroller_.set_child(textView_);
    body_.add(editScroller_, "edit");
    body_.set_vexpand(true);
    append(body_);

    editor_.isEditingChanged().connect(sigc::mem_fun(*this, &RequirementsView::showMode));
    editor_.editTextReplaced().connect(sigc::mem_fun(*this, &RequirementsView::showEditText));
    editor_.changed().connect(sigc::mem_fun(*this, &RequirementsView::showDocument));
    showMode();
}

void RequirementsView::onEditButtonClicked()
{
    if (editor_.isEditing())
        editor_.finishEditing();
    else
        editor_.beginEditing();
}

void RequirementsView::onBufferChanged()
{
    if (fillingBuffer_)
        return;
    editor_.setEditText(textView_.get_buffer()->get_text());
}

void RequirementsView::showMode()
{
    const bool editing = editor_.isEditing();
    editButton_.set_label(editing ? "Done" : "Edit");
    editButton_.remove_css_class(editing ? "ghost-button" : "accent-button");
    editButton_.add_css_class(editing ? "accent-button" : "ghost-button");
    if (editing) {
        showEditText();
        auto buffer = textView_.get_buffer();
        buffer->place_cursor(buffer->begin());
        body_.set_visible_child(editScroller_);
        textView_.grab_focus();
    } else {
        body_.set_visible_child(readScroller_);
    }
    showDocument();
}

void RequirementsView::showEditText()
{
    auto buffer = textView_.get_buffer();
    if (buffer->get_text().raw() == editor_.editText())
        return;
    // Keep the cursor about where it was when the file's text replaces the editor's.
    const int offset = buffer->get_insert()->get_iter().get_offset();
    fillingBuffer_ = true;
    buffer->set_text(editor_.editText());
    fillingBuffer_ = false;
    buffer->place_cursor(buffer->get_iter_at_offset(std::min(offset, buffer->get_char_count())));
}

void RequirementsView::showDocument()
{
    const std::string text = editor_.displayedText();
    documentLabel_.set_text(text.empty() ? emptyText : text);
    if (text.empty())
        documentLabel_.add_css_class("placeholder");
    else
        documentLabel_.remove_css_class("placeholder");

    const auto error = editor_.saveError();
    if (editor_.hasConflict()) {
        bannerLabel_.set_text(conflictText);
        keepMineButton_.set_label("Keep Mine");
    } else if (error) {
        bannerLabel_.set_text("The requirements could not be saved: " + error->message);
        keepMineButton_.set_label("Retry");
    }
    banner_.set_visible(editor_.hasConflict() || error.has_value());
}

} // namespace tq
