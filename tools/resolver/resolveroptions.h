#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace marquetrix::resolver {

inline constexpr int maxWorkers = 256;

struct ResolverOptions
{
    std::string host = "127.0.0.1";
    // 0 asks the system for a free port (the embedded service does).
    int port = 8765;
    int workers = 8;
    // The two bounds add up to less than the 20 seconds a client waits for one attempt.
    std::chrono::milliseconds ytDlpTimeout{12000};
    std::chrono::milliseconds fetchTimeout{6000};
    // A listening socket handed over by the parent, used instead of binding; -1 for none.
    int listenFd = -1;
    bool untilStdinCloses = false;
};

struct ParsedOptions
{
    ResolverOptions options;
    bool help = false;
    // Empty when the arguments were understood.
    std::string error;
};

ParsedOptions parseResolverOptions(const std::vector<std::string> &arguments);

std::string resolverUsage();

} // namespace marquetrix::resolver
