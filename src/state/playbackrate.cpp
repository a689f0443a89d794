#include "playbackrate.h"

#include <array>

namespace marquetrix {

namespace {

constexpr std::array<float, 9> steps{0.25f, 0.5f, 0.75f, 1.0f, 1.25f, 1.5f, 2.0f, 3.0f, 4.0f};

} // namespace

float PlaybackRate::step(float rate, int direction)
{
    if (direction == 0)
        return normal;
    if (direction > 0) {
        for (float candidate : steps) {
            if (candidate > rate)
                return candidate;
        }
        return steps.back();
    }
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        if (*it < rate)
            return *it;
    }
    return steps.front();
}

} // namespace marquetrix
