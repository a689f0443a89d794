#pragma once

namespace marquetrix {

// The speeds a tile steps through, from a quarter to four times normal speed.
class PlaybackRate
{
public:
    static constexpr float normal = 1;
    // The next step above (direction > 0) or below (direction < 0) the rate, which may lie
    // between steps; the fastest and slowest steps stay where they are. Direction 0: normal.
    static float step(float rate, int direction);
};

} // namespace marquetrix
