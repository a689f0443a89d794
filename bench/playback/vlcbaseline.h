#pragma once

#include "benchcase.h"

namespace marquetrix::bench {

enum class Baseline
{
    // libVLC's video callbacks into buffers that are dropped: decoding plus VLC's copy.
    Callbacks,
    // libVLC's dummy video output: decoding alone.
    DummyOutput,
};

// Plays the case on plain libVLC, with nothing of ours in between.
RunResult runBaseline(const BenchCase &benchCase, const QString &clip, Baseline baseline);

} // namespace marquetrix::bench
