// The acquisition session: everything the analyzer and the user decided, without a window. It
// asks the analyzer through the instrument (never waiting for it), and publishes every trace it
// accepts once, on its trace bus. The panel groups show its state and send it intents.
#pragma once

#include "common/timers.h"
#include "instrument/instrument.h"
#include "markers/marker_measurements.h"
#include "measure/adjacent_channel.h"
#include "measure/averaging.h"
#include "measure/trace.h"
#include "measure/trace_hold.h"
#include "session/generator.h"
#include "session/limit_test.h"
#include "session/line_control.h"
#include "session/marker_set.h"
#include "session/panel_settings.h"
#include "session/peak_tools_state.h"
#include "session/recorder.h"
#include "session/trace_bus.h"
#include "session/trace_memories.h"

#include <QObject>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

namespace tavrin {

enum class SessionPart { Line, Settings, Markers, TraceModes, Limits, Record, Generator, Trace, Memories, Peaks };

class Session : public QObject {
    Q_OBJECT
public:
    struct Deps {
        Instrument &instrument;
        Timers &timers;
        std::function<std::time_t()> wallClock = [] { return std::time(nullptr); };
        std::function<PortFacts(int)> portFacts = [](int port) { return GatherPortFacts(port); };
        std::function<std::string(int, bool)> portText = PortTargetText;
        std::function<std::string()> failureLogPath;  // empty: limit_failures.csv in the Working folder
        // Runs a file job on a thread of its own, in order, and what the job hands back later on
        // the session's thread. Empty: both at once.
        std::function<void(std::function<std::function<void()>()>)> fileWork;
    };

    explicit Session(Deps deps, QObject *parent = nullptr);
    ~Session() override;

    LineControl &Line() { return line_; }
    const LineControl &Line() const { return line_; }
    PanelSettings &Settings() { return settings_; }
    const PanelSettings &Settings() const { return settings_; }
    MarkerSet &Markers() { return markers_; }
    const MarkerSet &Markers() const { return markers_; }
    LimitTest &Limits() { return limits_; }
    const LimitTest &Limits() const { return limits_; }
    Recorder &Record() { return recorder_; }
    const Recorder &Record() const { return recorder_; }
    GeneratorControl &Generator() { return generator_; }
    const GeneratorControl &Generator() const { return generator_; }
    TraceBus &Bus() { return bus_; }
    TraceMemories &Memories() { return memories_; }
    const TraceMemories &Memories() const { return memories_; }
    PeakToolsState &PeakTools() { return peakTools_; }
    const PeakToolsState &PeakTools() const { return peakTools_; }

    // Acquisition.
    void Start();
    void Stop();
    // Averaging off, stopped, and one last trace taken and shown in the live colour.
    void Freeze();
    void SetAveraging(bool on);
    // The averaging count of the settings; a running average starts again over it.
    void SetAverageCount(int count);
    // One fresh trace (asked after this call), checked first when nothing runs: done has it, or
    // null and why not.
    void Single(std::function<void(const TracePtr &, const std::string &why)> done, bool check = true);
    // The program is ending: nothing more is asked of the analyzer.
    void Halt();

    // Trace modes and measurements.
    void SetHold(HoldKind kind, bool on);
    void ClearHolds();
    void SetMeasurements(MeasurementSwitches on);
    // Marker 1 on the highest point of the trace the markers read.
    void Peak();
    // Adjacent channel power's channels (switched on with the measurements).
    void SetChannelPlan(const ChannelPlan &plan);

    // The trace the markers read, with the settings it was taken at and its time, into a memory;
    // the user is told when there is none yet.
    void StoreMemory(MemorySlot slot);
    // The peak tools on the active marker: the next peak in the table's order, the nearest peak
    // left or right of it. A beep when there is none.
    void NextPeak();
    void PeakLeft();
    void PeakRight();
    // Switched on, the marker goes on the highest point at once and on every trace after.
    void SetTracking(int index, bool on);
    // The peaks of the trace the markers read under the rules, left to right; none before a trace.
    std::vector<tavrin::Peak> Peaks() const;

    // The main trace is drawn in the play colour (playback was used while stopped) until the
    // acquisition starts again.
    void SetPlayColour(bool on);

    // The newest live (or averaged) trace; null before the first.
    TracePtr Live() const { return live_; }
    // The screen's main trace: the newest live one, or the entry an offline playback put there
    // until the acquisition runs or takes a new trace; null before either.
    TracePtr Shown() const { return shown_; }
    // A trace has come, or a record is played or shown.
    bool ShowsTrace() const { return shown_ != nullptr || recorder_.Playing(); }
    // What the markers, Peak, the measurements and the limit test read: a hold that holds a trace
    // while the screen shows the acquisition's trace, otherwise the trace shown.
    ReadTrace TraceToRead() const;
    // The same with the settings it was taken at (a hold's, the entry's, the block's); no points
    // before a trace.
    SettledTrace SettledRead() const;
    bool AveragingOn() const { return averagingOn_; }
    int AverageCount() const { return averageCount_; }
    const RunningAverage &Average() const { return average_; }
    const TraceHolds &Holds() const { return holds_; }
    MeasurementSwitches Measurements() const { return measurements_; }
    const ChannelPlan &Channels() const { return channelPlan_; }
    bool PlayColour() const { return playColour_; }
    LinkStatus Status() const { return line_.Status(); }
    // The analyzer's software and FPGA versions, asked on the line.
    void AskVersions(std::function<void(const Versions &)> answer) { d_.instrument.AskVersions(std::move(answer)); }

signals:
    void changed(tavrin::SessionPart part);
    // Something the user must be told; an empty title is the program's name.
    void problem(const QString &title, const QString &text);
    void beep();
    // A limit failure asks for the screen to be saved, once it is drawn.
    void captureWanted();

private:
    void Accept(const Fetched &f);
    void ShowOffline(const TraceRecord &entry);
    void Publish(TracePtr trace);
    void Rejudge();
    void Changed(SessionPart part) { emit changed(part); }
    void FollowPeaks();
    // The active marker to the peak found among the peaks, from its point and level.
    using PeakFinder = std::function<std::optional<tavrin::Peak>(const std::vector<tavrin::Peak> &, int point, int16_t value)>;
    void MoveActive(const PeakFinder &find);

    Deps d_;
    LineControl line_;
    PanelSettings settings_;
    MarkerSet markers_;
    LimitTest limits_;
    Recorder recorder_;
    GeneratorControl generator_;
    TraceMemories memories_;
    PeakToolsState peakTools_;
    TraceBus bus_;
    std::vector<TraceBus::Connection> own_;  // the session's own sinks: holds, tracking, limit test
    TraceHolds holds_;
    MeasurementSwitches measurements_;
    ChannelPlan channelPlan_;
    RunningAverage average_;
    int averageCount_ = 1;
    bool averagingOn_ = false;
    bool playColour_ = false;
    TracePoints averaged_{};
    TracePtr live_;
    TracePtr shown_;
    uint64_t seq_ = 0;
};

}  // namespace tavrin
