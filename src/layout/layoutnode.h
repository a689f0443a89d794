#pragma once

#include "layoutdirection.h"
#include "node.h"

namespace marquetrix::layout {

// An inner node: splits its box between two children that exactly fill it, so its
// aspect ratio follows from theirs and is fixed at construction.
class LayoutNode final : public Node
{
public:
    LayoutNode(NodePtr first, NodePtr second, LayoutDirection direction);

    float aspectRatio() const override { return m_aspectRatio; }
    void distributeSize(float share) override;
    std::vector<float> sizes() const override;
    float sizeRatio() const override { return m_sizeRatio; }
    bool isLeaf() const override { return false; }
    void setSize(float) override {}
    std::string description() const override;

    const NodePtr first;
    const NodePtr second;
    const LayoutDirection direction;
    // Kept for the record's shape; the search does not use them.
    float arScore = 0.0f;
    float sizeScore = 0.0f;
    bool firstIsLeaf = false;
    bool secondIsLeaf = false;

private:
    const float m_aspectRatio;
    float m_sizeRatio = 1.0f;
};

} // namespace marquetrix::layout
