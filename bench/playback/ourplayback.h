#pragma once

#include "benchcase.h"

namespace marquetrix::bench {

// Plays the case through our engine layer into QVideoSinks that receive every frame.
RunResult runOurs(const BenchCase &benchCase, const QString &clip);

} // namespace marquetrix::bench
