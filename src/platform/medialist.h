#pragma once

#include <memory>

namespace marquetrix {

class Media;

// Indexed list of media; a tile's list holds exactly one.
class MediaList
{
public:
    virtual ~MediaList() = default;

    virtual int count() const = 0;
    // nullptr when the index is out of range.
    virtual std::shared_ptr<Media> mediaAtIndex(int index) const = 0;
    virtual void removeMediaAtIndex(int index) = 0;
};

} // namespace marquetrix
