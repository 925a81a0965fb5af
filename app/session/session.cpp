#include "session/session.h"

#include "common/program_folder.h"
#include "common/text_number.h"

#include <QCoreApplication>

namespace tavrin {

namespace {

std::string DefaultFailureLog() { return JoinPath(WorkingFolder(), "limit_failures.csv"); }

double Seconds(Timers::Clock::time_point t) { return std::chrono::duration<double>(t.time_since_epoch()).count(); }

}  // namespace

Session::Session(Deps deps, QObject *parent)
    : QObject(parent), d_(std::move(deps)),
      line_({d_.instrument, d_.timers, d_.portFacts, d_.portText},
            {[this](const Fetched &f) { Accept(f); }, [this] { Changed(SessionPart::Line); },
             [this](const std::string &title, const std::string &text) {
                 emit problem(QString::fromStdString(title), QString::fromStdString(text));
             }}),
      settings_(line_, [this] { Changed(SessionPart::Settings); }),
      markers_([this] { Changed(SessionPart::Markers); }),
      limits_({[this] { Rejudge(); },
               [this](const LimitActions &act) {
                   if (act.beep)
                       emit beep();
                   if (act.capture)
                       emit captureWanted();
               },
               [this](const std::string &text) { emit problem({}, QString::fromStdString(text)); }},
              d_.failureLogPath ? d_.failureLogPath : DefaultFailureLog),
      recorder_({d_.timers, d_.wallClock, [this] { return live_; }, [this] { return line_.Running(); },
                 d_.fileWork},
                {[this] { Changed(SessionPart::Record); },
                 [this](const std::string &text) { emit problem({}, QString::fromStdString(text)); },
                 [this] { emit beep(); }, [this](const TraceRecord &entry) { ShowOffline(entry); }}),
      generator_(line_, [this] { Changed(SessionPart::Generator); }),
      memories_({[this] { Changed(SessionPart::Memories); },
                 [this](const std::string &text) { emit problem({}, QString::fromStdString(text)); }}),
      peakTools_([this] { Changed(SessionPart::Peaks); })
{
    // The session's own sinks come first: the holds take the trace before the tracking markers
    // and the limit test read them, and all before anything shows it.
    own_.push_back(bus_.Connect([this](const TracePtr &t) {
        if (t->kind != TraceKind::Playback)
            holds_.Add(t->points, t->settings);
    }));
    own_.push_back(bus_.Connect([this](const TracePtr &) { FollowPeaks(); }));
    own_.push_back(bus_.Connect([this](const TracePtr &t) {
        limits_.Judge(TraceToRead().trace, settings_.State(), t->time, Seconds(d_.timers.Now()));
    }));
}

Session::~Session() { line_.Halt(); }

ReadTrace Session::TraceToRead() const
{
    static const TracePoints kNone{};
    if (!shown_)
        return {&kNone, std::nullopt};
    if (shown_ != live_)
        return {&shown_->points, std::nullopt};
    return tavrin::TraceToRead(holds_, shown_->points);
}

void Session::Start()
{
    // A played entry gives way to the acquisition's trace.
    shown_ = live_;
    playColour_ = false;
    line_.Start();
    Changed(SessionPart::Trace);
}

void Session::Stop() { line_.Stop(); }

void Session::Freeze()
{
    SetAveraging(false);
    line_.Stop();
    playColour_ = false;
    line_.Single(false, [](const Fetched *, const std::string &) {});
}

void Session::SetAveraging(bool on)
{
    if (on == averagingOn_)
        return;
    averagingOn_ = on;
    if (on)
        average_.Restart(averageCount_);
    Changed(SessionPart::Line);
}

void Session::SetAverageCount(int count)
{
    averageCount_ = std::max(1, count);
    if (averagingOn_)
        average_.Restart(averageCount_);
}

void Session::Single(std::function<void(const TracePtr &, const std::string &)> done, bool check)
{
    line_.Single(check, [this, done = std::move(done)](const Fetched *f, const std::string &why) {
        // The trace itself went through Accept just before.
        done(f ? live_ : nullptr, why);
    });
}

void Session::Halt() { line_.Halt(); }

void Session::Accept(const Fetched &f)
{
    auto trace = std::make_shared<Trace>();
    if (averagingOn_) {
        average_.Add(f.points, averaged_);
        trace->points = averaged_;
        trace->kind = TraceKind::Averaged;
    } else {
        trace->points = f.points;
        trace->kind = TraceKind::Live;
    }
    trace->settings = f.settings;
    trace->time = d_.wallClock();
    trace->seq = ++seq_;
    trace->dBu = TrimSpaces(settings_.State().unit) != "dBm";
    live_ = trace;
    shown_ = trace;
    settings_.FollowReport(f.settings);
    Publish(std::move(trace));
}

void Session::ShowOffline(const TraceRecord &entry)
{
    settings_.ShowRecorded(RecordSettings(entry));
    auto trace = std::make_shared<Trace>();
    trace->points = entry.points;
    trace->settings = RecordSettings(entry);
    trace->time = FromRecordTime(entry.time);
    trace->seq = ++seq_;
    trace->kind = TraceKind::Playback;
    trace->dBu = TrimSpaces(settings_.State().unit) != "dBm";
    shown_ = trace;
    Publish(std::move(trace));
}

void Session::Publish(TracePtr trace)
{
    bus_.Publish(trace);
    Changed(SessionPart::Trace);
}

void Session::Rejudge()
{
    limits_.Rejudge(ShowsTrace() ? TraceToRead().trace : nullptr, settings_.State());
    Changed(SessionPart::Limits);
}

void Session::SetHold(HoldKind kind, bool on)
{
    holds_.SetOn(kind, on);
    Rejudge();
    Changed(SessionPart::TraceModes);
}

void Session::ClearHolds()
{
    holds_.Clear();
    Rejudge();
    Changed(SessionPart::TraceModes);
}

void Session::SetMeasurements(MeasurementSwitches on)
{
    measurements_ = on;
    Changed(SessionPart::TraceModes);
}

void Session::Peak() { markers_.Peak(settings_.State(), *TraceToRead().trace); }

void Session::SetPlayColour(bool on)
{
    playColour_ = on;
    Changed(SessionPart::Trace);
}

}  // namespace tavrin
