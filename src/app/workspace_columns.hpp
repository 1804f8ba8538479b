#pragma once

#include <gtkmm/box.h>
#include <gtkmm/paned.h>

namespace tq {

// The workspace's three columns: the sidebar and the documents panel at their ideal widths,
// resizable by dragging within their limits, and the terminal area taking the rest. Either side
// column can be hidden; the terminal area always stays.
class WorkspaceColumns : public Gtk::Box {
public:
    WorkspaceColumns();

    void setSidebar(Gtk::Widget& widget);
    void setCenter(Gtk::Widget& widget);
    void setDocuments(Gtk::Widget& widget);

    bool isSidebarVisible() const { return sidebarSlot_.get_visible(); }
    bool isDocumentsVisible() const { return documentsSlot_.get_visible(); }
    void setSidebarVisible(bool visible);
    void setDocumentsVisible(bool visible);

    int sidebarWidth() const { return sidebarSlot_.get_width(); }
    int documentsWidth() const { return documentsSlot_.get_width(); }
    // The dividers the user drags: the sidebar's edge and the documents panel's edge.
    Gtk::Paned& sidebarDivider() { return outer_; }
    Gtk::Paned& documentsDivider() { return inner_; }

private:
    static void replaceChild(Gtk::Box& slot, Gtk::Widget& widget);
    void clampSidebar();
    void clampDocuments();

    Gtk::Paned outer_{Gtk::Orientation::HORIZONTAL};
    Gtk::Paned inner_{Gtk::Orientation::HORIZONTAL};
    Gtk::Box sidebarSlot_;
    Gtk::Box centerSlot_;
    Gtk::Box documentsSlot_;
    bool documentsPlaced_ = false;
};

} // namespace tq
