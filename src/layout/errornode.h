#pragma once

#include "node.h"

namespace marquetrix::layout {

// The search's answer when there is nothing to lay out. Always stands alone.
class ErrorNode final : public Node
{
public:
    float aspectRatio() const override { return 1.0f; }
    void distributeSize(float) override {}
    std::vector<float> sizes() const override { return {}; }
    float sizeRatio() const override { return 1.0f; }
    bool isLeaf() const override { return true; }
    void setSize(float) override {}
    std::string description() const override { return "Error"; }
};

} // namespace marquetrix::layout
