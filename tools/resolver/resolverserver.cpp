#include "resolverserver.h"

#include "boundedtaskqueue.h"
#include "linkrequest.h"
#include "medialink.h"
#include "requeststream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <sys/socket.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace marquetrix::resolver {

namespace {

using Clock = std::chrono::steady_clock;
using HandlerResponse = httplib::Server::HandlerResponse;

// Connections waiting for a thread to read them, per worker.
constexpr std::size_t waitingPerWorker = 8;
// Threads that read requests beyond those that resolve them: slow clients tie these up
// for the read bound at most.
constexpr std::size_t spareReaders = 64;
constexpr std::size_t maxLoggedLinkLength = 300;

// What the handler learned about the request it is serving, for the log line the
// library's logger writes afterwards on the same worker thread.
struct RequestNote
{
    Clock::time_point start;
    bool routed = false;
    std::size_t bodyBytes = 0;
    std::string outcome;
};

thread_local RequestNote currentNote;

// One of the resolves that may run at once, held while it runs.
class ResolveTurn
{
public:
    explicit ResolveTurn(std::counting_semaphore<maxWorkers> &turns) : m_turns(turns)
    {
        m_turns.acquire();
    }
    ~ResolveTurn() { m_turns.release(); }
    ResolveTurn(const ResolveTurn &) = delete;
    ResolveTurn &operator=(const ResolveTurn &) = delete;

private:
    std::counting_semaphore<maxWorkers> &m_turns;
};

std::string json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

// Log lines are one line each, whatever a client sent.
std::string printable(std::string_view text)
{
    std::string out;
    for (const char c : text.substr(0, maxLoggedLinkLength)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c >= 0x20 && c < 0x7f) {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
            out += escaped;
        }
    }
    if (text.size() > maxLoggedLinkLength) {
        out += "...";
    }
    return out;
}

// A link as the log shows it: a password typed into it stays out of the log (the app
// passes the service's log on into its own).
std::string loggableLink(const std::string &text)
{
    const QUrl url(QString::fromStdString(text), QUrl::TolerantMode);
    if (!url.isValid() || url.password().isEmpty()) {
        return printable(text);
    }
    return printable(url.toString(QUrl::RemovePassword | QUrl::FullyEncoded).toStdString());
}

void replyError(httplib::Response &response, int status, const std::string &message)
{
    response.status = status;
    response.set_content(json({{"error", QString::fromStdString(message)}}), "application/json");
    currentNote.outcome = "error=\"" + printable(message) + '"';
}

std::string utcNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return stamp;
}

void logRequest(const httplib::Request &request, const httplib::Response &response)
{
    std::string line = utcNow() + ' ' + request.remote_addr + ' ' + printable(request.method) +
                       ' ' + printable(request.path) + ' ' + std::to_string(response.status);
    // An oversized body is refused unread; its announced length is what there is to log.
    const std::string announced = request.get_header_value("Content-Length");
    line += ' ' +
            (currentNote.bodyBytes || announced.empty() ? std::to_string(currentNote.bodyBytes)
                                                        : printable(announced)) +
            'B';
    if (currentNote.routed) {
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - currentNote.start);
        line += ' ' + std::to_string(elapsed.count()) + "ms";
    }
    if (!currentNote.outcome.empty()) {
        line += ' ' + currentNote.outcome;
    }
    line += '\n';
    // One call per line keeps lines whole when workers log at once.
    std::fputs(line.c_str(), stderr);
    currentNote = RequestNote();
}

// Errors the library answers itself (oversized body, malformed request) get a JSON
// body too; answers the handlers made are left alone.
HandlerResponse fillLibraryError(const httplib::Request &, httplib::Response &response)
{
    if (!response.body.empty()) {
        return HandlerResponse::Unhandled;
    }
    if (RequestStream::readDeadlinePassed()) {
        replyError(response, 408,
                   "The request did not arrive within " +
                       std::to_string(BoundedHttpServer::requestReadBound.count()) + " ms.");
        return HandlerResponse::Handled;
    }
    switch (response.status) {
    case 413:
        replyError(response, 413, "The request body is larger than 16 KiB.");
        break;
    case 414:
        replyError(response, 414, "The request line is too long.");
        break;
    default:
        replyError(response, response.status,
                   "The request could not be read (HTTP " + std::to_string(response.status) + ").");
        break;
    }
    return HandlerResponse::Handled;
}

// The library's default also sets SO_REUSEPORT, which would let a second service share
// the port silently instead of failing to start.
void reuseAddressOnly(socket_t socket)
{
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

void refuseMethod(const httplib::Request &, httplib::Response &response)
{
    response.set_header("Allow", "POST");
    replyError(response, 405, "Only POST is accepted: send {\"url\": \"<page link>\"}.");
}

} // namespace

ResolverServer::ResolverServer(const ResolverOptions &options)
    : m_options(options), m_resolver(options.ytDlpTimeout, options.fetchTimeout, m_stopSwitch),
      m_resolveSlots(options.workers), m_server(m_stopSwitch)
{
    const auto workers = static_cast<std::size_t>(options.workers);
    m_server.new_task_queue = [workers] {
        return new BoundedTaskQueue(workers + spareReaders, workers * waitingPerWorker);
    };
    m_server.set_socket_options(reuseAddressOnly);
    m_server.set_payload_max_length(maxBodyBytes);
    // A connection held open between requests would hold a worker.
    m_server.set_keep_alive_max_count(1);
    m_server.set_tcp_nodelay(true);
    m_server.set_pre_routing_handler([](const httplib::Request &, httplib::Response &) {
        currentNote.start = Clock::now();
        currentNote.routed = true;
        return HandlerResponse::Unhandled;
    });
    m_server.set_error_handler(httplib::Server::HandlerWithResponse(fillLibraryError));
    m_server.set_logger(logRequest);
    m_server.Post(".*", [this](const httplib::Request &request, httplib::Response &response,
                               const httplib::ContentReader &readContent) {
        readAndResolve(request, response, readContent);
    });
    m_server.Get(".*", refuseMethod);
    m_server.Put(".*", refuseMethod);
    m_server.Patch(".*", refuseMethod);
    m_server.Delete(".*", refuseMethod);
    m_server.Options(".*", refuseMethod);
}

