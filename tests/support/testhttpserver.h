#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QUrl>
#include <atomic>
#include <functional>
#include <optional>

namespace marquetrix::test {

class HttpWorker;

// An HTTP/1.1 server on a loopback address for one test, on its own thread so that a test
// blocking its GUI thread cannot starve the client it is testing. Serves the files below
// root (with byte ranges) and 404 for anything else, unless a script answers first: a status
// and body, or one of the ways servers misbehave. In Stall mode it never answers at all; a
// cut makes every file end early, as a server that stops halfway does.
//
//   TestHttpServer http(media.directory());
//   QVERIFY(http.start());
//   player->play(http.url("clip.mp4"));
//
//   TestHttpServer resolver;
//   resolver.answer({.body = R"({"urls":[]})"});
//   QVERIFY(resolver.start(QHostAddress("127.0.0.2")));  // another host to the client
class TestHttpServer
{
public:
    enum class Mode
    {
        Serve,
        Stall
    };
    // What the server does where a file is cut: hold the connection open, or close it.
    enum class Cut
    {
        Hold,
        Close
    };

    struct Request
    {
        QByteArray method;
        QByteArray target;
        // Names in lower case.
        QHash<QByteArray, QByteArray> headers;
        QByteArray body = {};
    };

    struct Answer
    {
        enum class Kind
        {
            Reply,
            // Reads the request and never answers.
            Stall,
            // Reads the request and closes the connection without a word.
            Close,
            // A 200 without a length whose body never ends.
            Endless,
        };
        Kind kind = Kind::Reply;
        int status = 200;
        QByteArray body = {};
        QByteArray contentType = "application/json";
        // A reply held back this long.
        int delayMs = 0;
    };
    // Called on the server's thread: capture by value. No answer serves the file.
    using Script = std::function<std::optional<Answer>(const Request &)>;

    explicit TestHttpServer(const QString &root = {});
    ~TestHttpServer();

    bool start(const QHostAddress &address = QHostAddress::LocalHost);
    void setMode(Mode mode) { m_stall = mode == Mode::Stall; }
    // Before start(): raw answers of the test's own. Given the request's line and headers,
    // returns the whole response, or nothing to go on as without it.
    void setResponder(std::function<QByteArray(const QByteArray &request)> responder)
    {
        m_responder = std::move(responder);
    }
    void setScript(Script script);
    // The same answer to every request.
    void answer(const Answer &answer)
    {
        setScript([answer](const Request &) { return answer; });
    }
    // Sends no byte at or past offset of any file; a negative offset sends files whole.
    void cutAt(qint64 offset, Cut cut)
    {
        m_cutCloses = cut == Cut::Close;
        m_cutOffset = offset;
    }
    // A URL for a path relative to root (a file name for files in root itself), or for an
    // absolute path.
    QUrl url(const QString &path) const;
    int requestCount() const { return m_requestCount.load(); }
    QList<Request> requests() const;
    // Bytes of endless bodies written so far.
    qint64 endlessBytesSent() const { return m_endlessBytes.load(); }

private:
    friend class HttpWorker;

    QString m_root;
    QThread m_thread;
    HttpWorker *m_worker = nullptr;
    QString m_host;
    quint16 m_port = 0;
    std::atomic<bool> m_stall{false};
    std::function<QByteArray(const QByteArray &)> m_responder;
    std::atomic<qint64> m_cutOffset{-1};
    std::atomic<bool> m_cutCloses{false};
    std::atomic<int> m_requestCount{0};
    std::atomic<qint64> m_endlessBytes{0};
    mutable QMutex m_mutex;
    Script m_script;
    QList<Request> m_requests;
};

} // namespace marquetrix::test
