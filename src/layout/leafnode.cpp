#include "leafnode.h"

#include "floatformat.h"

namespace marquetrix::layout {

LeafNode::LeafNode(float aspectRatio_, float size_) : aspectRatio(aspectRatio_), size(size_) {}

std::string LeafNode::description() const
{
    return "Leaf: (" + formatFloat(aspectRatio) + ")";
}

} // namespace marquetrix::layout
