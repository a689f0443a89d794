#include "systemload.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace marquetrix::bench {

namespace {

// CPU seconds (user + system) in a /proc stat file; negative when it cannot be read.
double cpuSecondsIn(const QString &statPath)
{
    QFile stat(statPath);
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The name in parentheses may hold spaces; the fields after it start with the state.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / ticks;
}

} // namespace

double processCpuSeconds(qint64 pid)
{
    return cpuSecondsIn(QStringLiteral("/proc/%1/stat").arg(pid));
}

WindowCpu windowCpuSeconds()
{
    WindowCpu cpu;
    const QString gui = QString::number(getpid());
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile name(tasks.filePath(task + QStringLiteral("/comm")));
        if (!name.open(QIODevice::ReadOnly))
            continue;
        const QByteArray comm = name.readAll();
        double *sum = nullptr;
        if (task == gui)
            sum = &cpu.gui;
        // The scene graph's render thread (OpenGL or CPU), Mesa's rasteriser threads, and
        // Qt's pool, which converts and copies large images for the drawing.
        else if (comm.startsWith("QSGRenderThread") || comm.startsWith("QSGSoftwareRend") ||
                 comm.startsWith("llvmpipe") || comm.startsWith("Thread (pooled)"))
            sum = &cpu.render;
        if (!sum)
            continue;
        if (const double seconds = cpuSecondsIn(tasks.filePath(task + QStringLiteral("/stat")));
            seconds >= 0)
            *sum += seconds;
    }
    return cpu;
}

double loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().split(' ').value(0).toDouble();
}

qint64 xServerPid()
{
    const QString display = qEnvironmentVariable("DISPLAY").section(u'.', 0, 0);
    if (!display.startsWith(u':'))
        return 0;
    const QStringList servers{QStringLiteral("Xvfb"), QStringLiteral("Xorg"), QStringLiteral("X")};
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &pid : processes) {
        QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (pid.toLongLong() <= 0 || !file.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> arguments = file.readAll().split('\0');
        if (servers.contains(QFileInfo(QString::fromLocal8Bit(arguments.value(0))).fileName()) &&
            arguments.contains(display.toLocal8Bit()))
            return pid.toLongLong();
    }
    return 0;
}

} // namespace marquetrix::bench
