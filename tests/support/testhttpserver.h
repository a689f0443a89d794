#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QThread>
#include <QUrl>
#include <atomic>
#include <functional>
#include <optional>

namespace marquetrix::test {

class HttpWorker;

// An HTTP/1.1 server on a loopback address, on its own thread so that a test blocking its GUI
// thread cannot starve the client it tests. Serves the files below root (with byte ranges),
// unless a script answers first. Stall mode never answers; a cut makes every
// file end early, as a server that stops halfway does.
class TestHttpServer
{
public:
    enum class Mode
    {
        Serve,
        Stall
    };
    // Where a file is cut: hold the connection open, or close it.
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
        // Stall reads the request and never answers, Close drops the connection, Endless is a
        // 200 without a length whose body never ends.
        enum class Kind
        {
            Reply,
            Stall,
            Close,
            Endless
        };
        Kind kind = Kind::Reply;
        int status = 200;
        QByteArray body = {};
        QByteArray contentType = "application/json";
        int delayMs = 0;
        // More header lines, each ending in CRLF.
        QByteArray headers = {};
    };
    // Called on the server's thread: capture by value. No answer serves the file.
    using Script = std::function<std::optional<Answer>(const Request &)>;

    explicit TestHttpServer(const QString &root = {}) : m_root(root) {}
    ~TestHttpServer();

    // Port 0: a free one.
    bool start(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    quint16 port() const { return m_port; }
    void setMode(Mode mode) { m_stall = mode == Mode::Stall; }
    void setScript(Script script)
    {
        QMutexLocker lock(&m_mutex);
        m_script = std::move(script);
    }
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
    // For a path relative to root, or an absolute one.
    QUrl url(const QString &path) const;
    int requestCount() const { return m_requestCount.load(); }
    QList<Request> requests() const
    {
        QMutexLocker lock(&m_mutex);
        return m_requests;
    }
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
    std::atomic<qint64> m_cutOffset{-1};
    std::atomic<bool> m_cutCloses{false};
    std::atomic<int> m_requestCount{0};
    std::atomic<qint64> m_endlessBytes{0};
    mutable QMutex m_mutex;
    Script m_script;
    QList<Request> m_requests;
};

} // namespace marquetrix::test
