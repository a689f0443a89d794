// The link rules on typed, dropped and command-line links. Input lines: the link, then a
// user name and a password for the credentials path.

#include "fuzzcheck.h"
#include "linkrules.h"

#include <QLoggingCategory>
#include <QRegularExpression>

using namespace marquetrix;
using marquetrix::fuzz::check;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Every prefixed link is logged; millions of lines would only slow the run.
    QLoggingCategory::setFilterRules("marquetrix.*.info=false");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList lines =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split('\n');
    const auto openable = [](const QUrl &url) {
        return url.isValid() && !url.host().isEmpty() &&
               QStringList{"http", "https", "rtsp", "rtsps"}.contains(url.scheme());
    };
    const QString link = prefixedLink(lines.value(0));
    static const QRegularExpression scheme("^(https?|rtsps?)://");
    check(scheme.match(link).hasMatch() && prefixedLink(link) == link,
          "a prefixed link without an openable scheme, or prefixing twice changes it");
    if (isValidVideoUrl(link)) {
        const QUrl url(link, QUrl::StrictMode);
        // A link the dialog accepts is one the engine can open when it comes back unchanged.
        check(openable(url) && playableMediaUrl({link}), "a valid link is not playable");
        needsResolver(link);
        if (const auto withCredentials = urlWithCredentials(url, lines.value(1), lines.value(2)))
            check(openable(*withCredentials), "credentials made an invalid URL");
    }
    if (const auto playable = playableMediaUrl(lines))
        check(openable(*playable), "a playable URL without a host or with another scheme");
    return 0;
}
