#include "httpworker.h"

#include "testhttpserver.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QUrl>

#include <algorithm>

namespace marquetrix::test {

HttpWorker::HttpWorker(TestHttpServer *server) : m_owner(server), m_server(this)
{
    connect(&m_server, &QTcpServer::newConnection, this, &HttpWorker::accept);
}

quint16 HttpWorker::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0) ? m_server.serverPort() : 0;
}

void HttpWorker::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
    }
}

void HttpWorker::readRequest(QTcpSocket *socket)
{
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    const qsizetype end = request.indexOf("\r\n\r\n");
    if (end < 0) {
        socket->setProperty("request", request);
        return;
    }
    socket->setProperty("request", request.mid(end + 4));
    ++m_owner->m_requests;
    if (m_owner->m_stall)
        return;
    respond(socket, request.left(end));
}

void HttpWorker::respond(QTcpSocket *socket, const QByteArray &request)
{
    if (const QByteArray answer =
            m_owner->m_responder ? m_owner->m_responder(request) : QByteArray();
        !answer.isEmpty()) {
        socket->write(answer);
        return;
    }
    const QList<QByteArray> lines = request.split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    const QString path = QUrl::fromPercentEncoding(requestLine.value(1));
    const QString filePath = QDir(m_owner->m_root).filePath(path.mid(1));
    QFile file(filePath);
    const bool inside = QDir::cleanPath(filePath).startsWith(QDir::cleanPath(m_owner->m_root));
    if (requestLine.value(0) != "GET" && requestLine.value(0) != "HEAD") {
        socket->write("HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\n\r\n");
        return;
    }
    if (!inside || path.endsWith('/') || !file.open(QIODevice::ReadOnly)) {
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
        return;
    }
    const qint64 size = file.size();
    qint64 first = 0;
    qint64 last = size - 1;
    bool partial = false;
    static const QRegularExpression range(QStringLiteral("^range:\\s*bytes=(\\d*)-(\\d*)"),
                                          QRegularExpression::CaseInsensitiveOption);
    for (const QByteArray &line : lines) {
        const QRegularExpressionMatch match = range.match(QString::fromLatin1(line.trimmed()));
        if (!match.hasMatch())
            continue;
        partial = true;
        if (!match.captured(1).isEmpty())
            first = match.captured(1).toLongLong();
        if (!match.captured(2).isEmpty())
            last = std::min(last, match.captured(2).toLongLong());
    }
    if (partial && first >= size) {
        socket->write(QStringLiteral("HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: "
                                     "bytes */%1\r\nContent-Length: 0\r\n\r\n")
                          .arg(size)
                          .toLatin1());
        return;
    }
    QString header =
        partial
            ? QStringLiteral("HTTP/1.1 206 Partial Content\r\n") +
                  QStringLiteral("Content-Range: bytes %1-%2/%3\r\n").arg(first).arg(last).arg(size)
            : QStringLiteral("HTTP/1.1 200 OK\r\n");
    const QString type = filePath.endsWith(QLatin1String(".m3u8"))
                             ? QStringLiteral("application/vnd.apple.mpegurl")
                             : QStringLiteral("application/octet-stream");
    header += QStringLiteral("Content-Type: %1\r\nAccept-Ranges: bytes\r\nContent-Length: "
                             "%2\r\n\r\n")
                  .arg(type)
                  .arg(last - first + 1);
    socket->write(header.toLatin1());
    if (requestLine.value(0) != "GET")
        return;
    const qint64 cut = m_owner->m_cutOffset;
    const qint64 end = cut >= 0 ? std::clamp(cut, first, last + 1) : last + 1;
    file.seek(first);
    socket->write(file.read(end - first));
    if (end <= last && m_owner->m_cutCloses)
        socket->disconnectFromHost();
}

} // namespace marquetrix::test
