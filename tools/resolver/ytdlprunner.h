#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace marquetrix::resolver {

struct YtDlpResult
{
    enum class Outcome
    {
        Found,
        NotInstalled,
        Failed,
        TimedOut
    };

    Outcome outcome = Outcome::Failed;
    // The URLs yt-dlp printed, one a line, in its order.
    std::vector<std::string> lines;
    // Exit status or signal, for the log.
    std::string detail;
};

// Runs yt-dlp (looked up on PATH) for one link, bounded in time. The program gets an
// argument list with "--" before the link, never a shell line, so no link can become an
// option or a command; it runs in a process group of its own, killed whole at the bound.
class YtDlpRunner
{
public:
    explicit YtDlpRunner(std::chrono::milliseconds timeout);

    static std::vector<std::string> arguments(const std::string &link);

    YtDlpResult run(const std::string &link) const;

private:
    std::chrono::milliseconds m_timeout;
};

} // namespace marquetrix::resolver
