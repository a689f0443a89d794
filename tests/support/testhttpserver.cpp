#include "testhttpserver.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace marquetrix::test {

namespace {

constexpr qint64 kEndlessChunk = 256 * 1024;
// Far beyond any bound a client should have; the server stops there all the same.
constexpr qint64 kEndlessLimit = 512LL * 1024 * 1024;

QByteArray head(int status, const QByteArray &type, qint64 length, const QByteArray &more = {})
{
    return "HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: " + type +
           (length >= 0 ? "\r\nContent-Length: " + QByteArray::number(length) : QByteArray()) +
           "\r\n" + more + "\r\n";
}

} // namespace

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
    TestHttpServer *m_owner;
    // A child, so that it moves to the server's thread with the worker.
    QTcpServer m_server;

    void read(QTcpSocket *socket);
    void reply(QTcpSocket *socket, const TestHttpServer::Answer &answer);
    void serveFile(QTcpSocket *socket, const QByteArray &head, const TestHttpServer::Request &r);
    void feedEndless(QTcpSocket *socket)
    {
        if (m_owner->m_endlessBytes < kEndlessLimit &&
            socket->state() == QAbstractSocket::ConnectedState) {
            socket->write(QByteArray(kEndlessChunk, 'x'));
            m_owner->m_endlessBytes += kEndlessChunk;
        }
    }
};

void HttpWorker::read(QTcpSocket *socket)
{
    const QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
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
    socket->setProperty("buffer", end < 0 || buffer.size() < end + 4 + length
                                      ? buffer
                                      : buffer.mid(end + 4 + length));
    if (end < 0 || buffer.size() < end + 4 + length)
        return;
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    request.body = buffer.mid(end + 4, length);
    TestHttpServer::Script script;
    {
        QMutexLocker lock(&m_owner->m_mutex);
        m_owner->m_requests.append(request);
        script = m_owner->m_script;
    }
    ++m_owner->m_requestCount;
    if (m_owner->m_stall)
        return;
    if (const auto answer = script ? script(request) : std::nullopt)
        QTimer::singleShot(answer->delayMs, socket,
                           [this, socket, a = *answer] { reply(socket, a); });
    else
        serveFile(socket, head, request);
}

void HttpWorker::reply(QTcpSocket *socket, const TestHttpServer::Answer &answer)
{
    using Kind = TestHttpServer::Answer::Kind;
    if (answer.kind == Kind::Close) {
        socket->abort();
    } else if (answer.kind == Kind::Endless) {
        socket->write(head(200, answer.contentType, -1, "Connection: close\r\n"));
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
            if (socket->bytesToWrite() < kEndlessChunk)
                feedEndless(socket);
        });
        feedEndless(socket);
    } else if (answer.kind == Kind::Reply) {
        socket->write(head(answer.status, answer.contentType, answer.body.size(),
                           "Connection: close\r\n" + answer.headers) +
                      answer.body);
        socket->disconnectFromHost();
    }
}

void HttpWorker::serveFile(QTcpSocket *socket, const QByteArray &request,
                           const TestHttpServer::Request &r)
{
    const QString root = m_owner->m_root;
    const QString path =
        QDir(root).filePath(QUrl::fromPercentEncoding(r.target.split('?').first()).mid(1));
    QFile file(path);
    if (root.isEmpty() || !QDir::cleanPath(path).startsWith(QDir::cleanPath(root)) ||
        (r.method != "GET" && r.method != "HEAD") || !file.open(QIODevice::ReadOnly)) {
        socket->write(head(404, "text/plain", 0));
        return;
    }
    const qint64 size = file.size();
    static const QRegularExpression range(QStringLiteral("^range:\\s*bytes=(\\d*)-(\\d*)"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = range.match(QString::fromLatin1(request));
    const qint64 first = match.captured(1).toLongLong();
    const qint64 last =
        match.captured(2).isEmpty() ? size - 1 : std::min(size - 1, match.captured(2).toLongLong());
    if (first >= size && match.hasMatch()) {
        socket->write(head(416, "text/plain", 0,
                           "Content-Range: bytes */" + QByteArray::number(size) + "\r\n"));
        return;
    }
    const QByteArray type = path.endsWith(QLatin1String(".m3u8")) ? "application/vnd.apple.mpegurl"
                                                                  : "application/octet-stream";
    const QByteArray ranges =
        "Accept-Ranges: bytes\r\n" +
        (match.hasMatch() ? "Content-Range: bytes " + QByteArray::number(first) + '-' +
                                QByteArray::number(last) + '/' + QByteArray::number(size) + "\r\n"
                          : QByteArray());
    socket->write(head(match.hasMatch() ? 206 : 200, type, last - first + 1, ranges));
    if (r.method != "GET")
        return;
    const qint64 cut = m_owner->m_cutOffset;
    const qint64 end = cut >= 0 ? std::clamp(cut, first, last + 1) : last + 1;
    file.seek(first);
    socket->write(file.read(end - first));
    if (end <= last && m_owner->m_cutCloses)
        socket->disconnectFromHost();
}

TestHttpServer::~TestHttpServer()
{
    if (m_worker)
        QMetaObject::invokeMethod(m_worker, &QObject::deleteLater);
    m_thread.quit();
    m_thread.wait();
}

bool TestHttpServer::start(const QHostAddress &address, quint16 port)
{
    m_worker = new HttpWorker(this);
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    m_host = address.toString();
    QMetaObject::invokeMethod(
        m_worker,
        [this, address, port] {
            m_port = m_worker->m_server.listen(address, port) ? m_worker->m_server.serverPort() : 0;
        },
        Qt::BlockingQueuedConnection);
    return m_port != 0;
}

QUrl TestHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://%1:%2%3%4")
                    .arg(m_host)
                    .arg(m_port)
                    .arg(path.startsWith(u'/') ? QString() : QStringLiteral("/"), path));
}

} // namespace marquetrix::test
