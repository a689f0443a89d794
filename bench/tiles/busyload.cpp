#include "busyload.h"

namespace marquetrix::bench {

BusyLoad::BusyLoad(int processes)
{
    for (int i = 0; i < processes; ++i) {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral("/bin/sh"),
                       {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
        m_processes.push_back(std::move(process));
    }
}

BusyLoad::~BusyLoad()
{
    for (auto &process : m_processes) {
        process->kill();
        process->waitForFinished(1000);
    }
}

} // namespace marquetrix::bench
