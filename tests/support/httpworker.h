#pragma once

#include <QObject>
#include <QTcpServer>

class QTcpSocket;

namespace marquetrix::test {

class TestHttpServer;

// The part of TestHttpServer that lives on the server's thread.
class HttpWorker : public QObject
{
    Q_OBJECT
public:
    explicit HttpWorker(TestHttpServer *server);

    quint16 listen();

private:
    void accept();
    void readRequest(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const QByteArray &request);

    TestHttpServer *m_owner;
    // A child, so that it moves to the server's thread with the worker.
    QTcpServer m_server;
};

} // namespace marquetrix::test
