// The resolver's page reader on arbitrary pages. An optional first line "charset=NAME" is
// the charset the server named; the rest is the page.

#include "mediaextractor.h"
#include "fuzzcheck.h"
#include "medialink.h"
#include "scriptmedialinks.h"

#include <QString>
#include <cstdlib>
#include <set>
#include <string_view>

using namespace marquetrix::resolver;

using marquetrix::fuzz::check;

namespace {

bool hasBlank(std::string_view text)
{
    return text.find_first_of(" \t\n\r\f\v") != std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    std::string charset;
    if (input.starts_with("charset=")) {
        const size_t end = std::min(input.find('\n'), input.size());
        charset = std::string(input.substr(8, end - 8));
        input.remove_prefix(std::min(end + 1, input.size()));
    }

    static const QUrl page(QStringLiteral("https://example.com/videos/page.html"));
    const std::vector<std::string> urls = extractMediaUrls(page, input, charset);
    std::set<std::string> seen;
    for (const std::string &url : urls) {
        const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
        check(isWebUrl(parsed), "an extracted URL is not absolute http(s) with a host");
        check(!hasBlank(url), "an extracted URL holds white space");
        check(encodedUrl(parsed) == url, "an extracted URL is not in its encoded form");
        check(seen.insert(url).second, "an extracted URL is listed twice");
    }

    // The same bytes as a script: candidates are what the page reader resolves further.
    for (const std::string &candidate : scriptLinkCandidates(input)) {
        check(!candidate.empty(), "an empty script candidate");
        check(!hasBlank(candidate), "a script candidate holds white space");
        if (const auto resolved = resolveReference(page, candidate))
            check(isWebUrl(*resolved), "a resolved reference is not absolute http(s)");
    }
    return 0;
}
