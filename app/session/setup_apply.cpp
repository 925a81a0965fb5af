#include "session/setup_apply.h"

#include "common/number_format.h"
#include "common/program_folder.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "limits/limit_file.h"
#include "session/session.h"

#include <algorithm>
#include <memory>

namespace tavrin {

namespace {

constexpr int kLeastSetupCount = 2, kMostSetupCount = 255;

void TakeMarkersAndLimits(const Session &s, Setup &u)
{
    for (size_t i = 0; i < u.markers.size(); ++i) {
        const MarkerControl &m = s.Markers().Controls()[i];
        u.markers[i] = {m.enabled, SetupMarkerText(m.freqText), m.deltaRef};
    }
    for (size_t k = 0; k < u.limits.size(); ++k) {
        const LimitLine &line = s.Limits().Lines()[k];
        u.limits[k] = {line.selector, line.kind == LimitKind::Lower, line.shown};
    }
    const LimitAlarms &alarms = s.Limits().Alarms();
    u.limitBeep = alarms.beep, u.limitCapture = alarms.capture, u.limitLog = alarms.log;
}

std::string Field(const char *section, size_t n, const char *key)
{
    return section + std::to_string(n + 1) + "/" + key;
}

void ApplyMarkers(Session &s, const Setup &u)
{
    MarkerSet &m = s.Markers();
    for (size_t i = 0; i < u.markers.size(); ++i) {
        const SetupMarker &sm = u.markers[i];
        const int index = static_cast<int>(i);
        if (sm.frequency)
            m.SetFrequencyText(index, *sm.frequency);
        if (sm.delta)
            m.SetDelta(index, *sm.delta);
        if (sm.on)
            m.SetOn(index, *sm.on);
    }
}

void ApplyLimits(Session &s, const Setup &u, const std::string &folder, std::vector<SetupProblem> &problems)
{
    LimitTest &l = s.Limits();
    for (size_t k = 0; k < u.limits.size(); ++k) {
        const SetupLimit &sl = u.limits[k];
        if (sl.file && *sl.file == "NONE") {
            l.SetFile(k, "NONE", {});
        } else if (sl.file) {
            LimitFileResult read = ReadLimitFile(JoinPath(folder, *sl.file + ".lim"));
            if (read.ok)
                l.SetFile(k, *sl.file, std::move(read.points));
            else
                problems.push_back(
                    {Field("Limit", k, "File"), "the limit file \"" + *sl.file + "\" was not read: " + read.error});
        }
        if (sl.lower)
            l.SetKind(k, *sl.lower ? LimitKind::Lower : LimitKind::Upper);
        if (sl.on)
            l.SetShown(k, *sl.on);
    }
    LimitAlarms alarms = l.Alarms();
    alarms.beep = u.limitBeep.value_or(alarms.beep);
    alarms.capture = u.limitCapture.value_or(alarms.capture);
    alarms.log = u.limitLog.value_or(alarms.log);
    l.SetAlarms(alarms);
}

void ApplyModes(Session &s, const Setup &u)
{
    if (u.averageCount)
        s.SetAverageCount(*u.averageCount);
    if (u.averaging)
        s.SetAveraging(*u.averaging);
    if (u.maxHold)
        s.SetHold(HoldKind::Max, *u.maxHold);
    if (u.minHold)
        s.SetHold(HoldKind::Min, *u.minHold);
    MeasurementSwitches on = s.Measurements();
    on.bandPower = u.bandPower.value_or(on.bandPower);
    on.occupiedBandwidth = u.occupiedBandwidth.value_or(on.occupiedBandwidth);
    on.noiseMarker = u.noiseMarker.value_or(on.noiseMarker);
    on.adjacentChannel = u.adjacentChannel.value_or(on.adjacentChannel);
    s.SetMeasurements(on);
    ChannelPlan plan = s.Channels();
    plan.widthMHz = u.channelWidthMHz.value_or(plan.widthMHz);
    plan.spacingMHz = u.channelSpacingMHz.value_or(plan.spacingMHz);
    s.SetChannelPlan(plan);
}

// One analyzer setting of the setup: its field, how it is applied, and what the analyzer
// reported instead when it was not confirmed.
struct AnalyzerStep {
    std::string field;
    std::function<void(PanelSettings::Applied)> apply;
    std::function<std::string(const AnalyzerSettings &)> reported;
};

// The analyzer settings one after the other, each once the one before is confirmed.
struct Chain : std::enable_shared_from_this<Chain> {
    Session &session;
    std::vector<AnalyzerStep> steps;
    std::vector<SetupProblem> problems;
    bool confirmedAlways = false;
    std::function<void(const std::vector<SetupProblem> &)> done;
    size_t next = 0;

