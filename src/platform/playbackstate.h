#pragma once

namespace marquetrix {

// The engine's player states by meaning. Callers compare against these names,
// never against the numbers of any particular engine.
enum class PlaybackState {
    Stopped,
    Opening,
    Buffering,
    Playing,
    Paused,
    Ended,
    Error,
};

} // namespace marquetrix
