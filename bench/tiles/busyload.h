#pragma once

#include <QProcess>

#include <memory>
#include <vector>

namespace marquetrix::bench {

// Processes that keep a core busy each for as long as this object lives: a machine that is
// doing something else, as users' machines are.
class BusyLoad
{
public:
    explicit BusyLoad(int processes);
    ~BusyLoad();

    BusyLoad(const BusyLoad &) = delete;
    BusyLoad &operator=(const BusyLoad &) = delete;

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

} // namespace marquetrix::bench
