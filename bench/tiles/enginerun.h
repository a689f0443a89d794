#pragma once

#include <QString>

namespace marquetrix::bench {

struct BenchOptions;

struct EngineResult
{
    double cores = 0;
    double deliveredPerTile = 0;
};

// The players alone: each draws into a sink that nothing shows.
EngineResult runEngineAlone(const BenchOptions &options, int tiles, const QString &clip);

} // namespace marquetrix::bench
