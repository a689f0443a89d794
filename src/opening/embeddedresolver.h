#pragma once

#include <QObject>
#include <QProcess>
#include <QUrl>
#include <optional>

class QSocketNotifier;

namespace marquetrix {

// The resolver service bundled with the app (marquetrix-resolver), for when no resolver
// address is configured. Its loopback port is opened here at once, so the address is
// known without waiting; the service itself starts on the first connection to it, takes
// over the open socket (no other program can take the port in between) and answers that
// connection first. It stops with this object, and on its own when the app's end of its
// standard input closes, also after a crash. A service that ends after it was serving is
// started again on the next connection; one that ends before it could serve is given up,
// and the port closed so that clients fail at once instead of waiting.
class EmbeddedResolver : public QObject
{
    Q_OBJECT

public:
    explicit EmbeddedResolver(const QString &program, QObject *parent = nullptr);
    ~EmbeddedResolver() override;

    // The app's one embedded service, made on the first call (on the GUI thread, with an
    // application object); its address, or none when the program is not to be found.
    static std::optional<QUrl> sharedBaseUrl();
    // The program beside the app's executable, else the one in the build tree; empty
    // when neither is there.
    static QString findProgram();

    // Opens the loopback port; false when that fails.
    bool listen();
    QUrl baseUrl() const { return m_baseUrl; }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    qint64 processId() const { return m_process.processId(); }

    Q_SIGNAL void serviceStarted();
    Q_SIGNAL void serviceEnded();

private:
    void startService();
    void serviceFinished();
    void forwardLog();
    void closeSocket();

    QString m_program;
    int m_socket = -1;
    QUrl m_baseUrl;
    QSocketNotifier *m_notifier = nullptr;
    QProcess m_process;
    bool m_ready = false;
};

} // namespace marquetrix
