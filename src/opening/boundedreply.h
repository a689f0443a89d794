#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

class QNetworkReply;

namespace marquetrix {

// Watches one HTTP reply: collects its body up to a bound, aborts it when the body grows past
// the bound or when the whole exchange takes longer than the timeout, and reports once when
// the reply is over. Lives as a child of the reply, which it deletes afterwards.
class BoundedReply : public QObject
{
    Q_OBJECT

public:
    struct Outcome
    {
        // The HTTP status when an answer came; absent on a transport failure.
        std::optional<int> status;
        QByteArray body;
        // Why there is no usable answer; empty when the exchange completed.
        QString failure;
    };

    static void watch(QNetworkReply *reply, qint64 maxBytes, std::chrono::milliseconds timeout,
                      std::function<void(const Outcome &)> done);

private:
    BoundedReply(QNetworkReply *reply, qint64 maxBytes, std::chrono::milliseconds timeout,
                 std::function<void(const Outcome &)> done);
    void read();
    void finish();

    QNetworkReply *m_reply;
    qint64 m_maxBytes;
    std::function<void(const Outcome &)> m_done;
    QTimer m_timer;
    QByteArray m_body;
    QString m_abortReason;
};

} // namespace marquetrix
