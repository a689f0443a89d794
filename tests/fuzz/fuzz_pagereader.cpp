// The resolver's page reader on arbitrary pages. An optional first line "charset=NAME" is
// the charset the server named; the rest is the page.

#include "fuzzcheck.h"
#include "mediaextractor.h"
#include "medialink.h"
#include "scriptmedialinks.h"

#include <set>

using namespace marquetrix::resolver;
using marquetrix::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    std::string charset;
    if (input.starts_with("charset=")) {
        const size_t end = std::min(input.find('\n'), input.size());
        charset = input.substr(8, end - 8);
        input.remove_prefix(std::min(end + 1, input.size()));
    }
    const auto blank = [](std::string_view text) {
        return text.find_first_of(" \t\n\r\f\v") != std::string_view::npos;
    };
    static const QUrl page("https://example.com/videos/page.html");
    std::set<std::string> seen;
    for (const std::string &url : extractMediaUrls(page, input, charset)) {
        const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
        check(isWebUrl(parsed) && encodedUrl(parsed) == url && !blank(url) &&
                  seen.insert(url).second,
              "an extracted URL is not absolute http(s) in its encoded form, or listed twice");
    }
    // The same bytes as a script: candidates are what the page reader resolves further.
    for (const std::string &candidate : scriptLinkCandidates(input)) {
        check(!candidate.empty() && !blank(candidate), "an empty or blank script candidate");
        if (const auto resolved = resolveReference(page, candidate))
            check(isWebUrl(*resolved), "a resolved reference is not absolute http(s)");
    }
    return 0;
}
