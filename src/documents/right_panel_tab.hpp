#pragma once

#include <array>
#include <string>

namespace tq {

// The documents panel's tabs, in the order they are shown.
enum class RightPanelTab { requirements, progress };

inline constexpr std::array<RightPanelTab, 2> allRightPanelTabs{RightPanelTab::requirements,
                                                                RightPanelTab::progress};

// "Requirements", "Progress"
std::string textValue(RightPanelTab tab);
// The text value in upper case: "REQUIREMENTS", "PROGRESS".
std::string tabLabel(RightPanelTab tab);

} // namespace tq
