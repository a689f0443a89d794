// Playlist files: read in the forms other players write them, and opened in the real window as
// the user opens them, in place of the playlist and in its order.

#include "appwindow.h"
#include "contentcontroller.h"
#include "mediagenerator.h"
#include "playlistreader.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace marquetrix;
using namespace marquetrix::test;

namespace {

bool write(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class PlaylistsTest : public QObject
{
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("xspf");
        QTest::addColumn<QList<QByteArray>>("items");
        QTest::addColumn<int>("skipped");
        QTest::newRow("m3u8 with titles, CRLF, relative, absolute and links")
            << QByteArray("#EXTM3U\r\n#EXTINF:10,A title\r\nsub/a b.mp4\r\n  /abs/c.mkv \r\n\r\n"
                          "https://host/v.mp4\r\nrtsp://cam/1\r\nfile:///abs/d.mp4\r\n")
            << false
            << QList<QByteArray>{"/pl/sub/a b.mp4", "/abs/c.mkv", "https://host/v.mp4",
                                 "rtsp://cam/1", "file:///abs/d.mp4"}
            << 0;
        QTest::newRow("m3u line with control characters")
            << QByteArray("a.mp4\nb\x01.mp4\nc.mp4") << false
            << QList<QByteArray>{"/pl/a.mp4", "/pl/c.mp4"} << 1;
        QTest::newRow("xspf: URIs, relative, a track without location")
            << QByteArray("<?xml version=\"1.0\"?><playlist version=\"1\" "
                          "xmlns=\"http://xspf.org/ns/0/\"><trackList>"
                          "<track><location>file:///abs/a%20b.mp4</location></track>"
                          "<track><title>none</title></track>"
                          "<track><location>rel/c.mp4</location></track>"
                          "<track><location>https://host/x.m3u8</location></track>"
                          "</trackList></playlist>")
            << true << QList<QByteArray>{"/abs/a b.mp4", "/pl/rel/c.mp4", "https://host/x.m3u8"}
            << 1;
        QTest::newRow("xspf that breaks off")
            << QByteArray("<playlist><trackList><track><location>a.mp4</location></track>"
                          "<track><locat")
            << true << QList<QByteArray>{"/pl/a.mp4"} << 1;
    }

    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, xspf);
        const PlaylistReader::Playlist playlist = PlaylistReader::read(content, "/pl", xspf);
        QTEST(playlist.items, "items");
        QTEST(playlist.skipped, "skipped");
        QVERIFY(!PlaylistReader::isStream(content));
    }

    // A playlist naming two clips, itself, and another playlist that names the first again:
    // each clip opens once, in order, and what follows the playlist opens after its items. An
    // HLS stream's .m3u8 is no list of videos: it plays as one.
    void opensItsItemsInPlace()
    {
        const QString hls = m_media.hlsPlaylist();
        const QString clip = m_media.clip({.size = {320, 180}});
        QVERIFY2(!hls.isEmpty() && !clip.isEmpty(), qPrintable(m_media.failure()));
        const QString dir = m_media.directory();
        for (const char *name : {"/first.mp4", "/second.mp4", "/after.mp4", "/inner.mp4"})
            QVERIFY(QFile::copy(clip, dir + name));
        QVERIFY(write(dir + "/list.m3u8", "#EXTM3U\n#EXTINF:1,First\nfirst.mp4\n" +
                                              QFile::encodeName(dir) +
                                              "/second.mp4\nlist.m3u8\nnested.xspf\n"));
        QVERIFY(write(dir + "/nested.xspf",
                      "<playlist><trackList><track><location>inner.mp4</location></track>"
                      "<track><location>list.m3u8</location></track></trackList></playlist>"));

        AppWindow app;
        QVERIFY2(app.start({dir + "/list.m3u8", hls, dir + "/after.mp4"}),
                 qPrintable(app.failure()));
        QTRY_COMPARE(app.tileCount(), 5);
        QCOMPARE(app.titles(), QStringList({"first.mp4", "second.mp4", "inner.mp4",
                                            QFileInfo(hls).fileName(), "after.mp4"}));
    }

    // 10,000 entries do not become 10,000 attempts: the window's worth, and a notice.
    void oversizedListOpensAWindowsWorth()
    {
        QByteArray content;
        for (int i = 0; i < 10000; ++i)
            content += "missing-" + QByteArray::number(i) + ".mp4\n";
        const QString path = m_media.directory() + "/huge.m3u";
        QVERIFY(write(path, content));
        AppWindow app;
        QVERIFY2(app.start({path}), qPrintable(app.failure()));
        QTRY_VERIFY(app.controller()->failureNotice().contains("first 64 of 10000"));
        QTRY_VERIFY(app.controller()->failureNotice().contains("and 61 more"));
        QCOMPARE(app.tileCount(), 0);
    }

private:
    MediaGenerator m_media;
};

QTEST_MAIN(PlaylistsTest)
#include "tst_playlists.moc"
