#include "scriptedhttpserver.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr qint64 kEndlessChunk = 256 * 1024;
// Far beyond any bound the client should have; the server stops there all the same.
constexpr qint64 kEndlessLimit = 512LL * 1024 * 1024;

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

ScriptedHttpServer::ScriptedHttpServer(QObject *parent) : QObject(parent)
{
    respond(Response{});
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection())
            serve(socket);
    });
}

bool ScriptedHttpServer::start(const QHostAddress &address)
{
    return m_server.listen(address);
}

QUrl ScriptedHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://%1:%2%3")
                    .arg(m_server.serverAddress().toString())
                    .arg(m_server.serverPort())
                    .arg(path));
}

void ScriptedHttpServer::serve(QTcpSocket *socket)
{
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
        *buffer += socket->readAll();
        const qsizetype headerEnd = buffer->indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        Request request;
        const QList<QByteArray> lines = buffer->left(headerEnd).split('\n');
        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        request.method = requestLine.value(0);
        request.target = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                       lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length", "0").toLongLong();
        if (buffer->size() < headerEnd + 4 + length)
            return;
        request.body = buffer->mid(headerEnd + 4, length);
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
        m_requests.append(request);
        emit requestReceived();
        answer(socket, request);
    });
}

void ScriptedHttpServer::answer(QTcpSocket *socket, const Request &request)
{
    const Response response = m_responder(request);
    if (response.delayMs > 0 && response.kind == Response::Kind::Answer) {
        QTimer::singleShot(response.delayMs, socket, [this, socket, response] {
            Response now = response;
            now.delayMs = 0;
            respondOn(socket, now);
        });
        return;
    }
    respondOn(socket, response);
}

void ScriptedHttpServer::respondOn(QTcpSocket *socket, const Response &response)
{
    switch (response.kind) {
    case Response::Kind::Stall:
        return;
    case Response::Kind::Close:
        socket->abort();
        socket->deleteLater();
        return;
    case Response::Kind::Endless:
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + response.contentType +
                      "\r\nConnection: close\r\n\r\n");
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] {
            if (socket->bytesToWrite() < kEndlessChunk)
                feedEndless(socket);
        });
        feedEndless(socket);
        return;
    case Response::Kind::Answer:
        socket->write("HTTP/1.1 " + QByteArray::number(response.status) + ' ' +
                      reason(response.status) + "\r\nContent-Type: " + response.contentType +
                      "\r\nContent-Length: " + QByteArray::number(response.body.size()) +
                      "\r\nConnection: close\r\n\r\n" + response.body);
        socket->disconnectFromHost();
        return;
    }
}

void ScriptedHttpServer::feedEndless(QTcpSocket *socket)
{
    if (m_endlessBytes >= kEndlessLimit || socket->state() != QAbstractSocket::ConnectedState)
        return;
    socket->write(QByteArray(kEndlessChunk, 'x'));
    m_endlessBytes += kEndlessChunk;
}
