#pragma once

#include <QString>

namespace marquetrix::bench {

// CPU seconds (user + system, all threads) a process has used so far; negative when it is gone.
double processCpuSeconds(qint64 pid);

// CPU seconds this process's window threads have used so far: what the window costs, apart
// from decoding.
struct WindowCpu
{
    // Events, bindings and the scene's sync; also the drawing when the CPU draws unthreaded.
    double gui = 0;
    // The drawing threads of the scene graph and of Mesa.
    double render = 0;
};
WindowCpu windowCpuSeconds();

// The system's load average over the last minute.
double loadAverage();

// The X server of $DISPLAY when it runs on this machine, else 0: it copies every frame the
// windows swap in, and that work is in neither our process nor the players'.
qint64 xServerPid();

} // namespace marquetrix::bench
