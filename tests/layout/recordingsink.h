#pragma once

#include "logsink.h"

#include <QStringList>

// Keeps the search's log lines as "level: text".
struct RecordingSink final : marquetrix::layout::LogSink
{
    void log(marquetrix::layout::LogLevel level, const std::string &message) override
    {
        static constexpr const char *names[] = {"debug", "info", "error"};
        lines << QString("%1: %2").arg(names[int(level)], QString::fromStdString(message));
    }
    QStringList lines;
};
