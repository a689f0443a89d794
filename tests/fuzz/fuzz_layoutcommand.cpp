// The marquetrix-layout command's arguments, one per input line, after --json.

#include "fuzzcheck.h"
#include "layoutcommand.h"

#include <QJsonDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Up to seven videos the search is exhaustive and slow on extreme shapes; its cost is for
    // the benchmarks, the arguments and the answer are what is fuzzed here.
    std::vector<std::string> arguments{"--json"};
    const std::string input(reinterpret_cast<const char *>(data), size);
    for (size_t start = 0; start <= input.size() && arguments.size() <= 6;) {
        const size_t end = std::min(input.find('\n', start), input.size());
        arguments.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    std::string out, err;
    const int status = marquetrix::layout::runLayoutCommand(arguments, out, err);
    marquetrix::fuzz::check(
        status == 0
            ? err.empty() && (out.starts_with("usage:") ||
                              QJsonDocument::fromJson(QByteArray::fromStdString(out)).isObject())
            : status == 2 && !err.empty() && out.empty(),
        "a wrong status, or an answer or a message that does not go with it");
    return 0;
}
