// tavrin-cli sweep --mqtt: the sweep's traces, the analyzer's serial number and the link's state
// handed to the publisher, and the publisher's news told once each on standard error. Without
// --mqtt every call does nothing.
#pragma once

#include "cli/options.h"
#include "publish/publisher.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tavrin::cli {

class PublishSink {
public:
    // Reads the --mqtt options and sets the publisher up, without touching the network: kExitOk,
    // or kExitUsage or kExitFile (a password or CA file that cannot be read) after telling why.
    int Open(const CommandLine &line);
    bool Active() const { return publisher_ != nullptr; }

    // The analyzer answered with this serial number: the connection starts.
    void Analyzer(const std::string &serial);
    // A trace taken (its sequence number is its count in this sweep).
    void Trace(const TraceRecord &record);
    void Link(PublishedStatus status);
    // Says offline, gives what waits a few seconds to go out, and tells what was not published.
    // The exit status: code, or kExitPublish for a sweep that succeeded but did not publish all.
    int Finish(int code);

private:
    std::unique_ptr<Publisher> publisher_;
    PublishConfig config_;
    uint64_t seq_ = 0;
};

}  // namespace tavrin::cli
