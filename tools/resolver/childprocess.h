#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace marquetrix::resolver {

// A program started in a process group of its own, its output on a pipe, its input and
// errors on /dev/null, bounded in address space and processor time. Until it is reaped
// the destructor kills its group and reaps it, so no way out of the caller leaves a
// running child or a zombie behind.
class ChildProcess
{
public:
    struct Limits
    {
        rlim_t addressSpaceBytes = RLIM_INFINITY;
        rlim_t processorSeconds = RLIM_INFINITY;
    };

    // `program` is a path; `arguments` start with the program's name.
    ChildProcess(const std::string &program, std::vector<std::string> arguments,
                 const Limits &limits);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Why it did not start; empty once it runs.
    const std::string &failure() const { return m_failure; }
    pid_t pid() const { return m_pid; }
    // The read end of its output; closed when the child closes its end.
    int outputFd() const { return m_outputFd; }

    void killGroup();
    // Waits for it to end and returns its wait status.
    int reap();

private:
    std::string m_failure;
    pid_t m_pid = -1;
    int m_outputFd = -1;
    bool m_reaped = false;
};

} // namespace marquetrix::resolver
