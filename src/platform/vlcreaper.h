#pragma once

#include <chrono>
#include <functional>
#include <future>

namespace marquetrix {

// Runs the libVLC calls that can take seconds off the GUI thread: stopping a player joins
// its input thread, which a busy stream (a playlist of thousands of segments, a server
// that stopped sending) holds for as long as it likes.
class VlcReaper
{
public:
    // Runs job on a thread of its own; the future is ready once the job and everything it
    // captured are gone.
    static std::shared_future<void> run(std::function<void()> job);
    // Waits at most bound for every job; false when some are still running. At exit the
    // process need not wait longer: what a job would release goes with the process.
    static bool waitForAll(std::chrono::milliseconds bound);
    // Gives the heap that released players freed back to the system; glibc keeps it
    // otherwise, hundreds of MB after a few tiles of HD video.
    static void trimHeap();
};

} // namespace marquetrix
