// The resolver service's request body: {"url": "<page link>"}.

#include "fuzzcheck.h"
#include "linkrequest.h"
#include "medialink.h"

using namespace marquetrix::resolver;
using marquetrix::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const LinkRequest request =
        parseLinkRequest(std::string_view(reinterpret_cast<const char *>(data), size));
    check(request.link.has_value() == request.error.empty(),
          "a request is both accepted and refused, or neither");
    if (!request.link)
        return 0;
    check(request.linkText && isWebUrl(*request.link), "an accepted link is not absolute http(s)");
    // What the service hands on (to yt-dlp, the fetcher, the client) reads back as itself.
    const std::string encoded = encodedUrl(*request.link);
    const auto again = parseWebLink(encoded);
    check(again && encodedUrl(*again) == encoded, "an accepted link's encoded form is not stable");
    return 0;
}
