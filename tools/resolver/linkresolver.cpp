#include "linkresolver.h"

#include "mediaextractor.h"
#include "medialink.h"

namespace marquetrix::resolver {

namespace {

// yt-dlp's lines are kept only when they are web URLs: a warning printed to the wrong
// stream must not reach a player as a link.
std::vector<std::string> webUrls(const std::vector<std::string> &lines)
{
    std::vector<std::string> urls;
    for (const std::string &line : lines) {
        if (const auto url = parseWebLink(line)) {
            urls.push_back(encodedUrl(*url));
        }
    }
    return urls;
}

} // namespace

LinkResolver::LinkResolver(std::chrono::milliseconds ytDlpTimeout,
                           std::chrono::milliseconds fetchTimeout, StopSwitch &stopSwitch)
    : m_ytDlp(ytDlpTimeout, stopSwitch), m_fetcher(fetchTimeout, stopSwitch)
{
}

Resolution LinkResolver::resolve(const QUrl &link) const
{
    Resolution resolution;
    const std::string encoded = encodedUrl(link);

    const YtDlpResult ytDlp = m_ytDlp.run(encoded);
    resolution.ytDlpNote = ytDlp.detail;
    if (ytDlp.outcome == YtDlpResult::Outcome::Found) {
        resolution.urls = webUrls(ytDlp.lines);
        if (!resolution.urls.empty()) {
            resolution.outcome = Resolution::Outcome::Found;
            resolution.source = "yt-dlp";
            return resolution;
        }
        resolution.ytDlpNote = "printed no web URL";
    }

    const FetchedPage page = m_fetcher.fetch(encoded);
    switch (page.outcome) {
    case FetchedPage::Outcome::Loaded:
        resolution.outcome = Resolution::Outcome::Found;
        resolution.source = "page";
        resolution.urls =
            extractMediaUrls(QUrl(QString::fromStdString(page.finalUrl)), page.body, page.charset);
        break;
    case FetchedPage::Outcome::TimedOut:
        resolution.outcome = Resolution::Outcome::PageTimedOut;
        resolution.error = page.error;
        break;
    case FetchedPage::Outcome::Failed:
        resolution.outcome = Resolution::Outcome::PageFailed;
        resolution.error = page.error;
        break;
    }
    return resolution;
}

} // namespace marquetrix::resolver
