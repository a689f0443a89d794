// The update check's appcast feed, and the version comparison it ranks releases by.

#include "appcast.h"
#include "fuzzcheck.h"

#include <QByteArray>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>

using namespace marquetrix;

using marquetrix::fuzz::check;

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray feed(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString error;
    const std::optional<AppcastRelease> release = newestRelease(feed, &error);
    if (release) {
        static const QRegularExpression version(QStringLiteral("^\\d+(\\.\\d+)*$"));
        check(version.match(release->version).hasMatch(), "the newest release has no version");
        check(error.isEmpty(), "a release came with an error");
    } else {
        check(!error.isEmpty(), "no release and no reason");
    }

    // The first two lines as versions: the comparison is an order.
    const QList<QByteArray> lines = feed.split('\n');
    const QString a = QString::fromUtf8(lines.value(0));
    const QString b = QString::fromUtf8(lines.value(1));
    check(compareVersions(a, a) == 0, "a version differs from itself");
    check(sign(compareVersions(a, b)) == -sign(compareVersions(b, a)),
          "the version comparison is not antisymmetric");
    return 0;
}
