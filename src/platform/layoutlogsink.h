#pragma once

#include "logsink.h"

namespace marquetrix {

// Routes the layout engine's log lines to the layout category at their levels.
class LayoutLogSink final : public layout::LogSink
{
public:
    void log(layout::LogLevel level, const std::string &message) override;
};

} // namespace marquetrix
