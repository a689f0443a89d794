#include "testhttpserver.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace marquetrix::test {

namespace {

constexpr qint64 kEndlessChunk = 256 * 1024;
// Far beyond any bound a client should have; the server stops there all the same.
constexpr qint64 kEndlessLimit = 512LL * 1024 * 1024;

QByteArray statusLine(int status)
{
    static const QHash<int, QByteArray> reasons{{200, "OK"},
                                                {206, "Partial Content"},
                                                {403, "Forbidden"},
                                                {404, "Not Found"},
                                                {405, "Method Not Allowed"},
                                                {416, "Range Not Satisfiable"},
                                                {500, "Internal Server Error"}};
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasons.value(status, "Status") +
           "\r\n";
}

} // namespace

// The part of the server that lives on its thread.
class HttpWorker : public QObject
{
public:
    explicit HttpWorker(TestHttpServer *owner) : m_owner(owner), m_server(this)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            }
        });
    }

    bool listen(const QHostAddress &address) { return m_server.listen(address, 0); }
    quint16 port() const { return m_server.serverPort(); }

private:
    void read(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const QByteArray &head, const TestHttpServer::Request &r);
    void reply(QTcpSocket *socket, const TestHttpServer::Answer &answer);
    void serveFile(QTcpSocket *socket, const QByteArray &head, const QByteArray &method,
                   const QString &path);
    void feedEndless(QTcpSocket *socket);

    TestHttpServer *m_owner;
    // A child, so that it moves to the server's thread with the worker.
    QTcpServer m_server;
};

void HttpWorker::read(QTcpSocket *socket)
{
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    TestHttpServer::Request request;
    const QByteArray head = buffer.left(end);
    const QList<QByteArray> lines = head.split('\n');
    for (const QByteArray &line : lines.mid(1)) {
        if (const qsizetype colon = line.indexOf(':'); colon > 0)
            request.headers.insert(line.left(colon).trimmed().toLower(),
                                   line.mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (end < 0 || buffer.size() < end + 4 + length) {
        socket->setProperty("buffer", buffer);
        return;
    }
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    request.body = buffer.mid(end + 4, length);
    socket->setProperty("buffer", buffer.mid(end + 4 + length));
    {
        QMutexLocker lock(&m_owner->m_mutex);
        m_owner->m_requests.append(request);
    }
    ++m_owner->m_requestCount;
    if (!m_owner->m_stall)
        respond(socket, head, request);
}

void HttpWorker::respond(QTcpSocket *socket, const QByteArray &head,
                         const TestHttpServer::Request &request)
{
    if (const QByteArray raw = m_owner->m_responder ? m_owner->m_responder(head) : QByteArray();
        !raw.isEmpty()) {
        socket->write(raw);
        return;
    }
    TestHttpServer::Script script;
    {
        QMutexLocker lock(&m_owner->m_mutex);
        script = m_owner->m_script;
    }
    if (const std::optional<TestHttpServer::Answer> answer =
            script ? script(request) : std::nullopt) {
        if (answer->delayMs > 0)
            QTimer::singleShot(answer->delayMs, socket, [this, socket, now = *answer]() mutable {
                now.delayMs = 0;
                reply(socket, now);
            });
        else
            reply(socket, *answer);
        return;
    }
    serveFile(socket, head, request.method, QUrl::fromPercentEncoding(request.target));
}

void HttpWorker::reply(QTcpSocket *socket, const TestHttpServer::Answer &answer)
{
    using Kind = TestHttpServer::Answer::Kind;
    switch (answer.kind) {
    case Kind::Stall:
        return;
    case Kind::Close:
        socket->abort();
        return;
    case Kind::Endless:
        socket->write(statusLine(200) + "Content-Type: " + answer.contentType +
                      "\r\nConnection: close\r\n\r\n");
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
            if (socket->bytesToWrite() < kEndlessChunk)
                feedEndless(socket);
        });
        feedEndless(socket);
        return;
    case Kind::Reply:
        socket->write(statusLine(answer.status) + "Content-Type: " + answer.contentType +
                      "\r\nContent-Length: " + QByteArray::number(answer.body.size()) +
                      "\r\nConnection: close\r\n\r\n" + answer.body);
        socket->disconnectFromHost();
        return;
    }
}

