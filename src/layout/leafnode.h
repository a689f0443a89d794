#pragma once

#include "node.h"

namespace marquetrix::layout {

// One video slot: its aspect ratio and its share of the whole layout's area.
class LeafNode final : public Node
{
public:
    explicit LeafNode(float aspectRatio, float size = 1.0f);

    float getAspectRatio() const override { return aspectRatio; }
    void distributeSize(float) override {}
    std::vector<float> getSizes() const override { return {size}; }
    float getSizeRatio() const override { return 1.0f; }
    bool isLeaf() const override { return true; }
    void setSize(float share) override { size = share; }
    std::string description() const override;

    float aspectRatio;
    float size;
};

} // namespace marquetrix::layout
