#include "resolverbaseurl.h"

#include "embeddedresolver.h"
#include "openinglogging.h"

#include <QSettings>

namespace marquetrix {

namespace {

std::optional<QUrl> usable(const QString &text, const char *source)
{
    if (text.isEmpty())
        return std::nullopt;
    const QUrl url(text, QUrl::StrictMode);
    if (url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") &&
        !url.host().isEmpty())
        return url;
    qCWarning(lcResolverClient).nospace() << "Ignoring the resolver address of " << source << ": " << text
                                  << " is not an http or https URL";
    return std::nullopt;
}

} // namespace

QUrl resolverBaseUrl()
{
    const QSettings settings(QStringLiteral("Marquetrix"), QStringLiteral("Marquetrix"));
    if (auto url = usable(settings.value(QStringLiteral("resolverUrl")).toString(),
                          "the setting resolverUrl"))
        return *url;
    if (auto url =
            usable(qEnvironmentVariable("MARQUETRIX_RESOLVER_URL"), "MARQUETRIX_RESOLVER_URL"))
        return *url;
    if (auto url = EmbeddedResolver::sharedBaseUrl())
        return *url;
    return QUrl(QString::fromLatin1(kDefaultResolverUrl));
}

} // namespace marquetrix
