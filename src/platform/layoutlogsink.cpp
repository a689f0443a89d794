#include "layoutlogsink.h"

#include "logging.h"

namespace marquetrix {

void LayoutLogSink::log(layout::LogLevel level, const std::string &message)
{
    const QString text = QString::fromStdString(message);
    switch (level) {
    case layout::LogLevel::Debug:
        qCDebug(lcLayout).noquote() << text;
        break;
    case layout::LogLevel::Info:
        qCInfo(lcLayout).noquote() << text;
        break;
    case layout::LogLevel::Error:
        qCWarning(lcLayout).noquote() << text;
        break;
    }
}

} // namespace marquetrix
