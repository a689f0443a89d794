#include "floatformat.h"

#include <charconv>
#include <cmath>

namespace marquetrix::layout {

std::string formatFloat(float value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";

    const float magnitude = std::fabs(value);
    const bool exponent = magnitude != 0.0f && (magnitude < 1e-4f || magnitude > 16777216.0f);
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value,
                      exponent ? std::chars_format::scientific : std::chars_format::fixed);
    std::string text(buffer, result.ptr);
    if (!exponent && text.find('.') == std::string::npos)
        text += ".0";
    return text;
}

} // namespace marquetrix::layout
