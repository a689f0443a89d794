#include "mediaextractor.h"

#include <QTest>

using namespace Qt::StringLiterals;
using marquetrix::resolver::extractMediaUrls;

namespace {

const QUrl pageUrl(u"https://example.org/shows/episode/page.html"_s);

QStringList extract(const QByteArray &html, const std::string &charset = {})
{
    QStringList urls;
    for (const std::string &url :
         extractMediaUrls(pageUrl, std::string_view(html.data(), html.size()), charset))
        urls << QString::fromStdString(url);
    return urls;
}

} // namespace

class TestMediaExtractor : public QObject
{
    Q_OBJECT

private slots:
    void extracts_data();
    void extracts();
    void hostilePagesStayCheap();
};

void TestMediaExtractor::extracts_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QStringList>("expected");
    // As the server names it.
    QTest::addColumn<QString>("charset");
    const auto row = [](const char *tag, const QByteArray &html, const QStringList &paths) {
        QStringList expected;
        // Paths relative to the page's folder, or absolute URLs.
        for (const QString &path : paths)
            expected << (path.contains(u':') ? path : "https://example.org/shows/episode/" + path);
        QTest::newRow(tag) << html << expected << QString();
    };
    row("video src, relative", "<video src=\"clip.mp4\" controls></video>", {"clip.mp4"});
    row("source children: parent, root, absolute, scheme-relative",
        "<video><source src=\"../a.webm\"><source src=\"/b.mp4\">"
        "<source src=\"http://cdn.example.net/c.m3u8\"><source src=\"//cdn.example.net/d.mp4\">",
        {"https://example.org/shows/a.webm", "https://example.org/b.mp4",
         "http://cdn.example.net/c.m3u8", "https://cdn.example.net/d.mp4"});
    row("any source of a video", "<video><source src=\"/stream?id=7\"></video>",
        {"https://example.org/stream?id=7"});
    row("the same URL once, at its first place",
        "<video src=\"a.mp4\"><source src=\"a.mp4\"><source src=\"b.mp4\"></video>"
        "<a href=\"./a.mp4\">download</a>",
        {"a.mp4", "b.mp4"});
    row("og:video family, any case",
        "<meta property=\"og:image\" content=\"/p.jpg\">"
        "<META PROPERTY=\"OG:VIDEO:SECURE_URL\" CONTENT=\"https://cdn.example.org/x.mp4\">"
        "<meta property=\"og:video:url\" content=\"/y.mp4\">"
        "<meta name=\"twitter:player:stream\" content=\"/z.m3u8\">",
        {"https://cdn.example.org/x.mp4", "https://example.org/y.mp4",
         "https://example.org/z.m3u8"});
    row("links count only to media files",
        "<a href=\"next.html\">next</a><a href=\"live/index.m3u8\">live</a>"
        "<a href=\"/dl/CLIP.MP4?token=1#t=3\">download</a><a>none</a>",
        {"live/index.m3u8", "https://example.org/dl/CLIP.MP4?token=1#t=3"});
    row("base href decides, as in a browser",
        "<base href=\"https://static.example.net/v/\"><video src=\"x.mp4\"></video>",
        {"https://static.example.net/v/x.mp4"});
    row("document order across kinds",
        "<meta property=\"og:video\" content=\"/1.mp4\"><a href=\"/2.mp4\"></a>"
        "<script>load('/3.m3u8')</script><video src=\"/4.mp4\"></video>",
        {"https://example.org/1.mp4", "https://example.org/2.mp4", "https://example.org/3.m3u8",
         "https://example.org/4.mp4"});
    row("only web URLs",
        "<video src=\"blob:https://example.org/9f1c\"></video>"
        "<video><source src=\"data:video/mp4;base64,AAAA\"></video>"
        "<video src=\"file:///home/me/x.mp4\"></video>"
        "<a href=\"javascript:play('x.mp4')\">play</a><a "
        "href=\"rtsp://camera.local/x.mp4\">cam</a>",
        {});
    row("audio is not video", "<audio src=\"/a.mp4\"><source src=\"/b.mp4\"></audio>", {});
    row("blanks around attribute values",
        "<video src=\"  clip.mp4 \n\"></video><video src=\"   \"></video>", {"clip.mp4"});
    row("read on past deep nesting",
        "<video src=\"/first.mp4\"></video>" + QByteArray("<div>").repeated(600) +
            "<video src=\"/deep.mp4\"></video>" + QByteArray("</div>").repeated(600) +
            "<video src=\"/after.mp4\"></video>",
        {"https://example.org/first.mp4", "https://example.org/deep.mp4",
         "https://example.org/after.mp4"});
    row("unclosed markup", "<div><p>Watch<video src=clip.mp4><p>more<div>", {"clip.mp4"});
    row("script: escaped slashes of JSON",
        "<script>var c = {\"hls\":\"https:\\/\\/cdn.example.org\\/m.m3u8\","
        "\"mp4\":\"https:\\u002F\\u002Fcdn.example.org\\u002Fm.mp4?a=1\\u0026b=2\"};</script>",
        {"https://cdn.example.org/m.m3u8", "https://cdn.example.org/m.mp4?a=1&b=2"});
    row("script: JSON-LD contentUrl",
        "<script type=\"application/ld+json\">{\"@type\": \"VideoObject\", \"contentUrl\": "
        "\"https://example.org/media/v.mp4\", \"thumbnailUrl\": \"https://e.org/t.jpg\"}</script>",
        {"https://example.org/media/v.mp4"});
    row("script: bare URL in a comment, after a stray apostrophe",
        "<script>// don't autoplay\n// see https://cdn.example.org/a.m3u8 for more\n"
        "play(\"b.mp4\");</script>",
        {"https://cdn.example.org/a.m3u8", "b.mp4"});
    row("script: strings that are not media",
        "<script>load('app.js'); fetch(\"https://example.org/api/v1\"); "
        "var s = 'a.mp4 is missing';</script>",
        {});
    row("not markup", QByteArray::fromHex("0001fffe2062696e617279207f00"), {});
    const QByteArray video = "<video src=\"vid\xc3\xa9o.mp4\"></video>";
    const QStringList accented{"https://example.org/shows/episode/vid%C3%A9o.mp4"};
    QTest::newRow("named by the server") << video << accented << "UTF-8";
    QTest::newRow("named by the page") << "<meta charset=\"utf-8\">" + video << accented << "";
    QTest::newRow("the server's name wins")
        << "<meta charset=\"iso-8859-1\">" + video << accented << "utf-8";
    QTest::newRow("unknown to the parser")
        << "<meta charset=\"utf-8\">" + video << accented << "x-no-such-charset";
    QTest::newRow("Latin-1, far into the page and past deep nesting")
        << "<p>" + QByteArray(100000, 'x') + "</p>" + QByteArray("<div>").repeated(300) +
               "<video src=\"vid\xe9o.mp4\"></video>"
        << accented << "ISO-8859-1";
}

void TestMediaExtractor::extracts()
{
    QFETCH(QByteArray, html);
    QFETCH(QStringList, expected);
    QFETCH(QString, charset);
    QCOMPARE(extract(html, charset.toStdString()), expected);
}

void TestMediaExtractor::hostilePagesStayCheap()
{
    // Deep nesting, a page of quotes and one of unterminated strings: each must come back
    // (the parser's depth bound, the scan's line and length bounds), with what precedes
    // the trouble still found.
    const QByteArray lead = "<video src=\"/first.mp4\"></video>";
    const QStringList first{"https://example.org/first.mp4"};
    QCOMPARE(extract(lead + QByteArray("<div>").repeated(800000)), first);
    QCOMPARE(extract(lead + "<script>" + QByteArray("'\"").repeated(1000000) + "</script>"), first);
    QCOMPARE(extract(lead + "<script>" + QByteArray("\"x.mp4").repeated(500000) + "</script>"),
             first + QStringList{"https://example.org/shows/episode/x.mp4"});
}

QTEST_GUILESS_MAIN(TestMediaExtractor)
#include "tst_mediaextractor.moc"
