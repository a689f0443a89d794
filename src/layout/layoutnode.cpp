#include "layoutnode.h"

#include "floatformat.h"
#include "splitgeometry.h"

namespace marquetrix::layout {

LayoutNode::LayoutNode(NodePtr first_, NodePtr second_, LayoutDirection direction_)
    : first(std::move(first_)), second(std::move(second_)), direction(direction_),
      m_aspectRatio(combinedAspectRatio(first->aspectRatio(), second->aspectRatio(), direction))
{
}

void LayoutNode::distributeSize(float share)
{
    const auto fractions = childFractions(first->aspectRatio(), second->aspectRatio(), direction);
    for (auto [child, fraction] :
         {std::pair{first.get(), fractions.first}, std::pair{second.get(), fractions.second}}) {
        if (child->isLeaf())
            child->setSize(fraction * share);
        else
            child->distributeSize(fraction * share);
    }
    m_sizeRatio = shareRatio(sizes());
}

std::vector<float> LayoutNode::sizes() const
{
    std::vector<float> result = first->sizes();
    const std::vector<float> tail = second->sizes();
    result.insert(result.end(), tail.begin(), tail.end());
    return result;
}

std::string LayoutNode::description() const
{
    return std::string(direction == LayoutDirection::Horizontal ? "H" : "V") + " First: (" +
           first->description() + "), Second: (" + second->description() +
           "), AR: " + formatFloat(m_aspectRatio);
}

} // namespace marquetrix::layout
