#include "documents/right_panel_tab.hpp"

#include <glibmm/ustring.h>

namespace tq {

std::string textValue(RightPanelTab tab)
{
    switch (tab) {
    case RightPanelTab::requirements:
        return "Requirements";
    case RightPanelTab::progress:
        return "Progress";
    }
    return {};
}

std::string tabLabel(RightPanelTab tab)
{
    return Glib::ustring(textValue(tab)).uppercase();
}

} // namespace tq
