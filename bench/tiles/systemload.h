#pragma once

#include <QString>

namespace marquetrix::bench {

// CPU seconds (user + system, all threads) a process has used so far; negative when it is gone.
double processCpuSeconds(qint64 pid);

// The system's load average over the last minute.
double loadAverage();

} // namespace marquetrix::bench
