#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace marquetrix::resolver {

// Strings in a script's text that could be links: quoted strings on one line and bare
// http(s) URLs, without white space, with the escaped slashes of JSON undone. In the
// order found; the caller keeps those that lead to media. Scanned by hand, not with a
// regular expression, because pages are large and the scan has to stay linear.
std::vector<std::string> scriptLinkCandidates(std::string_view script);

} // namespace marquetrix::resolver
