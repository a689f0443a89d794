#include "scriptmedialinks.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace marquetrix::resolver {

namespace {

// Longer strings are data (inline images, bundles), not links.
constexpr std::size_t maxCandidateLength = 4096;

bool isQuote(char c)
{
    return c == '"' || c == '\'' || c == '`';
}

bool endsBareUrl(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) || isQuote(c) || c == '<' || c == '>' ||
           c == '(' || c == ')' || c == '\\' || c == ',' || c == ';';
}

bool startsWebUrl(std::string_view text)
{
    constexpr std::array prefixes{std::string_view("http://"), std::string_view("https://")};
    return std::any_of(prefixes.begin(), prefixes.end(), [&](std::string_view prefix) {
        return text.size() >= prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
                   return a == std::tolower(static_cast<unsigned char>(b));
               });
    });
}

// Undoes the escapes that scripts put into URLs ("\/", "\u002F", "\u0026"); any other
// escape means the string is not a plain link.
bool unescape(std::string_view raw, std::string &out)
{
    out.clear();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            return false;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        const std::string_view rest = raw.substr(i + 1);
        if (rest.substr(0, 1) == "/") {
            out += '/';
            i += 1;
        } else if (rest.substr(0, 5) == "u002F" || rest.substr(0, 5) == "u002f") {
            out += '/';
            i += 5;
        } else if (rest.substr(0, 5) == "u0026") {
            out += '&';
            i += 5;
        } else {
            return false;
        }
    }
    return !out.empty() && out.find('.') != std::string::npos;
}

// The end of the quoted string opening at `open`: its closing quote, or npos when the
// line or the length bound ends first.
std::size_t closingQuote(std::string_view script, std::size_t open)
{
    const char quote = script[open];
    const std::size_t limit = std::min(script.size(), open + 1 + maxCandidateLength);
    for (std::size_t i = open + 1; i < limit; ++i) {
        const char c = script[i];
        if (c == '\\') {
            ++i;
        } else if (c == quote) {
            return i;
        } else if (c == '\n') {
            return std::string_view::npos;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::vector<std::string> scriptLinkCandidates(std::string_view script)
{
    std::vector<std::string> found;
    std::string candidate;
    std::size_t i = 0;
    while (i < script.size()) {
        if (isQuote(script[i])) {
            const std::size_t close = closingQuote(script, i);
            // A rejected string is not skipped: a stray apostrophe in a comment would
            // otherwise hide the links up to the next quote.
            if (close != std::string_view::npos &&
                unescape(script.substr(i + 1, close - i - 1), candidate)) {
                found.push_back(candidate);
                i = close + 1;
                continue;
            }
        } else if (startsWebUrl(script.substr(i, 8))) {
            std::size_t end = i;
            while (end < script.size() && end - i < maxCandidateLength &&
                   !endsBareUrl(script[end])) {
                ++end;
            }
            found.emplace_back(script.substr(i, end - i));
            i = end;
            continue;
        }
        ++i;
    }
    return found;
}

} // namespace marquetrix::resolver