bool ResolverServer::bind(std::string &error)
{
    if (m_options.listenFd >= 0) {
        return adopt(m_options.listenFd, error);
    }
    m_boundHost = m_options.host;
    if (m_options.port == 0) {
        m_boundPort = m_server.bind_to_any_port(m_options.host);
    } else if (m_server.bind_to_port(m_options.host, m_options.port)) {
        m_boundPort = m_options.port;
    }
    if (m_boundPort <= 0) {
        error = "cannot listen on " + m_options.host + ':' + std::to_string(m_options.port);
        return false;
    }
    m_server.raiseListenBacklog();
    return true;
}

bool ResolverServer::adopt(int fd, std::string &error)
{
    int listening = 0;
    socklen_t length = sizeof listening;
    sockaddr_storage address{};
    socklen_t addressLength = sizeof address;
    char host[INET6_ADDRSTRLEN] = {};
    if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &length) != 0 || !listening ||
        getsockname(fd, reinterpret_cast<sockaddr *>(&address), &addressLength) != 0 ||
        getnameinfo(reinterpret_cast<sockaddr *>(&address), addressLength, host, sizeof host,
                    nullptr, 0, NI_NUMERICHOST) != 0) {
        error = "descriptor " + std::to_string(fd) + " is not a listening socket";
        return false;
    }
    const bool ipv6 = address.ss_family == AF_INET6;
    const auto *ip4 = reinterpret_cast<const sockaddr_in *>(&address);
    const auto *ip6 = reinterpret_cast<const sockaddr_in6 *>(&address);
    m_boundHost = host;
    m_boundPort = ntohs(ipv6 ? ip6->sin6_port : ip4->sin_port);
    // The parent keeps its copy open to hand over again; ours must not reach yt-dlp.
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    m_server.adoptListeningSocket(fd);
    m_server.raiseListenBacklog();
    return true;
}

std::string ResolverServer::address() const
{
    const bool ipv6 = m_boundHost.find(':') != std::string::npos;
    const std::string host = ipv6 ? '[' + m_boundHost + ']' : m_boundHost;
    return "http://" + host + ':' + std::to_string(m_boundPort) + '/';
}

bool ResolverServer::serve()
{
    const bool served = m_stopRequested || m_server.listen_after_bind();
    m_served = true;
    return served;
}

void ResolverServer::stop()
{
    // The library's stop does nothing until its accept loop runs, and a stop can come
    // (a signal, a closed standard input) between binding and that moment.
    m_stopRequested = true;
    m_stopSwitch.trip();
    while (!m_server.is_running() && !m_served) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_server.stop();
}

void ResolverServer::readAndResolve(const httplib::Request &request, httplib::Response &response,
                                    const httplib::ContentReader &readContent)
{
    // The body is read here rather than by the library, which caps form-encoded bodies
    // (the type a client's network stack gives a POST that names none) at 8 KiB.
    if (request.is_multipart_form_data()) {
        replyError(response, 400, "The request body is not JSON; send {\"url\": \"<page link>\"}.");
        return;
    }
    std::string body;
    bool oversized = false;
    // The library refuses an announced length over the bound; a chunked body is only
    // known to be too long while it arrives.
    const bool complete = readContent([&](const char *data, std::size_t length) {
        oversized = body.size() + length > maxBodyBytes;
        if (!oversized) {
            body.append(data, length);
        }
        return !oversized;
    });
    currentNote.bodyBytes = body.size();
    if (oversized) {
        response.status = 413;
        return;
    }
    if (!complete) {
        // The library has set 413 for an announced oversized length; anything else is a
        // broken request.
        if (response.status == -1) {
            response.status = 400;
        }
        return;
    }
    resolve(body, response);
}

void ResolverServer::resolve(const std::string &requestBody, httplib::Response &response)
{
    const LinkRequest request = parseLinkRequest(requestBody);
    if (!request.link) {
        replyError(response, 400, request.error);
        if (request.linkText) {
            currentNote.outcome += " link=\"" + loggableLink(*request.linkText) + '"';
        }
        return;
    }
    const QUrl &link = *request.link;

    const Resolution resolution = [&] {
        const ResolveTurn turn(m_resolveSlots);
        return m_resolver.resolve(link);
    }();
    switch (resolution.outcome) {
    case Resolution::Outcome::Found: {
        QJsonArray urls;
        for (const std::string &url : resolution.urls) {
            urls.append(QString::fromStdString(url));
        }
        response.status = 200;
        response.set_content(json({{"urls", urls}}), "application/json");
        currentNote.outcome =
            "urls=" + std::to_string(resolution.urls.size()) + " via=" + resolution.source;
        break;
    }
    case Resolution::Outcome::PageTimedOut:
        replyError(response, 504, "The page could not be loaded: " + resolution.error + '.');
        break;
    case Resolution::Outcome::PageFailed:
        replyError(response, 502, "The page could not be loaded: " + resolution.error + '.');
        break;
    }
    currentNote.outcome += " yt-dlp=\"" + printable(resolution.ytDlpNote) + "\" link=\"" +
                           loggableLink(encodedUrl(link)) + '"';
}

} // namespace marquetrix::resolver
