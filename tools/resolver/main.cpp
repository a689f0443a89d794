#include "resolveroptions.h"
#include "resolverserver.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>
#include <unistd.h>

using namespace marquetrix::resolver;

namespace {

// Stops the server on SIGINT or SIGTERM. The signals are blocked in every thread and
// taken here synchronously, so stopping runs as ordinary code, not in a handler.
void stopOnSignals(ResolverServer &server, const sigset_t &stopSignals)
{
    std::thread([&server, stopSignals] {
        int received = 0;
        sigwait(&stopSignals, &received);
        server.stop();
    }).detach();
}

// For a parent that runs the service as its child: the parent holds our standard input,
// and its end (also a crash) closes it.
void stopWhenStdinCloses(ResolverServer &server)
{
    std::thread([&server] {
        char buffer[256];
        while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
        }
        server.stop();
    }).detach();
}

} // namespace

int main(int argc, char **argv)
{
    const ParsedOptions parsed = parseResolverOptions({argv + 1, argv + argc});
    if (parsed.help) {
        std::cout << resolverUsage();
        return 0;
    }
    if (!parsed.error.empty()) {
        std::cerr << "marquetrix-resolver: " << parsed.error << "\n\n" << resolverUsage();
        return 2;
    }

    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    ResolverServer server(parsed.options);
    std::string error;
    if (!server.bind(error)) {
        std::cerr << "marquetrix-resolver: " << error << '\n';
        return 1;
    }
    stopOnSignals(server, stopSignals);
    if (parsed.options.untilStdinCloses) {
        stopWhenStdinCloses(server);
    }
    std::cout << "listening on " << server.address() << std::endl;
    return server.serve() ? 0 : 1;
}
