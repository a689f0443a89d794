#pragma once

#include <string>

namespace marquetrix::layout {

// The shortest decimal text that reads back to the same 32-bit value, with at least one
// digit after the point ("1.0", "1.77778", "3.1111102"); very large and very small
// magnitudes in exponent form ("1e-05").
std::string formatFloat(float value);

} // namespace marquetrix::layout
