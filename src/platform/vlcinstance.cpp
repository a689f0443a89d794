#include "vlcinstance.h"

#include "logging.h"
#include "secretredaction.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QVector>
#include <vlc/vlc.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace marquetrix {

namespace {

// Without a sound server or card libVLC's real outputs fail on every start and log
// errors for each player; the dummy output keeps the clock running silently.
bool hasSoundDevice()
{
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && (QFileInfo::exists(runtime + QStringLiteral("/pulse/native")) ||
                               QFileInfo::exists(runtime + QStringLiteral("/pipewire-0"))))
        return true;
    return !QDir(QStringLiteral("/dev/snd"))
                .entryList({QStringLiteral("pcmC*")}, QDir::System)
                .isEmpty();
}

// Errors libVLC logs on every start while it probes for hardware decoding, which is off.
bool isProbeNoise(const char *text)
{
    return std::strstr(text, "Failed to create video converter") != nullptr;
}

void logMessage(void *, int level, const libvlc_log_t *context, const char *format, va_list args)
{
    // libVLC reports recoverable trouble of individual streams as errors (a broken packet,
    // a server that refused); they explain our own warnings but are not failures of ours.
    if (!lcEngine().isDebugEnabled() && (level < LIBVLC_ERROR || !lcEngine().isInfoEnabled()))
        return;
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    const char *module = nullptr;
    const char *file = nullptr;
    unsigned line = 0;
    libvlc_log_get_context(context, &module, &file, &line);
    // libVLC names the locations it opens with their user name and password.
    const QByteArray shown = withoutUrlCredentials(QString::fromUtf8(text)).toUtf8();
    if (level >= LIBVLC_ERROR && !isProbeNoise(text))
        qCInfo(lcEngine, "libVLC %s: %s", module ? module : "?", shown.constData());
    else
        qCDebug(lcEngine, "libVLC %s: %s", module ? module : "?", shown.constData());
}

} // namespace

VlcInstance::VlcInstance(libvlc_instance_t *handle) : m_handle(handle)
{
    libvlc_log_set(m_handle, logMessage, nullptr);
}

VlcInstance::~VlcInstance()
{
    libvlc_log_unset(m_handle);
    libvlc_release(m_handle);
}

std::shared_ptr<VlcInstance> VlcInstance::shared()
{
    static QMutex mutex;
    static std::weak_ptr<VlcInstance> current;
    QMutexLocker locker(&mutex);
    if (auto instance = current.lock())
        return instance;

    // Subtitles are the ones the program names: libVLC's own search also takes files that
    // merely resemble the video's name.
    QVector<QByteArray> arguments{"--no-video-title-show", "--no-osd", "--no-snapshot-preview",
                                  "--no-stats", "--no-sub-autodetect-file"};
    if (!hasSoundDevice())
        arguments.append("--aout=adummy");
    QVector<const char *> argv;
    for (const QByteArray &argument : arguments)
        argv.append(argument.constData());
    libvlc_instance_t *handle = libvlc_new(int(argv.size()), argv.data());
    if (!handle) {
        qCWarning(lcEngine, "libVLC failed to start: %s", libvlc_errmsg());
        return nullptr;
    }
    qCInfo(lcEngine, "libVLC %s started%s", libvlc_get_version(),
           hasSoundDevice() ? "" : " without a sound device");
    std::shared_ptr<VlcInstance> instance(new VlcInstance(handle));
    current = instance;
    return instance;
}

} // namespace marquetrix
