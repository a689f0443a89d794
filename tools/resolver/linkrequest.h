#pragma once

#include <QUrl>
#include <optional>
#include <string>
#include <string_view>

namespace marquetrix::resolver {

// A request body as the service reads it: {"url": "<http(s) page link>"}.
struct LinkRequest
{
    // The page to resolve; empty when the body is refused.
    std::optional<QUrl> link;
    // The "url" member as sent, when it is a string: the log names a refused link.
    std::optional<std::string> linkText;
    // Why the body is refused, for the client.
    std::string error;
};

LinkRequest parseLinkRequest(std::string_view body);

} // namespace marquetrix::resolver
