// The bench's program: launched against a simulator, its controls found by name, its traces
// counted on the session's trace bus.
#include "bench_program.h"

#include "common/program_folder.h"
#include "display/display_window.h"
#include "instrument/port_check.h"
#include "panel/control_panel.h"
#include "session/session.h"
#include "shell/main_frame.h"
#include "shell/program.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <utility>

namespace tavrin::bench {

using namespace std::chrono_literals;

TraceTimes::TraceTimes(tavrin::Session &session)
    : connection_(session.Bus().Connect([this](const tavrin::TracePtr &) { times_.push_back(Clock::now()); }))
{
}

std::optional<Clock::time_point> TraceTimes::Last() const
{
    if (times_.empty())
        return std::nullopt;
    return times_.back();
}

std::vector<Clock::time_point> TraceTimes::Between(Clock::time_point from, Clock::time_point to) const
{
    std::vector<Clock::time_point> in;
    std::copy_if(times_.begin(), times_.end(), std::back_inserter(in),
                 [&](Clock::time_point t) { return t >= from && t < to; });
    return in;
}

Rate RateOf(const std::vector<Clock::time_point> &times, double windowSeconds)
{
    Rate r;
    r.traces = times.size();
    r.seconds = windowSeconds;
    if (times.size() >= 2)
        r.steady = static_cast<double>(times.size() - 1) /
                   std::chrono::duration<double>(times.back() - times.front()).count();
    return r;
}

tavrin::Session &BenchProgram::S() { return program->TheSession(); }

QPushButton *BenchProgram::Button(const char *objectName)
{
    return program->Frame().findChild<QPushButton *>(objectName);
}

bool BenchProgram::Running() { return S().Line().Running() || S().Line().Checking(); }

bool BenchProgram::Stopped() { return !Running() && StartButton()->text() == "Start"; }

QString BenchProgram::StatusLabel()
{
    const auto *label = program->Frame().findChild<QLabel *>("lblLinkStatus");
    return label ? label->text() : QString("(no label lblLinkStatus)");
}

namespace {

// The holds, the three measurements, and markers 1 and 2 at 60 and 100 MHz, as clicked and typed.
void EverythingOn(BenchProgram &p)
{
    tavrin::ControlPanel &panel = p.program->Panel();
    for (const char *name :
         {"chkMaxHold", "chkMinHold", "chkBandPower", "chkOccupiedBW", "chkNoiseMarker", "chkMKR0", "chkMKR1"})
        if (auto *box = panel.findChild<QCheckBox *>(name); box && !box->isChecked())
            box->click();
    for (auto [name, mhz] : {std::pair{"txtMKR0", "60"}, std::pair{"txtMKR1", "100"}})
        if (auto *text = panel.findChild<QLineEdit *>(name)) {
            text->setText(mhz);
            text->setModified(true);
            emit text->editingFinished();  // Enter
        }
}

}  // namespace

bool Launch(BenchProgram &p, const std::vector<std::string> &simArgs, bool everything)
{
    Phase(p.name + ": start");
    std::filesystem::create_directories(p.Folder());
    tavrin::SetProgramFolderOverride(p.Folder());
    std::string error;
    if (!p.sim.Start(1, simArgs, error)) {
        Say("%s: the simulator did not start: %s\n", p.name.c_str(), error.c_str());
        return false;
    }
    SetScenario(p.name, p.sim.Pid());
    p.program = std::make_unique<tavrin::Program>(Dialogs(), tavrin::PortHeldElsewhere, [&p] {
        if (p.onQuit)
            p.onQuit();
    });
    p.traces = std::make_unique<TraceTimes>(p.S());
    p.program->Start();
    if (!PumpUntil([&] { return p.program->Panel().Activated(); }, kCap, 10ms)) {
        Say("%s: the control panel was not activated within %lld s\n", p.name.c_str(),
            static_cast<long long>(kCap.count()));
        return false;
    }
    if (everything)
        EverythingOn(p);
    return StartAndWait(p);
}

bool StartAndWait(BenchProgram &p)
{
    const size_t before = p.traces->Count();
    if (!p.Running())
        p.StartButton()->click();
    if (!PumpUntil([&] { return p.traces->Count() > before; }, kCap, 5ms)) {
        Say("%s: no trace came within %lld s of Start (status: %s)\n", p.name.c_str(),
            static_cast<long long>(kCap.count()), p.StatusLabel().toStdString().c_str());
        return false;
    }
    return true;
}

void StopAndWait(BenchProgram &p)
{
    if (p.Running())
        p.StartButton()->click();
    PumpUntil([&] { return p.Stopped(); }, kCap, 1ms);
}

bool SizeDisplay(tavrin::Program &program, QSize size)
{
    tavrin::DisplayWindow &display = program.Frame().Display();
    QMdiSubWindow *sub = program.Frame().DisplaySubWindow();
    if (sub->isMaximized() || sub->isMinimized())
        sub->showNormal();
    for (int i = 0; i < 4 && display.size() != size; ++i) {
        sub->resize(sub->size() + size - display.size());
        PumpFor(20ms);
    }
    return display.size() == size;
}

}  // namespace tavrin::bench
