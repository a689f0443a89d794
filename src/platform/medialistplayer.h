#pragma once

#include <memory>

namespace marquetrix {

class Media;
class MediaList;
class MediaPlayer;

// Plays the one media of a tile. play, pause and stop return at once; their effect
// arrives later through the player's delegate.
class MediaListPlayer
{
public:
    virtual ~MediaListPlayer() = default;

    virtual void setMediaList(std::shared_ptr<MediaList> list) = 0;
    virtual std::shared_ptr<MediaList> mediaList() const = 0;
    virtual void setRootMedia(std::shared_ptr<Media> media) = 0;

    // 0: no repeat, 1: repeat the current item.
    virtual void setRepeatMode(int mode) = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;

    // Owned by the list player; lives as long as it.
    virtual MediaPlayer *mediaPlayer() const = 0;
};

} // namespace marquetrix
