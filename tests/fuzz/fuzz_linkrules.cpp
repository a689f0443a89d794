// The link rules on typed, dropped and command-line links. Input lines: the link, then a
// user name and a password for the credentials path.

#include "linkrules.h"
#include "fuzzcheck.h"

#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

using namespace marquetrix;

using marquetrix::fuzz::check;

namespace {

bool isOpenableScheme(const QString &scheme)
{
    return scheme == u"http" || scheme == u"https" || scheme == u"rtsp";
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Every prefixed link is logged; millions of lines would only slow the run.
    QLoggingCategory::setFilterRules(QStringLiteral("marquetrix.*.info=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QStringList lines = input.split(u'\n');

    const QString link = prefixedLink(lines.value(0));
    check(link.startsWith(u"http://") || link.startsWith(u"https://") ||
              link.startsWith(u"rtsp://"),
          "a prefixed link without an openable scheme");
    check(prefixedLink(link) == link, "prefixing is not idempotent");

    if (isValidVideoURL(link)) {
        const QUrl url(link, QUrl::StrictMode);
        check(url.isValid() && !url.host().isEmpty(), "a valid link without a host");
        check(isOpenableScheme(url.scheme()), "a valid link with another scheme");
        // A link the dialog accepts is one the engine can open when it comes back unchanged.
        check(playableMediaUrl({link}).has_value(), "a valid link is not playable");
        needsResolver(link);

        const QString username = lines.value(1);
        const QString password = lines.value(2);
        if (const auto withCredentials = urlWithCredentials(url, username, password)) {
            check(withCredentials->isValid() && !withCredentials->host().isEmpty(),
                  "credentials made an invalid URL");
            if (username.isEmpty() && password.isEmpty())
                check(*withCredentials == url, "no credentials changed the URL");
            else
                check(withCredentials->query().isEmpty() && withCredentials->fragment().isEmpty(),
                      "credentials kept the query or fragment");
        }
    }

    if (const auto playable = playableMediaUrl(lines)) {
        check(playable->isValid() && !playable->host().isEmpty(), "a playable URL without a host");
        check(isOpenableScheme(playable->scheme()), "a playable URL with another scheme");
    }
    return 0;
}
