#include "embeddedresolver.h"

#include "openinglogging.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace marquetrix {

namespace {

constexpr auto kProgramName = "marquetrix-resolver";
// The descriptor the service finds the handed-over socket at.
constexpr int kServiceSocketFd = 3;
constexpr int kBacklog = 64;
constexpr int kStopTimeoutMs = 3000;

} // namespace

EmbeddedResolver::EmbeddedResolver(const QString &program, QObject *parent)
    : QObject(parent), m_program(program)
{
    m_process.setProgram(program);
    m_process.setArguments({QStringLiteral("--listen-fd"), QString::number(kServiceSocketFd),
                            QStringLiteral("--until-stdin-closes")});
    connect(&m_process, &QProcess::readyReadStandardOutput, this, [this] {
        // The service's one line on standard output says it accepts requests.
        m_ready = m_ready || m_process.readAllStandardOutput().contains("listening on");
    });
    connect(&m_process, &QProcess::readyReadStandardError, this, &EmbeddedResolver::forwardLog);
    connect(&m_process, &QProcess::finished, this, &EmbeddedResolver::serviceFinished);
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            serviceFinished();
    });
}

EmbeddedResolver::~EmbeddedResolver()
{
    disconnect(&m_process, nullptr, this, nullptr);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(kStopTimeoutMs)) {
            m_process.kill();
            m_process.waitForFinished(kStopTimeoutMs);
        }
    }
    closeSocket();
}

std::optional<QUrl> EmbeddedResolver::sharedBaseUrl()
{
    static QPointer<EmbeddedResolver> shared;
    static bool tried = false;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return std::nullopt;
    if (!tried) {
        tried = true;
        const QString program = findProgram();
        if (program.isEmpty()) {
            qCWarning(lcResolverClient, "The bundled resolver service %s is not installed beside %s",
                      kProgramName, qUtf8Printable(QCoreApplication::applicationFilePath()));
            return std::nullopt;
        }
        auto *resolver = new EmbeddedResolver(program, app);
        if (!resolver->listen()) {
            delete resolver;
            return std::nullopt;
        }
        shared = resolver;
    }
    if (!shared)
        return std::nullopt;
    return shared->baseUrl();
}

QString EmbeddedResolver::findProgram()
{
    const QFileInfo beside(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                           QLatin1String(kProgramName));
    if (beside.isExecutable())
        return beside.absoluteFilePath();
#ifdef MARQUETRIX_RESOLVER_BUILD_PATH
    const QFileInfo built(QStringLiteral(MARQUETRIX_RESOLVER_BUILD_PATH));
    if (built.isExecutable())
        return built.absoluteFilePath();
#endif
    return QString();
}

bool EmbeddedResolver::listen()
{
    m_socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_socket < 0 || bind(m_socket, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        ::listen(m_socket, kBacklog) != 0 ||
        getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        qCWarning(lcResolverClient, "No loopback port for the bundled resolver service: %s",
                  strerror(errno));
        closeSocket();
        return false;
    }
    m_baseUrl = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(ntohs(address.sin_port)));
    m_notifier = new QSocketNotifier(m_socket, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EmbeddedResolver::startService);
    return true;
}

void EmbeddedResolver::startService()
{
    // From here the service accepts; we only watch the port again once it has ended.
    m_notifier->setEnabled(false);
    const int socketFd = m_socket;
    m_process.setChildProcessModifier([socketFd] {
        // Runs in the child between fork and exec: only async-signal-safe calls.
        if (socketFd == kServiceSocketFd)
            fcntl(socketFd, F_SETFD, 0);
        else
            dup2(socketFd, kServiceSocketFd);
    });
    m_ready = false;
    qCInfo(lcResolverClient, "Starting the bundled resolver service %s on %s", qUtf8Printable(m_program),
           qUtf8Printable(m_baseUrl.toString()));
    m_process.start();
    if (m_process.waitForStarted(kStopTimeoutMs))
        emit serviceStarted();
}

void EmbeddedResolver::serviceFinished()
{
    forwardLog();
    m_ready = m_ready || m_process.readAllStandardOutput().contains("listening on");
    const QString how = m_process.exitStatus() == QProcess::CrashExit
                            ? QStringLiteral("crashed")
                            : QStringLiteral("exit code %1").arg(m_process.exitCode());
    if (!m_ready) {
        qCWarning(lcResolverClient,
                  "The bundled resolver service %s ended as it started (%s: %s); page links "
                  "cannot be resolved",
                  qUtf8Printable(m_program), qUtf8Printable(how),
                  qUtf8Printable(m_process.errorString()));
        closeSocket();
    } else {
        qCWarning(lcResolverClient,
                  "The bundled resolver service ended (%s); it starts again on the next request",
                  qUtf8Printable(how));
        if (m_notifier)
            m_notifier->setEnabled(true);
    }
    emit serviceEnded();
}

void EmbeddedResolver::forwardLog()
{
    m_process.setReadChannel(QProcess::StandardError);
    while (m_process.canReadLine()) {
        const QByteArray line = m_process.readLine().trimmed();
        if (!line.isEmpty())
            qCInfo(lcResolverClient, "Resolver service: %s", line.constData());
    }
}

void EmbeddedResolver::closeSocket()
{
    // Possibly inside the notifier's own signal.
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_socket >= 0)
        close(m_socket);
    m_socket = -1;
}

} // namespace marquetrix
