#include "networksession.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QPointer>

namespace marquetrix {

QNetworkAccessManager &sharedNetworkSession()
{
    static QPointer<QNetworkAccessManager> session;
    if (!session)
        session = new QNetworkAccessManager(QCoreApplication::instance());
    return *session;
}

} // namespace marquetrix