void HttpWorker::feedEndless(QTcpSocket *socket)
{
    if (m_owner->m_endlessBytes >= kEndlessLimit ||
        socket->state() != QAbstractSocket::ConnectedState)
        return;
    socket->write(QByteArray(kEndlessChunk, 'x'));
    m_owner->m_endlessBytes += kEndlessChunk;
}

void HttpWorker::serveFile(QTcpSocket *socket, const QByteArray &head, const QByteArray &method,
                           const QString &path)
{
    const QString root = m_owner->m_root;
    const QString filePath = QDir(root).filePath(path.mid(1));
    QFile file(filePath);
    if (method != "GET" && method != "HEAD") {
        socket->write(statusLine(405) + "Content-Length: 0\r\n\r\n");
        return;
    }
    if (root.isEmpty() || !QDir::cleanPath(filePath).startsWith(QDir::cleanPath(root)) ||
        path.endsWith('/') || !file.open(QIODevice::ReadOnly)) {
        socket->write(statusLine(404) + "Content-Length: 0\r\n\r\n");
        return;
    }
    const qint64 size = file.size();
    qint64 first = 0;
    qint64 last = size - 1;
    static const QRegularExpression range(QStringLiteral("^range:\\s*bytes=(\\d*)-(\\d*)"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = range.match(QString::fromLatin1(head));
    if (match.hasMatch() && !match.captured(1).isEmpty())
        first = match.captured(1).toLongLong();
    if (match.hasMatch() && !match.captured(2).isEmpty())
        last = std::min(last, match.captured(2).toLongLong());
    if (match.hasMatch() && first >= size) {
        socket->write(statusLine(416) + "Content-Range: bytes */" + QByteArray::number(size) +
                      "\r\nContent-Length: 0\r\n\r\n");
        return;
    }
    const QByteArray type = filePath.endsWith(QLatin1String(".m3u8"))
                                ? "application/vnd.apple.mpegurl"
                                : "application/octet-stream";
    socket->write((match.hasMatch()
                       ? statusLine(206) + "Content-Range: bytes " + QByteArray::number(first) +
                             '-' + QByteArray::number(last) + '/' + QByteArray::number(size) +
                             "\r\n"
                       : statusLine(200)) +
                  "Content-Type: " + type + "\r\nAccept-Ranges: bytes\r\nContent-Length: " +
                  QByteArray::number(last - first + 1) + "\r\n\r\n");
    if (method != "GET")
        return;
    const qint64 cut = m_owner->m_cutOffset;
    const qint64 end = cut >= 0 ? std::clamp(cut, first, last + 1) : last + 1;
    file.seek(first);
    socket->write(file.read(end - first));
    if (end <= last && m_owner->m_cutCloses)
        socket->disconnectFromHost();
}

TestHttpServer::TestHttpServer(const QString &root) : m_root(root) {}

TestHttpServer::~TestHttpServer()
{
    if (m_worker)
        QMetaObject::invokeMethod(m_worker, &QObject::deleteLater);
    m_thread.quit();
    m_thread.wait();
}

bool TestHttpServer::start(const QHostAddress &address)
{
    m_worker = new HttpWorker(this);
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    m_host = address.toString();
    QMetaObject::invokeMethod(
        m_worker, [this, address] { m_port = m_worker->listen(address) ? m_worker->port() : 0; },
        Qt::BlockingQueuedConnection);
    return m_port != 0;
}

void TestHttpServer::setScript(Script script)
{
    QMutexLocker lock(&m_mutex);
    m_script = std::move(script);
}

QUrl TestHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://%1:%2%3%4")
                    .arg(m_host)
                    .arg(m_port)
                    .arg(path.startsWith(u'/') ? QString() : QStringLiteral("/"), path));
}

QList<TestHttpServer::Request> TestHttpServer::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

} // namespace marquetrix::test
