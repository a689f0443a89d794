#include "childprocess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>

extern char **environ;

namespace marquetrix::resolver {

namespace {

// Everything the child needs between fork and exec, made beforehand: a forked copy of a
// threaded process may only make async-signal-safe calls, so no allocation there.
struct ChildSetup
{
    const char *program = nullptr;
    char *const *argv = nullptr;
    int outputFd = -1;
    rlimit addressSpace{};
    rlimit processorTime{};
};

[[noreturn]] void execChild(const ChildSetup &setup)
{
    setpgid(0, 0);
    // The service blocks its stop signals and ignores SIGPIPE; the child starts clean.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &byDefault, nullptr);

    const int devNull = open("/dev/null", O_RDWR);
    if (devNull < 0 || dup2(devNull, STDIN_FILENO) < 0 || dup2(setup.outputFd, STDOUT_FILENO) < 0 ||
        dup2(devNull, STDERR_FILENO) < 0) {
        _exit(127);
    }
    // Client connections and the listening socket are not the child's to hold open.
    if (close_range(STDERR_FILENO + 1, ~0U, 0) != 0) {
        rlimit files{};
        getrlimit(RLIMIT_NOFILE, &files);
        for (rlim_t fd = STDERR_FILENO + 1; fd < std::min<rlim_t>(files.rlim_cur, INT_MAX); ++fd) {
            close(static_cast<int>(fd));
        }
    }
    const rlimit noCore{0, 0};
    if (setrlimit(RLIMIT_AS, &setup.addressSpace) != 0 ||
        setrlimit(RLIMIT_CPU, &setup.processorTime) != 0 || setrlimit(RLIMIT_CORE, &noCore) != 0) {
        _exit(127);
    }
    execve(setup.program, setup.argv, environ);
    _exit(127);
}

} // namespace

ChildProcess::ChildProcess(const std::string &program, std::vector<std::string> arguments,
                           const Limits &limits)
{
    std::array<int, 2> fds{-1, -1};
    if (pipe2(fds.data(), O_CLOEXEC) != 0) {
        m_failure = "no pipe for its output";
        return;
    }
    m_outputFd = fds[0];

    std::vector<char *> argv;
    for (std::string &argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const ChildSetup setup{program.c_str(), argv.data(), fds[1],
                           rlimit{limits.addressSpaceBytes, limits.addressSpaceBytes},
                           rlimit{limits.processorSeconds, limits.processorSeconds + 1}};

    const pid_t pid = fork();
    if (pid == 0) {
        execChild(setup);
    }
    close(fds[1]);
    if (pid < 0) {
        m_failure = "could not start";
        return;
    }
    m_pid = pid;
    // Also here, so that the group exists before anyone signals it.
    setpgid(pid, pid);
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0 && !m_reaped) {
        killGroup();
        reap();
    }
    if (m_outputFd >= 0) {
        close(m_outputFd);
    }
}

void ChildProcess::killGroup()
{
    if (m_pid > 0) {
        kill(-m_pid, SIGKILL);
    }
}

int ChildProcess::reap()
{
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_reaped = true;
    return status;
}

} // namespace marquetrix::resolver