    Chain(Session &s) : session(s) {}

    void Next()
    {
        if (next == steps.size()) {
            session.Settings().SetConfirmAlways(confirmedAlways);
            done(problems);
            return;
        }
        const AnalyzerStep &step = steps[next++];
        step.apply([self = shared_from_this(), &step](bool confirmed, const JobResult &r) {
            if (!confirmed)
                self->Refused(step, r);
            self->Next();
        });
    }

    void Refused(const AnalyzerStep &step, const JobResult &r)
    {
        if (!r.silent) {
            problems.push_back(
                {step.field, "the analyzer did not take it (it reported " + step.reported(r.reported) + ")"});
            return;
        }
        problems.push_back({step.field, "the analyzer did not answer"});
        for (; next < steps.size(); ++next)
            problems.push_back({steps[next].field, "not sent: the analyzer did not answer"});
    }
};

std::vector<AnalyzerStep> AnalyzerSteps(Session &s, const Setup &u)
{
    PanelSettings &p = s.Settings();
    std::vector<AnalyzerStep> steps;
    if (u.centerMHz)
        steps.push_back({"Analyzer/Center",
                         [&p, c = *u.centerMHz](auto applied) { p.EnterCenter(FormatFixed(c, 3, 3), applied); },
                         [](const AnalyzerSettings &r) { return FormatFixed(r.centerMHz, 3, 6) + " MHz"; }});
    if (u.span)
        steps.push_back({"Analyzer/Span",
                         [&p, row = SpanToIndex(*u.span)](auto applied) { p.ChooseSpan(row, applied); },
                         [](const AnalyzerSettings &r) { return r.span.empty() ? std::string("no span") : r.span; }});
    if (u.refLevelDbm)
        steps.push_back({"Analyzer/RefLevel",
                         [&p, row = RefLevelToIndex(*u.refLevelDbm)](auto applied) { p.ChooseRefLevel(row, applied); },
                         [](const AnalyzerSettings &r) { return std::to_string(r.refLevelDbm) + " dBm"; }});
    // At every other span the RBW is the analyzer's own choice.
    const std::string span = u.span.value_or(p.State().spanCaption);
    if (u.rbw && IsZeroSpan(span))
        steps.push_back({"Analyzer/RBW", [&p, row = RBWToIndex(*u.rbw)](auto applied) { p.ChooseRbw(row, applied); },
                         [](const AnalyzerSettings &r) { return r.rbw; }});
    return steps;
}

}  // namespace

Setup TakeSetup(const Session &s)
{
    Setup u;
    const MeasurementState &state = s.Settings().State();
    u.centerMHz = NumericValue(state.centerFreqMHz);
    u.span = TrimSpaces(state.spanCaption);
    u.refLevelDbm = RoundHalfEvenToInt32(NumericValue(state.refLevelDbm));
    u.rbw = TrimSpaces(state.rbwCaption);
    u.averaging = s.AveragingOn();
    u.averageCount = std::clamp(s.AverageCount(), kLeastSetupCount, kMostSetupCount);
    TakeMarkersAndLimits(s, u);
    u.maxHold = s.Holds().On(HoldKind::Max);
    u.minHold = s.Holds().On(HoldKind::Min);
    const MeasurementSwitches on = s.Measurements();
    u.bandPower = on.bandPower, u.occupiedBandwidth = on.occupiedBandwidth, u.noiseMarker = on.noiseMarker;
    u.adjacentChannel = on.adjacentChannel;
    u.channelWidthMHz = s.Channels().widthMHz;
    u.channelSpacingMHz = s.Channels().spacingMHz;
    return u;
}

void ApplySetup(Session &session, const SetupRecall &recall, const std::string &limitFolder,
                std::function<void(const std::vector<SetupProblem> &)> done)
{
    auto chain = std::make_shared<Chain>(session);
    chain->problems = recall.unread;
    chain->done = std::move(done);
    ApplyMarkers(session, recall.setup);
    ApplyLimits(session, recall.setup, limitFolder, chain->problems);
    ApplyModes(session, recall.setup);
    chain->steps = AnalyzerSteps(session, recall.setup);
    chain->confirmedAlways = session.Settings().ConfirmAlways();
    session.Settings().SetConfirmAlways(true);
    chain->Next();
}

}  // namespace tavrin
