#pragma once

namespace marquetrix {

class Media;
class MediaListPlayer;
class MediaPlayer;

// Receives a player's events on the GUI thread, in the order the engine produced them.
// The player argument may be null (an event whose source is gone); handlers must cope.
class MediaPlayerDelegate
{
public:
    virtual ~MediaPlayerDelegate() = default;

    virtual void mediaPlayerStateChanged(MediaPlayer *player) = 0;
    virtual void mediaPlayerTimeChanged(MediaPlayer *player) = 0;
    virtual void mediaListPlayerNextMedia(MediaListPlayer *listPlayer, Media *media) = 0;
};

} // namespace marquetrix
