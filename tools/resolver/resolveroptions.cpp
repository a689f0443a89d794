#include "resolveroptions.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace marquetrix::resolver {

namespace {

constexpr double maxTimeoutSeconds = 600;
// Below a millisecond a bound would round to 0, which the HTTP client takes as no bound.
constexpr double minTimeoutSeconds = 0.001;

template <typename Number> std::optional<Number> parseNumber(const std::string &text)
{
    Number value{};
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// ADDR:PORT, with IPv6 addresses in brackets as in a URL.
bool parseListen(const std::string &text, ResolverOptions &options)
{
    std::string host;
    std::string port;
    if (text.starts_with('[')) {
        const std::size_t close = text.find("]:");
        if (close == std::string::npos) {
            return false;
        }
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        const std::size_t colon = text.rfind(':');
        if (colon == std::string::npos) {
            return false;
        }
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    const std::optional<int> number = parseNumber<int>(port);
    if (host.empty() || !number || *number < 0 || *number > 65535) {
        return false;
    }
    options.host = host;
    options.port = *number;
    return true;
}

std::optional<std::chrono::milliseconds> parseSeconds(const std::string &text)
{
    const std::optional<double> seconds = parseNumber<double>(text);
    if (!seconds || !(*seconds >= minTimeoutSeconds) || *seconds > maxTimeoutSeconds) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(static_cast<long long>(std::round(*seconds * 1000)));
}

bool applyValue(const std::string &name, const std::string &value, ResolverOptions &options)
{
    if (name == "--listen") {
        return parseListen(value, options);
    }
    if (name == "--listen-fd") {
        const std::optional<int> fd = parseNumber<int>(value);
        if (!fd || *fd < 0) {
            return false;
        }
        options.listenFd = *fd;
        return true;
    }
    if (name == "--workers") {
        const std::optional<int> workers = parseNumber<int>(value);
        if (!workers || *workers < 1 || *workers > maxWorkers) {
            return false;
        }
        options.workers = *workers;
        return true;
    }
    const std::optional<std::chrono::milliseconds> bound = parseSeconds(value);
    if (!bound) {
        return false;
    }
    (name == "--yt-dlp-timeout" ? options.ytDlpTimeout : options.fetchTimeout) = *bound;
    return true;
}

bool takesValue(const std::string &name)
{
    return name == "--listen" || name == "--listen-fd" || name == "--workers" ||
           name == "--yt-dlp-timeout" || name == "--fetch-timeout";
}

} // namespace

ParsedOptions parseResolverOptions(const std::vector<std::string> &arguments)
{
    ParsedOptions parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == "--help" || name == "-h") {
            parsed.help = true;
        } else if (name == "--until-stdin-closes" && !value) {
            parsed.options.untilStdinCloses = true;
        } else if (takesValue(name)) {
            if (!value && i + 1 < arguments.size()) {
                value = arguments[++i];
            }
            if (!value) {
                parsed.error = name + " needs a value";
                return parsed;
            }
            if (!applyValue(name, *value, parsed.options)) {
                parsed.error = "invalid value for " + name + ": " + *value;
                return parsed;
            }
        } else {
            parsed.error = "unknown option: " + arguments[i];
            return parsed;
        }
    }
    return parsed;
}

std::string resolverUsage()
{
    return R"(Usage: marquetrix-resolver [options]

Finds the media on a web page for Marquetrix. Answers a POST of {"url": "<page link>"}
with {"urls": ["<media url>", ...]}: the URLs that yt-dlp (when installed) prints for
the link, or else those named by the page's HTML (video and source elements, og:video
tags, links and script strings naming media files), in the order found.

Options:
  --listen ADDR:PORT      where to serve (default 127.0.0.1:8765; port 0 picks a free
                          port; IPv6 as [::1]:8765). Serve a team behind a reverse
                          proxy that adds https.
  --listen-fd FD          serve on the listening socket FD that the parent process
                          opened (instead of --listen)
  --workers N             requests handled at once (default 8, at most 256); further
                          connections wait their turn
  --yt-dlp-timeout SEC    time bound for yt-dlp on one link (default 12; from 0.001
                          to 600); its processor time and memory (1 GiB) are bound too
  --fetch-timeout SEC     time bound for loading one page (default 6; from 0.001 to 600)
  --until-stdin-closes    stop when standard input closes (for a parent process)
  -h, --help              show this text

Prints "listening on http://ADDR:PORT/" on standard output once it accepts requests,
and one line per request on standard error.
)";
}

} // namespace marquetrix::resolver
