// tavrin-sim: the analyzer on a pseudo-terminal, for the program, its tests and demos.
#include "options.h"
#include "server.h"

#include <atomic>
#include <csignal>
#include <cstdio>

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) { g_stop.store(true); }

}  // namespace

int main(int argc, char **argv)
{
    using namespace tavrin::sim;
    Options options;
    bool help = false;
    std::string error;
    if (!ParseOptions(argc, argv, options, help, error)) {
        std::fprintf(stderr, "tavrin-sim: %s\n", error.c_str());
        return 2;
    }
    if (help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Server server(options);
    if (!server.Start(error)) {
        std::fprintf(stderr, "tavrin-sim: %s\n", error.c_str());
        return 1;
    }
    const char *pace = options.pace ? "paced at 57600 baud" : "unpaced";
    if (options.appearAfter > 0)
        std::printf("tavrin-sim: COM%d appears in %g s, %s\n", options.port, options.appearAfter, pace);
    else
        std::printf("tavrin-sim: registered COM%d -> %s (%s), %s\n", options.port, server.DevicePath().c_str(),
                    server.LinkPath().c_str(), pace);
    std::fflush(stdout);
    if (!server.Run(g_stop, error)) {
        std::fprintf(stderr, "tavrin-sim: %s\n", error.c_str());
        server.Shutdown();
        return 1;
    }
    if (server.Disconnected())
        std::printf("tavrin-sim: line hung up after %d trace blocks\n", server.Instrument().BlocksSent());
    server.Shutdown();
    std::printf("tavrin-sim: COM%d unregistered\n", options.port);
    return 0;
}
