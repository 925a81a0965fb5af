// A session on the fake analyzer in virtual time, with its messages, beeps and captures kept, and
// a sink that keeps every trace published.
#pragma once

#include "session/session.h"
#include "support/fake_instrument.h"
#include "support/temp_dir.h"
#include "support/virtual_clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrin::test {

using namespace std::chrono_literals;
using Commands = std::vector<std::string>;

class SessionTest : public ::testing::Test {
protected:
    SessionTest()
    {
        QObject::connect(&session, &Session::problem, [this](const QString &title, const QString &text) {
            problems.push_back(title.toStdString() + ": " + text.toStdString());
        });
        QObject::connect(&session, &Session::beep, [this] { ++beeps; });
        QObject::connect(&session, &Session::captureWanted, [this] { ++captures; });
        session.Line().SelectPort(1);
        fake.Sent();
    }

    // Facts of a COM port with a device that opens: nothing in the way of the analyzer.
    static PortFacts Reachable(int port)
    {
        PortFacts f;
        f.port = port;
        f.target = f.device = "/dev/pts/9";
        return f;
    }
    LinkState State() const { return session.Status().state; }
    bool Running() const { return session.Line().Running(); }
    // Runs the clock until the condition holds, at most limit.
    bool Until(const std::function<bool()> &pred, std::chrono::milliseconds limit = 30s)
    {
        return clock.RunUntil(pred, limit);
    }
    void StartAcquiring()
    {
        session.Start();
        ASSERT_TRUE(Until([this] { return !traces.empty(); }, 2s));
        fake.Sent();
    }
    Commands Sent() { return fake.Sent(); }
    // The wall clock follows the virtual one.
    std::time_t Wall() const { return static_cast<std::time_t>(1700000000 + clock.Ms() / 1000); }

    TempConfigHome home;
    VirtualClock clock;
    FakeInstrument fake{clock};
    // File work runs at once, unless held back as on a busy disk: the jobs wait in fileJobs.
    bool holdFiles = false;
    std::vector<std::function<std::function<void()>()>> fileJobs;
    Session session{{fake, clock, [this] { return Wall(); }, Reachable, [](int, bool) { return std::string("/dev/pts/9"); },
                     [this] { return home.Path() + "/limit_failures.csv"; }, [this](auto job) {
                         if (holdFiles)
                             fileJobs.push_back(std::move(job));
                         else
                             job()();
                     }}};
    std::vector<TracePtr> traces;
    TraceBus::Connection keep = session.Bus().Connect([this](const TracePtr &t) { traces.push_back(t); });
    std::vector<std::string> problems;
    int beeps = 0, captures = 0;
};

}  // namespace tavrin::test
