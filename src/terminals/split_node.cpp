#include "terminals/split_node.hpp"

#include <cassert>
#include <utility>

namespace tq {

SplitNode::SplitNode(Kind kind, const Uuid& id, SplitDirection direction, SplitNodePtr first,
                     SplitNodePtr second, double ratio)
    : kind_(kind), id_(id), direction_(direction), first_(std::move(first)), second_(std::move(second)),
      ratio_(ratio)
{
    assert(kind_ == Kind::terminal || (first_ && second_));
}

SplitNodePtr SplitNode::terminal(const Uuid& id)
{
    return std::make_shared<const SplitNode>(Kind::terminal, id, SplitDirection::horizontal, nullptr,
                                             nullptr, 0.5);
}

SplitNodePtr SplitNode::split(const Uuid& id, SplitDirection direction, SplitNodePtr first,
                              SplitNodePtr second, double ratio)
{
    return std::make_shared<const SplitNode>(Kind::split, id, direction, std::move(first),
                                             std::move(second), ratio);
}

int paneCount(const SplitNodePtr& tree)
{
    if (!tree)
        return 0;
    if (tree->isTerminal())
        return 1;
    return paneCount(tree->first()) + paneCount(tree->second());
}

static void collectTerminalIds(const SplitNodePtr& node, std::vector<Uuid>& ids)
{
    if (!node)
        return;
    if (node->isTerminal()) {
        ids.push_back(node->id());
        return;
    }
    collectTerminalIds(node->first(), ids);
    collectTerminalIds(node->second(), ids);
}

std::vector<Uuid> allTerminalIds(const SplitNodePtr& tree)
{
    std::vector<Uuid> ids;
    collectTerminalIds(tree, ids);
    return ids;
}

SplitNodePtr splittingTerminal(const SplitNodePtr& tree, const Uuid& target, SplitDirection direction,
                               const Uuid& newTerminalId)
{
    if (!tree)
        return tree;
    if (tree->isTerminal()) {
        if (tree->id() != target)
            return tree;
        return SplitNode::split(Uuid::random(), direction, tree, SplitNode::terminal(newTerminalId), 0.5);
    }
    auto first = splittingTerminal(tree->first(), target, direction, newTerminalId);
    auto second = splittingTerminal(tree->second(), target, direction, newTerminalId);
    if (first == tree->first() && second == tree->second())
        return tree; // nothing below changed: share the subtree
    return SplitNode::split(tree->id(), tree->direction(), std::move(first), std::move(second),
                            tree->ratio());
}

SplitNodePtr removingTerminal(const SplitNodePtr& tree, const Uuid& terminalId)
{
    if (!tree)
        return tree;
    if (tree->isTerminal())
        return tree->id() == terminalId ? nullptr : tree;
    auto first = removingTerminal(tree->first(), terminalId);
    auto second = removingTerminal(tree->second(), terminalId);
    if (first && second) {
        if (first == tree->first() && second == tree->second())
            return tree;
        return SplitNode::split(tree->id(), tree->direction(), std::move(first), std::move(second),
                                tree->ratio());
    }
    return first ? first : second;
}

} // namespace tq
