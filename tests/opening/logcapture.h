#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Records every log line of a category while it exists, and still passes each line on.
class LogCapture
{
public:
    explicit LogCapture(const char *category) : m_category(category)
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_lines.clear();
    }
    bool contains(const QString &text) const { return lines().contains(text); }

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        LogCapture *self = s_current;
        if (self && context.category && qstrcmp(context.category, self->m_category) == 0) {
            QMutexLocker lock(&self->m_mutex);
            self->m_lines.append(message);
        }
        if (self && self->m_previous)
            self->m_previous(type, context, message);
    }

    static inline LogCapture *s_current = nullptr;
    const char *m_category;
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_mutex;
    QStringList m_lines;
};
