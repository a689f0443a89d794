#include "ratiorules.h"

#include <cmath>

namespace marquetrix::layout {

float snapAspectRatio(float r)
{
    // A zero, negative or infinite ratio (a missing picture dimension) has no usable shape
    // either: like a ratio that is not a number it takes the default one, so the video
    // still gets a visible tile.
    if (!std::isfinite(r) || r <= 0.0f || std::fabs(r - kWide) < kSnapTolerance)
        return kWide;
    if (std::fabs(r - kStandard) < kSnapTolerance)
        return kStandard;
    if (std::fabs(r - kPortrait) < kSnapTolerance)
        return kPortrait;
    // The widest formats (2.35 to 2.40) snap together; the test is centred between them.
    if (std::fabs(r - kUltrawideTestCentre) < kSnapTolerance)
        return kUltrawide;
    return r;
}

} // namespace marquetrix::layout
