#pragma once

#include <string>

namespace marquetrix::layout {

enum class LogLevel
{
    Debug,
    Info,
    Error
};

// Where the engine's log lines go; the application routes them to its layout category.
class LogSink
{
public:
    virtual ~LogSink() = default;
    virtual void log(LogLevel level, const std::string &message) = 0;
};

// printf-style formatting for the engine's fixed log texts.
std::string formatLog(const char *format, ...) __attribute__((format(printf, 1, 2)));

} // namespace marquetrix::layout
