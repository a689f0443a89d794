#pragma once

#include "node.h"

namespace marquetrix::layout {

// One video slot: its aspect ratio and its share of the whole layout's area.
class LeafNode final : public Node
{
public:
    explicit LeafNode(float aspectRatio, float size = 1.0f);

    float aspectRatio() const override { return m_aspectRatio; }
    void distributeSize(float) override {}
    std::vector<float> sizes() const override { return {m_size}; }
    float sizeRatio() const override { return 1.0f; }
    bool isLeaf() const override { return true; }
    void setSize(float share) override { m_size = share; }
    float size() const { return m_size; }
    std::string description() const override;

private:
    float m_aspectRatio;
    float m_size;
};

} // namespace marquetrix::layout
