// For tavrin-scpi-load --fake: the SCPI server with the fake target on a thread of its own, and
// a 1 ms timer beside it: the CPU time its thread used between two ticks is how long the server
// held the event loop at a stretch (within a millisecond), whatever else the machine ran.
#pragma once

#include <QThread>

#include <memory>
#include <string>

namespace tavrin::load {

class FakeServerThread {
public:
    // Starts the thread and waits until the server listens on a free loopback port.
    FakeServerThread();
    ~FakeServerThread();
    quint16 Port() const { return port_; }
    // How late the 1 ms timer was, and how much CPU time the server's thread used between two
    // of its ticks.
    std::string Lateness() const;
    // What the server noted (clients refused or dropped).
    std::string Notes() const;

private:
    class Host;
    QThread thread_;
    Host *host_;
    quint16 port_ = 0;
};

}  // namespace tavrin::load
