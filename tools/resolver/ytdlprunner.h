#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace marquetrix::resolver {

class StopSwitch;

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

// Runs yt-dlp (looked up on PATH) for one link, bounded in time, memory and processor
// time. The program gets an argument list with "--" before the link, never a shell line,
// so no link can become an option or a command; it runs in a process group of its own,
// killed whole at the bound or when the service stops.
class YtDlpRunner
{
public:
    // Python and its libraries take about 100 MB; a gigabyte is a page gone wrong.
    static constexpr unsigned long kMaxAddressSpace = 1024UL * 1024 * 1024;

    YtDlpRunner(std::chrono::milliseconds timeout, StopSwitch &stopSwitch);

    static std::vector<std::string> arguments(const std::string &link);

    YtDlpResult run(const std::string &link) const;

private:
    std::chrono::milliseconds m_timeout;
    StopSwitch &m_stopSwitch;
};

} // namespace marquetrix::resolver
