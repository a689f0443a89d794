#include "layoutcommand.h"

#include "floatformat.h"
#include "layoutsearch.h"
#include "placement.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <sstream>

namespace marquetrix::layout {

namespace {

constexpr const char *kUsage =
    "usage: marquetrix-layout [--area WxH] [--objective screen|balanced|sizes] [--json] VIDEO...\n"
    "  VIDEO is WxH (picture size in pixels) or ar:R (a forced aspect ratio R),\n"
    "  either with an optional closed: prefix (a closed video).\n"
    "  Defaults: --area 1600x1000 --objective balanced\n";

struct CollectingSink final : LogSink
{
    void log(LogLevel level, const std::string &message) override
    {
        static constexpr const char *kLevelNames[] = {"debug", "info", "error"};
        lines.push_back(std::string(kLevelNames[static_cast<int>(level)]) + ": " + message);
    }
    std::vector<std::string> lines;
};

template <typename Number> std::optional<Number> parseNumber(std::string_view text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "WxH" with positive whole numbers.
std::optional<std::pair<std::int64_t, std::int64_t>> parseSize(std::string_view text)
{
    const auto x = text.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    const auto width = parseNumber<std::int64_t>(text.substr(0, x));
    const auto height = parseNumber<std::int64_t>(text.substr(x + 1));
    if (!width || !height || *width <= 0 || *height <= 0)
        return std::nullopt;
    return std::pair{*width, *height};
}

std::optional<VideoInput> parseVideo(std::string_view text)
{
    VideoInput video;
    if (text.starts_with("closed:")) {
        video.isClosed = true;
        text.remove_prefix(7);
    }
    video.title = std::string(text);
    if (text.starts_with("ar:")) {
        const auto ratio = parseNumber<float>(text.substr(3));
        if (!ratio || !std::isfinite(*ratio) || *ratio <= 0)
            return std::nullopt;
        video.overriddenAR = *ratio;
        return video;
    }
    const auto size = parseSize(text);
    if (!size)
        return std::nullopt;
    video.width = size->first;
    video.height = size->second;
    return video;
}

std::string jsonString(const std::string &text)
{
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            quoted += escaped;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

std::string jsonNumber(float value)
{
    return std::isfinite(value) ? formatFloat(value) : "null";
}

// The command line: what to search, how to print it, or why not.
struct Arguments
{
    SearchInput input;
    bool json = false;
    bool help = false;
    // Bad arguments: the message, without the usage that follows it.
    std::string error;
};

Arguments parseArguments(const std::vector<std::string> &arguments)
{
    Arguments parsed;
    SearchInput &input = parsed.input;
    input.viewWidth = 1600;
    input.viewHeight = 1000;
    for (std::size_t k = 0; k < arguments.size(); ++k) {
        const std::string &argument = arguments[k];
        const bool hasValue = k + 1 < arguments.size();
        if (argument == "--help" || argument == "-h") {
            parsed.help = true;
            return parsed;
        } else if (argument == "--json") {
            parsed.json = true;
        } else if (argument == "--area" && hasValue) {
            const auto size = parseSize(arguments[++k]);
            if (!size) {
                parsed.error = "marquetrix-layout: --area takes WxH with positive whole numbers, "
                               "not '" +
                               arguments[k] + "'\n";
                return parsed;
            }
            input.viewWidth = static_cast<float>(size->first);
            input.viewHeight = static_cast<float>(size->second);
        } else if (argument == "--objective" && hasValue) {
            const std::string &name = arguments[++k];
            if (name == "screen")
                input.layoutAlgorithm = LayoutAlgorithm::ScreenUsage;
            else if (name == "balanced")
                input.layoutAlgorithm = LayoutAlgorithm::Balanced;
            else if (name == "sizes")
                input.layoutAlgorithm = LayoutAlgorithm::VideoSizes;
            else {
                parsed.error = "marquetrix-layout: unknown objective '" + name +
                               "' (screen, balanced or sizes)\n";
                return parsed;
            }
        } else if (argument.starts_with("--")) {
            parsed.error =
                "marquetrix-layout: unknown option or missing value: '" + argument + "'\n";
            return parsed;
        } else if (const auto video = parseVideo(argument)) {
            input.videos.push_back(*video);
        } else {
            parsed.error = "marquetrix-layout: not a video: '" + argument +
                           "' (expected WxH or ar:R, optionally closed:)\n";
            return parsed;
        }
    }
    if (input.videos.empty())
        parsed.error = "marquetrix-layout: no videos given\n";
    return parsed;
}

std::string jsonReport(const Node &tree, const std::vector<TilePlacement> &tiles,
                       const SearchReport &report, const std::vector<std::string> &log)
{
    std::ostringstream text;
    text << "{\"tree\":" << jsonString(tree.description())
         << ",\"aspectRatio\":" << jsonNumber(tree.aspectRatio())
         << ",\"sizeRatio\":" << jsonNumber(tree.sizeRatio()) << ",\"shares\":[";
    const std::vector<float> shares = tree.sizes();
    for (std::size_t k = 0; k < shares.size(); ++k)
        text << (k ? "," : "") << jsonNumber(shares[k]);
    text << "],\"tiles\":[";
    for (std::size_t k = 0; k < tiles.size(); ++k) {
        const TilePlacement &tile = tiles[k];
        text << (k ? "," : "")
             << "{\"video\":" << (tile.video ? std::to_string(*tile.video) : "null")
             << ",\"x\":" << jsonNumber(tile.x) << ",\"y\":" << jsonNumber(tile.y)
             << ",\"width\":" << jsonNumber(tile.width) << ",\"height\":" << jsonNumber(tile.height)
             << "}";
    }
    text << "],\"candidates\":" << report.candidates << ",\"log\":[";
    for (std::size_t k = 0; k < log.size(); ++k)
        text << (k ? "," : "") << jsonString(log[k]);
    text << "],\"micros\":" << report.micros << "}\n";
    return text.str();
}

std::string textReport(const Node &tree, const std::vector<TilePlacement> &tiles,
                       const SearchReport &report, const std::vector<VideoInput> &videos)
{
    std::ostringstream text;
    text << tree.description() << "\n";
    text << "aspect ratio " << formatFloat(tree.aspectRatio()) << ", size ratio "
         << formatFloat(tree.sizeRatio()) << ", " << report.candidates << " candidates, "
         << report.micros << " µs" << (report.bounded ? " (bounded)" : "") << "\n";
    for (const TilePlacement &tile : tiles) {
        text << "  " << (tile.video ? videos[*tile.video].title : "(empty)") << ": "
             << formatFloat(tile.width) << "x" << formatFloat(tile.height) << " at "
             << formatFloat(tile.x) << "," << formatFloat(tile.y) << " (share "
             << formatFloat(tile.share) << ")\n";
    }
    return text.str();
}

} // namespace

int runLayoutCommand(const std::vector<std::string> &arguments, std::string &out, std::string &err)
{
    const Arguments parsed = parseArguments(arguments);
    if (parsed.help) {
        out = kUsage;
        return 0;
    }
    if (!parsed.error.empty()) {
        err = parsed.error + kUsage;
        return 2;
    }

    const SearchInput &input = parsed.input;
    LayoutCache cache;
    CollectingSink sink;
    SearchReport report;
    const NodePtr tree = findLayout(input, cache, sink, &report);
    const std::vector<TilePlacement> tiles =
        placeTiles(tree, input.videos, input.viewWidth, input.viewHeight, sink);
    out = parsed.json ? jsonReport(*tree, tiles, report, sink.lines)
                      : textReport(*tree, tiles, report, input.videos);
    return 0;
}

} // namespace marquetrix::layout
