#pragma once

#include "pagefetcher.h"
#include "ytdlprunner.h"

#include <QUrl>
#include <string>
#include <vector>

namespace marquetrix::resolver {

struct Resolution
{
    enum class Outcome
    {
        Found,
        PageFailed,
        PageTimedOut
    };

    Outcome outcome = Outcome::PageFailed;
    // Media URLs in the order found; may be empty when the page holds none.
    std::vector<std::string> urls;
    // What answered ("yt-dlp" or "page") or why nothing could, for the log.
    std::string source;
    std::string error;
    std::string ytDlpNote;
};

// Finds the media behind a page link: yt-dlp first (it knows the sites that build their
// players in scripts), then the page's own markup.
class LinkResolver
{
public:
    LinkResolver(std::chrono::milliseconds ytDlpTimeout, std::chrono::milliseconds fetchTimeout,
                 StopSwitch &stopSwitch);

    Resolution resolve(const QUrl &link) const;

private:
    YtDlpRunner m_ytDlp;
    PageFetcher m_fetcher;
};

} // namespace marquetrix::resolver
