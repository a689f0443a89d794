#pragma once

#include <cstdint>

namespace marquetrix::layout {

// The standard formats videos snap to (the 32-bit floats nearest to these decimals).
inline constexpr float kWide = 1.77778f;
inline constexpr float kStandard = 1.33333f;
inline constexpr float kPortrait = 0.5625f;
inline constexpr float kUltrawideTestCentre = 2.37f;
inline constexpr float kUltrawide = 2.35f;
inline constexpr float kSnapTolerance = 0.05f;

// A video's own ratio: the forced one when set, otherwise its picture's width / height.
inline float effectiveAspectRatio(float overriddenAR, std::int64_t width, std::int64_t height)
{
    if (overriddenAR != 0.0f)
        return overriddenAR;
    return static_cast<float>(width) / static_cast<float>(height);
}

// Common formats become equal, so their orderings are tried once.
float snapAspectRatio(float ratio);

// 1 for a perfect fit, growing as the fit worsens.
inline float mismatch(float a, float t)
{
    return a > t ? a / t : t / a;
}

// 1 for a perfect fit, falling towards 0.
inline float closeness(float a, float t)
{
    return a <= t ? a / t : t / a;
}

} // namespace marquetrix::layout
