#pragma once

#include "boundedhttpserver.h"
#include "linkresolver.h"
#include "resolveroptions.h"
#include "stopswitch.h"

#include <atomic>
#include <semaphore>
#include <string>

namespace marquetrix::resolver {

// The HTTP face of the service: POST {"url": ...} on any path answers {"urls": [...]};
// everything else gets a JSON error. One log line per request on standard error.
// Connections are read by more threads than resolve at once, so that clients that are
// slow to send their request do not keep others from being answered.
class ResolverServer
{
public:
    static constexpr std::size_t maxBodyBytes = 16 * 1024;

    explicit ResolverServer(const ResolverOptions &options);

    // Binds the listening socket, or takes over the one handed to the process; false (with
    // a message) when the address or descriptor is not usable.
    bool bind(std::string &error);
    // Where clients reach the service, once bound.
    std::string address() const;
    // Serves until stop(); false when serving failed.
    bool serve();
    // Ends the work in progress too: serve() returns within moments.
    void stop();

private:
    bool adopt(int fd, std::string &error);
    void readAndResolve(const httplib::Request &request, httplib::Response &response,
                        const httplib::ContentReader &readContent);
    void resolve(const std::string &requestBody, httplib::Response &response);

    ResolverOptions m_options;
    StopSwitch m_stopSwitch;
    LinkResolver m_resolver;
    std::counting_semaphore<maxWorkers> m_resolveSlots;
    BoundedHttpServer m_server;
    std::string m_boundHost;
    int m_boundPort = -1;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_served{false};
};

} // namespace marquetrix::resolver
