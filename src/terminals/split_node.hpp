#pragma once

#include "terminals/uuid.hpp"

#include <memory>
#include <optional>
#include <vector>

namespace tq {

enum class SplitDirection {
    horizontal, // side by side, first on the left
    vertical,   // stacked, first on top
};

class SplitNode;
// Trees are immutable values: operations return new trees that share unchanged subtrees.
using SplitNodePtr = std::shared_ptr<const SplitNode>;

// A project's pane tree: a leaf is one terminal pane, an inner node splits its space
// between exactly two children.
class SplitNode {
public:
    enum class Kind { terminal, split };

    static SplitNodePtr terminal(const Uuid& id);
    static SplitNodePtr split(const Uuid& id, SplitDirection direction, SplitNodePtr first,
                              SplitNodePtr second, double ratio = 0.5);

    Kind kind() const { return kind_; }
    bool isTerminal() const { return kind_ == Kind::terminal; }
    // The terminal id of a leaf, the split's own identity otherwise.
    const Uuid& id() const { return id_; }
    // Split nodes only.
    SplitDirection direction() const { return direction_; }
    const SplitNodePtr& first() const { return first_; }
    const SplitNodePtr& second() const { return second_; }
    double ratio() const { return ratio_; }

    SplitNode(Kind kind, const Uuid& id, SplitDirection direction, SplitNodePtr first,
              SplitNodePtr second, double ratio);

private:
    Kind kind_;
    Uuid id_;
    SplitDirection direction_;
    SplitNodePtr first_;
    SplitNodePtr second_;
    double ratio_;
};

int paneCount(const SplitNodePtr& tree);
// Leaf ids in depth-first order; the first one is the top-left pane on screen.
std::vector<Uuid> allTerminalIds(const SplitNodePtr& tree);
// Replaces the leaf `target` by a split holding it first and a new leaf `newTerminalId` second.
SplitNodePtr splittingTerminal(const SplitNodePtr& tree, const Uuid& target, SplitDirection direction,
                               const Uuid& newTerminalId);
// Removes a leaf and collapses its parent split into the sibling; nullptr when no pane is left.
SplitNodePtr removingTerminal(const SplitNodePtr& tree, const Uuid& terminalId);

} // namespace tq
