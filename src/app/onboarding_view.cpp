#include "app/onboarding_view.hpp"
#include "chrome/accessible_text.hpp"

#include "app/onboarding_actions.hpp"

#include <giomm/file.h>
#include <gtkmm/dialog.h>
#include <gtkmm/image.h>
#include <gtkmm/overlay.h>
#include <gtkmm/window.h>

namespace tq {

namespace {

Gtk::Widget* makeButtonContent(const char* iconName, const char* text)
{
    auto* content = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 6);
    content->set_size_request(260, -1);
    content->set_halign(Gtk::Align::CENTER);
    auto* inner = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::HORIZONTAL, 6);
    inner->set_hexpand(true);
    inner->set_halign(Gtk::Align::CENTER);
    auto* image = Gtk::make_managed<Gtk::Image>();
    image->set_from_icon_name(iconName);
    inner->append(*image);
    inner->append(*Gtk::make_managed<Gtk::Label>(text));
    content->append(*inner);
    return content;
}

} // namespace

OnboardingView::OnboardingView(ProjectManager& projectManager)
    : Gtk::Box(Gtk::Orientation::VERTICAL), projectManager_(projectManager)
{
    // The background fills the window; the content sits in its middle.
    add_css_class("onboarding");
    set_hexpand(true);
    set_vexpand(true);
    auto* content = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 28);
    content->set_vexpand(true);
    content->set_valign(Gtk::Align::CENTER);
    append(*content);

    auto* emblem = Gtk::make_managed<Gtk::Overlay>();
    emblem->set_halign(Gtk::Align::CENTER);
    auto* disc = Gtk::make_managed<Gtk::Box>();
    disc->add_css_class("onboarding-emblem-disc");
    disc->set_size_request(88, 88);
    emblem->set_child(*disc);
    auto* symbol = Gtk::make_managed<Gtk::Image>();
    symbol->set_from_icon_name("tq-folder-gear-symbolic");
    symbol->set_pixel_size(38);
    symbol->add_css_class("onboarding-emblem-symbol");
    symbol->set_halign(Gtk::Align::CENTER);
    symbol->set_valign(Gtk::Align::CENTER);
    emblem->add_overlay(*symbol);
    content->append(*emblem);

    auto* texts = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 8);
    texts->set_halign(Gtk::Align::CENTER);
    auto* title = Gtk::make_managed<Gtk::Label>("Welcome to Tavoro Quelm");
    title->add_css_class("onboarding-title");
    auto* subtitle = Gtk::make_managed<Gtk::Label>("Choose where your projects live.");
    subtitle->add_css_class("onboarding-subtitle");
    texts->append(*title);
    texts->append(*subtitle);
    content->append(*texts);

    auto* buttons = Gtk::make_managed<Gtk::Box>(Gtk::Orientation::VERTICAL, 10);
    buttons->set_halign(Gtk::Align::CENTER);
    selectExistingButton_.set_child(*makeButtonContent("folder-open-symbolic", "Select Existing Folder"));
    selectExistingButton_.add_css_class("accent-button");
    setAccessibleLabel(selectExistingButton_, "Select Existing Folder");
    selectExistingButton_.signal_clicked().connect([this] { chooseFolder(Choice::existingFolder); });
    createNewButton_.set_child(*makeButtonContent("folder-new-symbolic", "Create New Folder"));
    createNewButton_.add_css_class("ghost-button");
    setAccessibleLabel(createNewButton_, "Create New Folder");
    createNewButton_.signal_clicked().connect([this] { chooseFolder(Choice::parentOfNewFolder); });
    buttons->append(selectExistingButton_);
    buttons->append(createNewButton_);
    content->append(*buttons);
}

OnboardingView::~OnboardingView()
{
    if (chooser_)
        chooser_->hide();
}

void OnboardingView::chooseFolder(Choice choice)
{
    if (chooser_)
        return; // one chooser at a time
    auto* window = dynamic_cast<Gtk::Window*>(get_root());
    const bool existing = choice == Choice::existingFolder;
    chooser_ = Gtk::FileChooserNative::create(
        existing ? "Select your projects folder" : "Choose where to create a projects folder", *window,
        Gtk::FileChooser::Action::SELECT_FOLDER);
    if (!existing)
        chooser_->set_accept_label("Choose Location");
    chooser_->set_modal(true);
    chooser_->set_select_multiple(false);
    chooser_->set_create_folders(!existing);
    chooser_->signal_response().connect([this, choice](int response) { onChooserResponse(response, choice); });
    chooser_->show();
}

void OnboardingView::onChooserResponse(int response, Choice choice)
{
    auto chooser = std::move(chooser_);
    chooser->hide();
    if (response != Gtk::ResponseType::ACCEPT)
        return;
    auto file = chooser->get_file();
    if (!file || file->get_path().empty())
        return;
    if (choice == Choice::existingFolder)
        projectManager_.setRootDirectory(file->get_path());
    else
        adoptProjectsFolderIn(projectManager_, file->get_path());
}

} // namespace tq
