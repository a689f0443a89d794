#include "ytdlprunner.h"

#include "childprocess.h"
#include "stopswitch.h"

#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <optional>
#include <sstream>

namespace marquetrix::resolver {

namespace {

using Clock = std::chrono::steady_clock;

// yt-dlp prints a handful of URLs; anything beyond this is not an answer.
constexpr std::size_t kMaxOutputBytes = 1024 * 1024;
constexpr std::chrono::milliseconds kExitPollInterval{20};

// The program as the shell would find it on PATH; none when it is not installed.
std::optional<std::string> findOnPath(const std::string &name)
{
    const char *path = std::getenv("PATH");
    std::istringstream entries(path ? path : "");
    std::string directory;
    while (std::getline(entries, directory, ':')) {
        // An empty entry would mean the service's working directory: never a program's home.
        if (directory.empty()) {
            continue;
        }
        const std::string candidate = directory + '/' + name;
        struct stat info = {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

std::chrono::milliseconds remaining(Clock::time_point deadline)
{
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
}

enum class Reading
{
    Closed,
    TimedOut,
    TooLong
};

// Reads the child's output until it closes it, the deadline passes or it prints more
// than an answer can hold.
Reading readUntilClosed(int fd, std::string &output, Clock::time_point deadline)
{
    std::array<char, 4096> buffer{};
    for (;;) {
        pollfd waiting{fd, POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(remaining(deadline).count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return Reading::TimedOut;
        }
        const ssize_t got = read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return Reading::Closed;
        }
        if (output.size() + static_cast<std::size_t>(got) > kMaxOutputBytes) {
            return Reading::TooLong;
        }
        output.append(buffer.data(), static_cast<std::size_t>(got));
    }
}

// Waits for the child to end, without reaping it, until the deadline; false if it is
// still running then.
bool waitForExit(pid_t pid, Clock::time_point deadline)
{
    for (;;) {
        siginfo_t info = {};
        const int waited =
            waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
        if ((waited == 0 && info.si_pid == pid) || (waited < 0 && errno != EINTR)) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        poll(nullptr, 0, static_cast<int>(kExitPollInterval.count()));
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

YtDlpRunner::YtDlpRunner(std::chrono::milliseconds timeout, StopSwitch &stopSwitch)
    : m_timeout(timeout), m_stopSwitch(stopSwitch)
{
}

std::vector<std::string> YtDlpRunner::arguments(const std::string &link)
{
    return {"yt-dlp", "--ignore-config", "--no-playlist", "--socket-timeout", "10", "-g", "--",
            link};
}

YtDlpResult YtDlpRunner::run(const std::string &link) const
{
    YtDlpResult result;
    const std::optional<std::string> program = findOnPath("yt-dlp");
    if (!program) {
        result.outcome = YtDlpResult::Outcome::NotInstalled;
        result.detail = "not installed";
        return result;
    }
    // The processor bound backs the wall-clock one for a child that escapes it (one
    // that left our process group); the address space bound keeps a page that never
    // ends, or one that unpacks without end, from taking the host's memory.
    const auto seconds = static_cast<rlim_t>((m_timeout.count() + 999) / 1000);
    ChildProcess child(*program, arguments(link), {kMaxAddressSpace, seconds});
    if (!child.failure().empty()) {
        result.detail = child.failure();
        return result;
    }
    const pid_t pid = child.pid();
    const bool stopping = !m_stopSwitch.addProcessGroup(pid);

    const Clock::time_point deadline = Clock::now() + m_timeout;
    std::string printed;
    const Reading reading =
        stopping ? Reading::TimedOut : readUntilClosed(child.outputFd(), printed, deadline);
    const bool ended = reading == Reading::Closed && waitForExit(pid, deadline);
    if (!ended) {
        child.killGroup();
    }
    m_stopSwitch.removeProcessGroup(pid);
    const int status = child.reap();
    if (reading == Reading::TooLong) {
        result.detail = "printed more than " + std::to_string(kMaxOutputBytes) + " bytes";
        return result;
    }
    if (!ended) {
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
