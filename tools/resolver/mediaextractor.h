#pragma once

#include <QUrl>
#include <string>
#include <string_view>
#include <vector>

namespace marquetrix::resolver {

// The media URLs on an HTML page, absolute and in document order, each once: the
// sources of <video> elements and their <source> children, og:video meta tags, links
// to media files, and media URLs in script text. pageUrl is where the page was
// finally loaded from; a <base href> on the page takes precedence, as in a browser.
// charset is the one the server named for the page (it outranks the page's own <meta
// charset>); empty leaves the choice to the page.
std::vector<std::string> extractMediaUrls(const QUrl &pageUrl, std::string_view html,
                                          const std::string &charset = {});

} // namespace marquetrix::resolver
