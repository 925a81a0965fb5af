// The simulator's line: a pseudo-terminal registered as COMn, paced like a 57600-baud wire.
#pragma once

#include "engine.h"
#include "options.h"
#include "pseudo_terminal.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace tavrin::sim {

class Server {
public:
    explicit Server(const Options &options);
    ~Server();
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    // Opens the pseudo-terminal and registers it, or with --appear-after leaves both to Run;
    // false with a message in error.
    bool Start(std::string &error);
    // Serves the line until stop is set or the simulated cable is pulled (--disconnect-after);
    // false with a message in error when a line cannot appear (--appear-after) or come back
    // (--return-after).
    bool Run(const std::atomic<bool> &stop, std::string &error);
    // Removes the registration (if it is still ours) and closes the line.
    void Shutdown();

    const std::string &DevicePath() const { return pty_.slavePath; }
    const std::string &LinkPath() const { return linkPath_; }
    bool Disconnected() const { return disconnected_; }
    const Engine &Instrument() const { return engine_; }

private:
    // A fresh pseudo-terminal, registered as COMn.
    bool OpenLine(std::string &error);
    // --appear-after: registers the line once its time has come; false with a message in error.
    bool AppearWhenDue(double now, std::string &error);
    // Unregisters the line (if the link is still ours) and closes it.
    void CloseLine();
    // The number of trace blocks after which the line hangs up; 0 for never.
    int HangupAt() const;
    // --hangup-after: the cable is pulled now and plugged back --return-after seconds later.
    bool HangUpAndReturn(const std::atomic<bool> &stop, std::string &error);
    void Log(const uint8_t *bytes, size_t n, double now);
    void SendDue(double now);

    Options options_;
    double startTime_;
    Engine engine_;
    PseudoTerminal pty_;
    std::string linkPath_;
    FILE *log_ = nullptr;
    std::vector<uint8_t> queue_;
    double lineFree_ = 0;
    bool lineIdle_ = true;
    double lastSend_ = 0;
    bool disconnected_ = false;
    bool returned_ = false;
    bool appeared_ = false;
};

// Seconds on the steady clock.
double NowSeconds();

}  // namespace tavrin::sim
