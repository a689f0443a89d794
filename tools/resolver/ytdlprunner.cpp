#include "ytdlprunner.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <sstream>

extern char **environ;

namespace marquetrix::resolver {

namespace {

using Clock = std::chrono::steady_clock;

// yt-dlp prints a handful of URLs; anything beyond this is not an answer.
constexpr std::size_t maxOutputBytes = 1024 * 1024;
constexpr std::chrono::milliseconds exitPollInterval{20};

class Pipe
{
public:
    Pipe()
    {
        if (pipe2(m_fds.data(), O_CLOEXEC) != 0) {
            m_fds = {-1, -1};
        }
    }
    ~Pipe()
    {
        closeRead();
        closeWrite();
    }
    Pipe(const Pipe &) = delete;
    Pipe &operator=(const Pipe &) = delete;

    bool isOpen() const { return m_fds[0] >= 0; }
    int readEnd() const { return m_fds[0]; }
    int writeEnd() const { return m_fds[1]; }
    void closeRead() { closeFd(m_fds[0]); }
    void closeWrite() { closeFd(m_fds[1]); }

private:
    static void closeFd(int &fd)
    {
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    }
    std::array<int, 2> m_fds{-1, -1};
};

std::chrono::milliseconds remaining(Clock::time_point deadline)
{
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
}

// Reads the child's output until it closes it or the deadline passes; false at the deadline.
bool readUntilClosed(int fd, std::string &output, Clock::time_point deadline)
{
    std::array<char, 4096> buffer{};
    for (;;) {
        pollfd waiting{fd, POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(remaining(deadline).count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        const ssize_t got = read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return true;
        }
        const std::size_t room = maxOutputBytes - std::min(maxOutputBytes, output.size());
        output.append(buffer.data(), std::min(room, static_cast<std::size_t>(got)));
    }
}

// Waits for the child until the deadline; false if it is still running then.
bool waitUntil(pid_t pid, int &status, Clock::time_point deadline)
{
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        poll(nullptr, 0, static_cast<int>(exitPollInterval.count()));
    }
}

std::vector<std::string> nonEmptyLines(const std::string &output)
{
    std::vector<std::string> lines;
    std::istringstream stream(output);
    std::string line;
    while (std::getline(stream, line)) {
        line.erase(0, line.find_first_not_of(" \t\r"));
        line.erase(line.find_last_not_of(" \t\r") + 1);
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::string describeExit(int status)
{
    if (WIFEXITED(status)) {
        return "exit status " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return "killed by signal " + std::to_string(WTERMSIG(status));
    }
    return "ended abnormally";
}

} // namespace

YtDlpRunner::YtDlpRunner(std::chrono::milliseconds timeout) : m_timeout(timeout) {}

std::vector<std::string> YtDlpRunner::arguments(const std::string &link)
{
    return {"yt-dlp", "--ignore-config", "--no-playlist", "--socket-timeout", "10", "-g", "--",
            link};
}

YtDlpResult YtDlpRunner::run(const std::string &link) const
{
    YtDlpResult result;
    Pipe output;
    if (!output.isOpen()) {
        result.detail = "no pipe for its output";
        return result;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output.writeEnd(), STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // Client connections and the listening socket are not the child's to hold open.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    // The service blocks its stop signals and ignores SIGPIPE; the child starts clean.
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &signals);

    std::vector<std::string> args = arguments(link);
    std::vector<char *> argv;
    for (std::string &arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        result.outcome =
            spawned == ENOENT ? YtDlpResult::Outcome::NotInstalled : YtDlpResult::Outcome::Failed;
        result.detail = spawned == ENOENT ? "not installed" : "could not start";
        return result;
    }
    output.closeWrite();

    const Clock::time_point deadline = Clock::now() + m_timeout;
    std::string printed;
    int status = 0;
    if (!readUntilClosed(output.readEnd(), printed, deadline) ||
        !waitUntil(pid, status, deadline)) {
        kill(-pid, SIGKILL);
        waitpid(pid, &status, 0);
        result.outcome = YtDlpResult::Outcome::TimedOut;
        result.detail = "no answer within " + std::to_string(m_timeout.count()) + " ms";
        return result;
    }
    result.lines = nonEmptyLines(printed);
    const bool succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.outcome = succeeded && !result.lines.empty() ? YtDlpResult::Outcome::Found
                                                        : YtDlpResult::Outcome::Failed;
    result.detail = succeeded && result.lines.empty() ? "printed nothing" : describeExit(status);
    return result;
}

} // namespace marquetrix::resolver
