#pragma once

#include <QUrl>

namespace marquetrix {

// Where resolver requests go when nothing is configured and the bundled service is missing.
inline constexpr auto kDefaultResolverUrl = "https://resolver.marquetrix.org/";

// The resolver service's base URL, first of: the setting `resolverUrl` (QSettings
// "Marquetrix"/"Marquetrix"), the environment variable MARQUETRIX_RESOLVER_URL, the
// service bundled with the app (EmbeddedResolver, started on the first request), the
// built-in default. An entry that is not an absolute http(s) URL is reported and passed over.
QUrl resolverBaseUrl();

} // namespace marquetrix
