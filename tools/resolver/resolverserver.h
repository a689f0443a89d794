#pragma once

#include "linkresolver.h"
#include "resolveroptions.h"

#include <httplib.h>

#include <string>

namespace marquetrix::resolver {

// The HTTP face of the service: POST {"url": ...} on any path answers {"urls": [...]};
// everything else gets a JSON error. One log line per request on standard error.
class ResolverServer
{
public:
    static constexpr std::size_t maxBodyBytes = 16 * 1024;

    explicit ResolverServer(const ResolverOptions &options);

    // Binds the listening socket; false (with a message) when the address is not usable.
    bool bind(std::string &error);
    // Where clients reach the service, once bound.
    std::string address() const;
    // Serves until stop(); false when serving failed.
    bool serve();
    void stop();

private:
    void readAndResolve(const httplib::Request &request, httplib::Response &response,
                        const httplib::ContentReader &readContent);
    void resolve(const std::string &requestBody, httplib::Response &response);

    ResolverOptions m_options;
    LinkResolver m_resolver;
    httplib::Server m_server;
    int m_boundPort = -1;
};

} // namespace marquetrix::resolver
