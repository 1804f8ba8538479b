#include "documents/right_panel_tab.hpp"

#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(RightPanelTab, TabsComeInOrderWithMixedCaseTextsAndUpperCaseLabels)
{
    ASSERT_EQ(allRightPanelTabs.size(), 2u);
    EXPECT_EQ(allRightPanelTabs[0], RightPanelTab::requirements);
    EXPECT_EQ(allRightPanelTabs[1], RightPanelTab::progress);
    EXPECT_EQ(textValue(RightPanelTab::requirements), "Requirements");
    EXPECT_EQ(textValue(RightPanelTab::progress), "Progress");
    EXPECT_EQ(tabLabel(RightPanelTab::requirements), "REQUIREMENTS");
    EXPECT_EQ(tabLabel(RightPanelTab::progress), "PROGRESS");
}

} // namespace
} // namespace tq
