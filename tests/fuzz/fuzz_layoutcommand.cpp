// The marquetrix-layout command's arguments, one per input line, with --json in front so that
// the answer can be checked.

#include "layoutcommand.h"
#include "fuzzcheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace marquetrix::layout;

using marquetrix::fuzz::check;

namespace {

// The view's size as the command took it: its default, or the last --area.
std::pair<double, double> area(const std::vector<std::string> &arguments)
{
    std::pair<double, double> size{1600, 1000};
    for (size_t k = 0; k + 1 < arguments.size(); ++k) {
        if (arguments[k] == "--objective") {
            ++k;
        } else if (arguments[k] == "--area") {
            const std::string &value = arguments[++k];
            const size_t x = value.find('x');
            size = {std::stod(value.substr(0, x)), std::stod(value.substr(x + 1))};
        }
    }
    return size;
}

// The layout search grows with the number of videos, and up to seven of them it is
// exhaustive: seven with one extreme shape take over a second. Its cost is for the
// benchmarks; the arguments and the answer are what is fuzzed here.
constexpr size_t maxArguments = 6;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<std::string> arguments{"--json"};
    const std::string input(reinterpret_cast<const char *>(data), size);
    size_t start = 0;
    while (start <= input.size() && arguments.size() <= maxArguments) {
        const size_t end = std::min(input.find('\n', start), input.size());
        arguments.push_back(input.substr(start, end - start));
        start = end + 1;
    }

    std::string out;
    std::string err;
    const int status = runLayoutCommand(arguments, out, err);
    check(status == 0 || status == 2, "an exit status other than 0 or 2");
    if (status == 2) {
        check(!err.empty() && out.empty(), "bad arguments without a message, or with an answer");
        return 0;
    }
    check(err.empty(), "a message with a successful answer");
    if (out.starts_with("usage:"))
        return 0;

    QJsonParseError parseError{};
    const QJsonDocument answer =
        QJsonDocument::fromJson(QByteArray::fromStdString(out), &parseError);
    check(parseError.error == QJsonParseError::NoError && answer.isObject(),
          "the JSON answer is not a JSON object");
    // Tiles lie in the view, give or take the rounding of float sums.
    const auto [width, height] = area(arguments);
    const double slack = std::max(0.5, 1e-4 * std::max(width, height));
    for (const QJsonValue &tileValue : answer.object().value(QLatin1String("tiles")).toArray()) {
        const QJsonObject tile = tileValue.toObject();
        for (const char *key : {"x", "y", "width", "height"})
            check(tile.value(QLatin1String(key)).isDouble(), "a tile coordinate is not a number");
        const double x = tile.value(QLatin1String("x")).toDouble();
        const double y = tile.value(QLatin1String("y")).toDouble();
        const double w = tile.value(QLatin1String("width")).toDouble();
        const double h = tile.value(QLatin1String("height")).toDouble();
        check(w >= 0 && h >= 0, "a tile of negative size");
        check(x >= -slack && y >= -slack && x + w <= width + slack && y + h <= height + slack,
              "a tile outside the view");
    }
    return 0;
}
