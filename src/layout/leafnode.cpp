#include "leafnode.h"

#include "floatformat.h"

namespace marquetrix::layout {

LeafNode::LeafNode(float aspectRatio, float size) : m_aspectRatio(aspectRatio), m_size(size) {}

std::string LeafNode::description() const
{
    return "Leaf: (" + formatFloat(m_aspectRatio) + ")";
}

} // namespace marquetrix::layout
