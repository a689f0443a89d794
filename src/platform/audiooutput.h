#pragma once

namespace marquetrix {

// The player's audio object. Volume runs from 0 to 100.
class AudioOutput
{
public:
    virtual ~AudioOutput() = default;

    virtual int volume() const = 0;
    virtual void setVolume(int volume) = 0;
    virtual bool isMuted() const = 0;
    virtual void setMuted(bool muted) = 0;
};

} // namespace marquetrix
