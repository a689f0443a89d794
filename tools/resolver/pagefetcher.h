#pragma once

#include <chrono>
#include <string>

namespace marquetrix::resolver {

class StopSwitch;

struct FetchedPage
{
    enum class Outcome
    {
        Loaded,
        Failed,
        TimedOut
    };

    Outcome outcome = Outcome::Failed;
    // Where the page came from after redirects: relative links resolve against it.
    std::string finalUrl;
    std::string body;
    // The charset named by the Content-Type header; empty when it names none.
    std::string charset;
    // Why the page could not be had, for the requester and the log.
    std::string error;
};

// Loads a web page with libcurl, bounded in time and size: http(s) only, also across
// redirects; a body over the size bound is cut, not refused, since the links a page
// names usually sit near its start. A stop of the service ends the transfer.
class PageFetcher
{
public:
    static constexpr std::size_t maxBodyBytes = 4 * 1024 * 1024;

    PageFetcher(std::chrono::milliseconds timeout, const StopSwitch &stopSwitch);

    FetchedPage fetch(const std::string &url) const;

private:
    std::chrono::milliseconds m_timeout;
    const StopSwitch &m_stopSwitch;
};

} // namespace marquetrix::resolver
