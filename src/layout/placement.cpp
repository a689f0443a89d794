#include "placement.h"

#include "layoutnode.h"
#include "leafnode.h"
#include "remainingviewscontainer.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace marquetrix::layout {

namespace {

// Sizes each subtree bottom-up as its stacks would, then positions top-down. A node
// stands once in a tree, so its measured size can be keyed by its address.
class Placer
{
public:
    Placer(BoxSize box_, RemainingViewsContainer &remaining_, LogSink &log_)
        : box(box_), remaining(remaining_), log(log_)
    {
    }

    BoxSize measure(const Node &node)
    {
        BoxSize size{0, 0};
        if (const auto *leaf = dynamic_cast<const LeafNode *>(&node)) {
            TilePlacement tile{remaining.takeView(leaf->aspectRatio(), log),
                               leaf->aspectRatio(),
                               leaf->size(),
                               0,
                               0,
                               0,
                               0};
            if (tile.video) {
                tile.width = std::sqrt(box.width * box.height * leaf->size() * leaf->aspectRatio());
                tile.height = tile.width / leaf->aspectRatio();
            } else {
                log.log(LogLevel::Error, formatLog("Failed to find view with aspect ratio %f",
                                                   double(leaf->aspectRatio())));
            }
            tiles.push_back(tile);
            size = {tile.width, tile.height};
        } else if (const auto *inner = dynamic_cast<const LayoutNode *>(&node)) {
            const BoxSize first = measure(*inner->first);
            const BoxSize second = measure(*inner->second);
            size = inner->direction == LayoutDirection::Horizontal
                       ? BoxSize{first.width + second.width, std::max(first.height, second.height)}
                       : BoxSize{std::max(first.width, second.width), first.height + second.height};
        }
        sizes[&node] = size;
        return size;
    }

    void position(const Node &node, float x, float y)
    {
        if (dynamic_cast<const LeafNode *>(&node)) {
            tiles[placed].x = x;
            tiles[placed].y = y;
            ++placed;
            return;
        }
        const auto *inner = dynamic_cast<const LayoutNode *>(&node);
        if (!inner)
            return;
        const BoxSize whole = sizes.at(&node);
        const BoxSize first = sizes.at(inner->first.get());
        const BoxSize second = sizes.at(inner->second.get());
        if (inner->direction == LayoutDirection::Horizontal) {
            position(*inner->first, x, y + (whole.height - first.height) / 2);
            position(*inner->second, x + first.width, y + (whole.height - second.height) / 2);
        } else {
            position(*inner->first, x + (whole.width - first.width) / 2, y);
            position(*inner->second, x + (whole.width - second.width) / 2, y + first.height);
        }
    }

    std::vector<TilePlacement> tiles;

private:
    BoxSize box;
    RemainingViewsContainer &remaining;
    LogSink &log;
    std::unordered_map<const Node *, BoxSize> sizes;
    std::size_t placed = 0;
};

} // namespace

BoxSize fitLayoutSize(float areaRatio, float layoutRatio, float viewWidth, float viewHeight)
{
    if (layoutRatio < areaRatio)
        return {viewHeight * layoutRatio, viewHeight};
    return {viewWidth, viewWidth / layoutRatio};
}

std::vector<TilePlacement> placeTiles(const NodePtr &tree, const std::vector<VideoInput> &videos,
                                      float viewWidth, float viewHeight, LogSink &log)
{
    if (!tree || (!dynamic_cast<const LeafNode *>(tree.get()) &&
                  !dynamic_cast<const LayoutNode *>(tree.get())))
        return {};
    const BoxSize box =
        fitLayoutSize(viewWidth / viewHeight, tree->aspectRatio(), viewWidth, viewHeight);
    RemainingViewsContainer remaining(videos);
    Placer placer(box, remaining, log);
    const BoxSize measured = placer.measure(*tree);
    placer.position(*tree, (viewWidth - measured.width) / 2, (viewHeight - measured.height) / 2);
    return std::move(placer.tiles);
}

} // namespace marquetrix::layout
