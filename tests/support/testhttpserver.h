#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>
#include <QUrl>
#include <atomic>
#include <functional>

namespace marquetrix::test {

class HttpWorker;

// A static-file HTTP/1.1 server on 127.0.0.1 for one test, on its own thread so that a
// test blocking its GUI thread cannot starve the player it is testing. Serves the files
// below root (with byte ranges), answers 404 for anything else, and in Stall mode
// accepts connections and never answers. A cut makes every file end early, as a server
// that stops halfway does.
//
//   TestHttpServer http(media.directory());
//   QVERIFY(http.start());
//   player->play(http.url("clip.mp4"));
class TestHttpServer
{
public:
    enum class Mode
    {
        Serve,
        Stall
    };

    explicit TestHttpServer(const QString &root);
    ~TestHttpServer();

    // What the server does where a file is cut: hold the connection open without sending
    // more, or close it.
    enum class Cut
    {
        Hold,
        Close
    };

    bool start();
    void setMode(Mode mode) { m_stall = mode == Mode::Stall; }
    // Before start(): answers of the test's own (redirects, answers that depend on the
    // request's headers). Given the request's line and headers, returns the whole
    // response, or nothing to serve the file.
    void setResponder(std::function<QByteArray(const QByteArray &request)> responder)
    {
        m_responder = std::move(responder);
    }
    // Sends no byte at or past offset of any file; a negative offset sends files whole.
    void cutAt(qint64 offset, Cut cut)
    {
        m_cutCloses = cut == Cut::Close;
        m_cutOffset = offset;
    }
    // A URL for a path relative to root (a file name for files in root itself).
    QUrl url(const QString &path) const;
    int requestCount() const { return m_requests.load(); }

private:
    friend class HttpWorker;

    QString m_root;
    QThread m_thread;
    HttpWorker *m_worker = nullptr;
    quint16 m_port = 0;
    std::atomic<bool> m_stall{false};
    std::function<QByteArray(const QByteArray &)> m_responder;
    std::atomic<qint64> m_cutOffset{-1};
    std::atomic<bool> m_cutCloses{false};
    std::atomic<int> m_requests{0};
};

} // namespace marquetrix::test
