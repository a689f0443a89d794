// The update check's appcast feed, and the version comparison it ranks releases by.

#include "appcast.h"
#include "fuzzcheck.h"

#include <QRegularExpression>

using namespace marquetrix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray feed(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    if (const auto release = newestRelease(feed, &error)) {
        static const QRegularExpression version("^\\d+(\\.\\d+)*$");
        fuzz::check(version.match(release->version).hasMatch() && error.isEmpty(),
                    "the newest release has no version, or an error");
    } else {
        fuzz::check(!error.isEmpty(), "no release and no reason");
    }
    // The first two lines as versions: the comparison is an order.
    const QString a = QString::fromUtf8(feed.split('\n').value(0));
    const QString b = QString::fromUtf8(feed.split('\n').value(1));
    const auto sign = [](int value) { return (value > 0) - (value < 0); };
    fuzz::check(compareVersions(a, a) == 0 &&
                    sign(compareVersions(a, b)) == -sign(compareVersions(b, a)),
                "the version comparison is not an order");
    return 0;
}
