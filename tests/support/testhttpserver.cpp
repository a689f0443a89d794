#include "testhttpserver.h"

#include "httpworker.h"

namespace marquetrix::test {

TestHttpServer::TestHttpServer(const QString &root) : m_root(root) {}

TestHttpServer::~TestHttpServer()
{
    if (m_worker)
        QMetaObject::invokeMethod(m_worker, &QObject::deleteLater);
    m_thread.quit();
    m_thread.wait();
}

bool TestHttpServer::start()
{
    m_worker = new HttpWorker(this);
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(
        m_worker, [this] { m_port = m_worker->listen(); }, Qt::BlockingQueuedConnection);
    return m_port != 0;
}

QUrl TestHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path));
}

} // namespace marquetrix::test
