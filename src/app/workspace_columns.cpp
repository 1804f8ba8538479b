#include "app/workspace_columns.hpp"

#include "app/column_width.hpp"

namespace tq {

WorkspaceColumns::WorkspaceColumns()
{
    add_css_class("workspace-columns");
    set_hexpand(true);
    set_vexpand(true);
    for (auto* slot : {&sidebarSlot_, &centerSlot_, &documentsSlot_}) {
        slot->set_hexpand(true);
        slot->set_vexpand(true);
    }
    sidebarSlot_.set_size_request(sidebarColumnWidth.minimum, -1);
    documentsSlot_.set_size_request(documentsColumnWidth.minimum, -1);

    outer_.set_start_child(sidebarSlot_);
    outer_.set_end_child(inner_);
    outer_.set_resize_start_child(false);
    outer_.set_shrink_start_child(false);
    outer_.set_resize_end_child(true);
    outer_.set_shrink_end_child(false);
    outer_.set_position(sidebarColumnWidth.ideal);
    outer_.set_hexpand(true);

    inner_.set_start_child(centerSlot_);
    inner_.set_end_child(documentsSlot_);
    inner_.set_resize_start_child(true);
    inner_.set_shrink_start_child(false);
    inner_.set_resize_end_child(false);
    inner_.set_shrink_end_child(false);

    outer_.property_position().signal_changed().connect(sigc::mem_fun(*this, &WorkspaceColumns::clampSidebar));
    inner_.property_position().signal_changed().connect(sigc::mem_fun(*this, &WorkspaceColumns::clampDocuments));
    // The documents column gets its ideal width once the paned knows its own width.
    inner_.property_max_position().signal_changed().connect(sigc::mem_fun(*this, &WorkspaceColumns::clampDocuments));
    append(outer_);
}

void WorkspaceColumns::replaceChild(Gtk::Box& slot, Gtk::Widget& widget)
{
    if (widget.get_parent() == &slot)
        return;
    while (auto* child = slot.get_first_child())
        slot.remove(*child);
    slot.append(widget);
}

void WorkspaceColumns::setSidebar(Gtk::Widget& widget)
{
    replaceChild(sidebarSlot_, widget);
}

void WorkspaceColumns::setCenter(Gtk::Widget& widget)
{
    replaceChild(centerSlot_, widget);
}

void WorkspaceColumns::setDocuments(Gtk::Widget& widget)
{
    replaceChild(documentsSlot_, widget);
}

void WorkspaceColumns::setSidebarVisible(bool visible)
{
    sidebarSlot_.set_visible(visible);
}

void WorkspaceColumns::setDocumentsVisible(bool visible)
{
    documentsSlot_.set_visible(visible);
    if (visible)
        documentsPlaced_ = false; // back at its ideal width
}

void WorkspaceColumns::clampSidebar()
{
    if (!sidebarSlot_.get_visible())
        return;
    const int position = outer_.get_position();
    const int clamped = sidebarColumnWidth.clamp(position);
    if (clamped != position)
        outer_.set_position(clamped);
}

void WorkspaceColumns::clampDocuments()
{
    if (!documentsSlot_.get_visible())
        return;
    // The paned already keeps the column at its minimum or wider: its largest position leaves
    // exactly the minimum width.
    const int maxPosition = inner_.property_max_position().get_value();
    if (maxPosition <= 0)
        return;
    const int widest = maxPosition - (documentsColumnWidth.maximum - documentsColumnWidth.minimum);
    if (!documentsPlaced_) {
        documentsPlaced_ = true;
        inner_.set_position(maxPosition - (documentsColumnWidth.ideal - documentsColumnWidth.minimum));
        return;
    }
    if (inner_.get_position() < widest)
        inner_.set_position(widest);
}

} // namespace tq
