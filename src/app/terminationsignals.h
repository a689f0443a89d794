#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace marquetrix {

// SIGTERM and SIGINT (logout, `kill`, Ctrl+C in a terminal) quit the event loop like closing
// the window does, so the players are stopped instead of the process dying in the middle of
// playback. The handler only writes a byte to a pipe; the loop reads it.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace marquetrix
