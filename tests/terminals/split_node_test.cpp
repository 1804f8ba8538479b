#include "terminals/split_node.hpp"

#include <gtest/gtest.h>

#include <set>

namespace tq {
namespace {

const Uuid p1 = Uuid::random();
const Uuid p2 = Uuid::random();
const Uuid p3 = Uuid::random();

TEST(Uuid, RandomIdsAreVersion4WithTheRfc4122VariantAndRoundTripThroughText)
{
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const auto id = Uuid::random();
        const auto text = id.toString();
        ASSERT_EQ(text.size(), 36u);
        EXPECT_EQ(text[14], '4') << text;
        EXPECT_NE(std::string("89ab").find(text[19]), std::string::npos) << text;
        EXPECT_EQ(Uuid::parse(text), id);
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 200u);
    EXPECT_FALSE(Uuid::parse("not-a-uuid"));
    EXPECT_FALSE(Uuid::parse("0123456789abcdef0123456789abcdef0123"));
}

TEST(SplitTree, SinglePaneCountsOneAndRemovingItLeavesNothing)
{
    const auto tree = SplitNode::terminal(p1);
    EXPECT_EQ(paneCount(tree), 1);
    EXPECT_EQ(allTerminalIds(tree), std::vector<Uuid> { p1 });
    EXPECT_EQ(removingTerminal(tree, p1), nullptr);
    EXPECT_EQ(tree->id(), p1);
}

TEST(SplitTree, SplittingKeepsTheTargetFirstAndPutsTheNewPaneSecond)
{
    const auto single = SplitNode::terminal(p1);
    const auto two = splittingTerminal(single, p1, SplitDirection::horizontal, p2);
    ASSERT_FALSE(two->isTerminal());
    EXPECT_NE(two->id(), p1);
    EXPECT_EQ(two->direction(), SplitDirection::horizontal);
    EXPECT_EQ(two->first(), single) << "the existing pane is kept, not copied";
    EXPECT_EQ(two->second()->id(), p2);
    EXPECT_EQ(two->ratio(), 0.5);
    EXPECT_EQ(allTerminalIds(two), (std::vector<Uuid> { p1, p2 }));
    // The input is untouched.
    EXPECT_TRUE(single->isTerminal());

    const auto three = splittingTerminal(two, p2, SplitDirection::vertical, p3);
    EXPECT_EQ(three->id(), two->id()) << "a rebuilt split keeps its id";
    EXPECT_EQ(three->first(), two->first()) << "an unchanged subtree is shared";
    ASSERT_FALSE(three->second()->isTerminal());
    EXPECT_EQ(three->second()->direction(), SplitDirection::vertical);
    EXPECT_NE(three->second()->id(), two->id());
    EXPECT_EQ(paneCount(three), 3);
    EXPECT_EQ(allTerminalIds(three), (std::vector<Uuid> { p1, p2, p3 }));
    EXPECT_EQ(allTerminalIds(two), (std::vector<Uuid> { p1, p2 }));
}

TEST(SplitTree, RemovingAPaneCollapsesItsParentIntoTheSibling)
{
    const auto two = splittingTerminal(SplitNode::terminal(p1), p1, SplitDirection::horizontal, p2);
    const auto three = splittingTerminal(two, p2, SplitDirection::vertical, p3);

    const auto withoutP2 = removingTerminal(three, p2);
    ASSERT_FALSE(withoutP2->isTerminal());
    EXPECT_EQ(withoutP2->id(), three->id());
    EXPECT_EQ(withoutP2->direction(), SplitDirection::horizontal);
    EXPECT_EQ(withoutP2->ratio(), 0.5);
    EXPECT_EQ(allTerminalIds(withoutP2), (std::vector<Uuid> { p1, p3 }));
    EXPECT_EQ(withoutP2->first()->id(), p1);
    EXPECT_EQ(withoutP2->second()->id(), p3);

    const auto withoutP1 = removingTerminal(three, p1);
    EXPECT_EQ(withoutP1, three->second()) << "the sibling subtree moves up with its ids";
    EXPECT_EQ(paneCount(three), 3) << "the input tree is unchanged";
}

TEST(SplitTree, OperationsOnAnUnknownIdKeepShapeAndIds)
{
    const auto two = splittingTerminal(SplitNode::terminal(p1), p1, SplitDirection::horizontal, p2);
    const auto unknown = Uuid::random();
    const auto split = splittingTerminal(two, unknown, SplitDirection::vertical, p3);
    EXPECT_EQ(split->id(), two->id());
    EXPECT_EQ(allTerminalIds(split), (std::vector<Uuid> { p1, p2 }));
    const auto removed = removingTerminal(two, unknown);
    EXPECT_EQ(removed->id(), two->id());
    EXPECT_EQ(allTerminalIds(removed), (std::vector<Uuid> { p1, p2 }));
}

} // namespace
} // namespace tq
