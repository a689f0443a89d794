#include "layoutnode.h"

#include "floatformat.h"
#include "splitgeometry.h"

namespace marquetrix::layout {

LayoutNode::LayoutNode(NodePtr first_, NodePtr second_, LayoutDirection direction_)
    : first(std::move(first_)), second(std::move(second_)), direction(direction_),
      aspectRatio(combinedAspectRatio(first->getAspectRatio(), second->getAspectRatio(), direction))
{
}

void LayoutNode::distributeSize(float share)
{
    const auto fractions =
        childFractions(first->getAspectRatio(), second->getAspectRatio(), direction);
    for (auto [child, fraction] :
         {std::pair{first.get(), fractions.first}, std::pair{second.get(), fractions.second}}) {
        if (child->isLeaf())
            child->setSize(fraction * share);
        else
            child->distributeSize(fraction * share);
    }
    sizeRatio = shareRatio(getSizes());
}

std::vector<float> LayoutNode::getSizes() const
{
    std::vector<float> sizes = first->getSizes();
    const std::vector<float> tail = second->getSizes();
    sizes.insert(sizes.end(), tail.begin(), tail.end());
    return sizes;
}

std::string LayoutNode::description() const
{
    return std::string(direction == LayoutDirection::Horizontal ? "H" : "V") + " First: (" +
           first->description() + "), Second: (" + second->description() +
           "), AR: " + formatFloat(aspectRatio);
}

} // namespace marquetrix::layout
