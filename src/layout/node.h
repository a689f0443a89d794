#pragma once

#include <memory>
#include <string>
#include <vector>

namespace marquetrix::layout {

// A node of a binary split tree. Nodes are shared: one node may be the child of
// several inner nodes of several trees at once, so the shares held by leaves always
// belong to the tree that was distributed last.
class Node
{
public:
    virtual ~Node() = default;

    virtual float aspectRatio() const = 0;
    virtual void distributeSize(float share) = 0;
    // Area shares of the leaves under this node, depth first, first child before second.
    virtual std::vector<float> sizes() const = 0;
    virtual float sizeRatio() const = 0;
    virtual bool isLeaf() const = 0;
    virtual void setSize(float share) = 0;
    // Diagnostic text, e.g. "H First: (Leaf: (1.77778)), Second: (Leaf: (1.33333)), AR: 3.1111102".
    virtual std::string description() const = 0;
};

using NodePtr = std::shared_ptr<Node>;

} // namespace marquetrix::layout
