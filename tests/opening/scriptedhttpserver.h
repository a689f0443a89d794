#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>
#include <functional>

// An HTTP/1.1 server on 127.0.0.1 whose answers a test writes: status and body, or one of
// the ways servers misbehave. Runs on the test's thread, which the code under test does
// not block. Every connection carries one exchange.
class ScriptedHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QByteArray method;
        QByteArray target;
        // Header names in lower case.
        QHash<QByteArray, QByteArray> headers;
        QByteArray body;
    };

    struct Response
    {
        enum class Kind
        {
            Answer,
            // Reads the request and never answers.
            Stall,
            // Reads the request and closes the connection without a word.
            Close,
            // A 200 without a length whose body never ends.
            Endless,
        };
        Kind kind = Kind::Answer;
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/json";
        // An answer held back this long.
        int delayMs = 0;
    };

    explicit ScriptedHttpServer(QObject *parent = nullptr);

    // On another loopback address (127.0.0.2) the server is another host to the client.
    bool start(const QHostAddress &address = QHostAddress::LocalHost);
    QUrl url(const QString &path = QStringLiteral("/")) const;

    void respond(const Response &response)
    {
        m_responder = [response](const Request &) { return response; };
    }
    void respond(std::function<Response(const Request &)> responder)
    {
        m_responder = std::move(responder);
    }

    const QList<Request> &requests() const { return m_requests; }
    // Bytes of endless bodies written so far.
    qint64 endlessBytesSent() const { return m_endlessBytes; }

    Q_SIGNAL void requestReceived();

private:
    void serve(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Request &request);
    void respondOn(QTcpSocket *socket, const Response &response);
    void feedEndless(QTcpSocket *socket);

    QTcpServer m_server;
    std::function<Response(const Request &)> m_responder;
    QList<Request> m_requests;
    qint64 m_endlessBytes = 0;
};
